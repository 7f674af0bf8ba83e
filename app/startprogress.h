#pragma once

#include "core/workprogress.h"

#include <QString>

#include <memory>

class ProgressBox;

// The progress of a check the start makes of the diary's data (the data as it was kept beside
// the diary by a restore, before it goes back): a progress dialog with Cancel, shown from the
// check's first step, so that a start that checks nothing shows none.
class StartProgress : public WorkProgress
{
public:
    StartProgress(const QString& title, const QString& label);
    ~StartProgress() override;
    StartProgress(const StartProgress&) = delete;
    StartProgress& operator=(const StartProgress&) = delete;

protected:
    bool report(qint64 done, qint64 total) override;

private:
    QString _title;
    QString _label;
    std::unique_ptr<ProgressBox> _box;
};
