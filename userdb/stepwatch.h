#pragma once

#include <QtGlobal>

class WorkProgress;
struct sqlite3;

// Runs the statements of a connection in steps under a piece of work's progress, for as long as
// it lives: every few thousand of their steps the progress is told how many pages of the file
// they have read so far of the pages it holds, and once the progress stops (Cancel, the end of
// the session) the statement running ends at its next step as interrupted. Nothing without a
// progress. The connection must stay open while it lives.
class StepWatch
{
public:
    StepWatch(sqlite3* db, WorkProgress* progress);
    ~StepWatch();
    StepWatch(const StepWatch&) = delete;
    StepWatch& operator=(const StepWatch&) = delete;

private:
    static int onSteps(void* watch);

    sqlite3* _db;
    WorkProgress* _progress;
    qint64 _pages = 0;
};
