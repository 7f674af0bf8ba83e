#pragma once

#include "userdb/failurecause.h"

class QSqlDatabase;
class QSqlError;
struct sqlite3;

// Gathers the facts of a failure where it happened: the connection's codes, what ReadWatch
// recorded for the call, and, to prove damage, an integrity check of the file made now on a
// connection of its own. FailureCause judges them.
class FailureWitness
{
public:
    // The facts of the call that failed on `db` (null when there is no connection) with `code`
    // and `text`.
    static FailureCause::Facts facts(sqlite3* db, int code, const QString& text);
    // The outcome of a call on `db` that ended with SQLite's `code` and `text`, or with `error`.
    static StoreOutcome of(sqlite3* db, int code, const QString& text);
    static StoreOutcome of(const QSqlDatabase& db, const QSqlError& error);
    // SQLite's text for `code` of the call that failed on `db` just now, with the system's reason.
    static QString faultText(sqlite3* db, int code);
    // `outcome` with its damage proven: damage stays damage only when SQLite finds the file at
    // `path` damaged again, on a connection of its own that reads it whole now.
    static StoreOutcome proven(const StoreOutcome& outcome, const QString& path);
    // The error of the last read of the main file of `db` that failed since `failedBefore` reads
    // of it had failed; 0 when none has.
    static int failedReadSince(const QSqlDatabase& db, long failedBefore);
};
