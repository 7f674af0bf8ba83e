#pragma once

class QSqlDatabase;
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
};
