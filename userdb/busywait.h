#pragma once

class QSqlDatabase;
class WorkProgress;
struct sqlite3;

// How a connection to a database file waits while another program holds the file (a database
// shell, a backup tool): it tries again until its time-out has passed, and gives up at once once
// the end of the session is asked for, so that the call that waited fails, with nothing of it
// stored, instead of keeping the end waiting.
class BusyWait
{
public:
    // Puts the wait on the connection in place of SQLite's own; nothing for no connection.
    static void install(sqlite3* db, int timeoutMs);
    // The same for an open connection of the SQL module.
    static void install(const QSqlDatabase& db, int timeoutMs);
    // `watcher` (not owned) hears of every wait as it goes on, the milliseconds waited of the
    // time-out, and ends the wait once it stops (the user's Quit); nullptr: nobody hears.
    static void watch(WorkProgress* watcher);
    static WorkProgress* watcher();
    // How long a connection to the diary waits for other programs that hold the file (readers
    // that have not finished, say) before it gives up; BXSqlDb::setBusyTimeout() sets it.
    static int timeout();
    static void setTimeout(int milliseconds);
};
