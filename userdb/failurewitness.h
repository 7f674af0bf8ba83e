#pragma once

#include "userdb/failurecause.h"

#include <QSqlError>

class QSqlDatabase;
struct sqlite3;

// Gathers the facts of a failure where it happened: the connection's codes, what ReadWatch
// recorded for the call, and the system's reason. FailureCause judges them; FileIntegrity proves
// damage.
class FailureWitness
{
public:
    // The facts of the call that failed on `db` (null when there is no connection) with `code`
    // and `text`.
    static FailureCause::Facts facts(sqlite3* db, int code, const QString& text);
    // The outcome of a call on `db` that ended with SQLite's `code` and `text`, or with `error`.
    static StoreResult of(sqlite3* db, int code, const QString& text);
    static StoreResult of(const QSqlDatabase& db, const QSqlError& error);
    // SQLite's text for `code` of the call that failed on `db` just now, with the system's reason
    // for that failure, as in "disk I/O error: Input/output error".
    static QString faultText(sqlite3* db, int code);
    static QString faultText(const QSqlDatabase& db, int code);
    // `error`, of a connection to the database at `path` that did not open, with the system's
    // reason when the system refuses the file itself (SQLite keeps none: too many open files,
    // say), so that no fault of the moment reads as a fault of the file.
    static QSqlError openError(const QSqlError& error, const QString& path);
    // The error of the last read of the main file of `db` that failed since `failedBefore` reads
    // of it had failed; 0 when none has.
    static int failedReadSince(const QSqlDatabase& db, long failedBefore);
};
