#pragma once

#include "userdb/bxsqldb.h"
#include "userdb/storeoutcome.h"
#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <string>

class QSqlDatabase;
class QSqlError;
struct sqlite3;

// Tells apart damage, a fault of the system and another program's hold on a database file, each
// time from the failure itself: the code SQLite returned for the statement and what the reads
// of that very call came to. It keeps nothing between calls: a fault of the system that a
// read met earlier never names the cause of a later failure, and damage is damage only where a
// check made now finds it.
class FailureCause
{
    Q_DECLARE_TR_FUNCTIONS(FailureCause)

public:
    // The outcome of a statement on `db` that ended with SQLite's `code` and `text`: another
    // program's hold (Busy, Locked), a fault of the system with its reason (on a connection that
    // is open), SQLite finding the file damaged, or the statement's own refusal.
    static StoreOutcome of(sqlite3* db, int code, const QString& text);
    static StoreOutcome of(const QSqlDatabase& db, const QSqlError& error);
    // SQLite's text for `code` of the call that failed on `db` just now, followed by the
    // system's reason for it where it has one ("disk I/O error: Input/output error").
    static QString faultText(sqlite3* db, int code);
    // `outcome` with its damage proven: damage stays damage only when SQLite finds the file at
    // `path` damaged again, on a connection of its own that reads it whole now. A file that
    // passes that check, or that the system keeps it from reading, was not read for a reason of
    // the system, which the outcome names; one that another program holds is held (Busy).
    static StoreOutcome proven(const StoreOutcome& outcome, const QString& path);
    // The verdict of an integrity check from its findings and from the failure that stopped it,
    // if any: `unread` names why a read of the check failed (empty when every read read whole).
    // SQLite found the file damaged, or no database; a part of it that could not be read, or any
    // other failure (another program's hold among them, then `stopped` is Busy), leaves it
    // unread. Otherwise than done, the message is a short reason followed by
    // StoreResult::DetailsMark and the report.
    static StoreResult judgeIntegrity(const QStringList& findings, const StoreOutcome& stopped,
                                      const QString& unread);
    // Why a read of the main file of `db` failed since `failedBefore` reads of it had failed, as
    // SQLite and the system tell it; empty when none has.
    static QString unreadSince(const QSqlDatabase& db, long failedBefore);

private:
    // The system's reason for a read that ended with `error` (an error number, or
    // ReadWatch::ShortRead).
    static QString readReason(int error);
};
