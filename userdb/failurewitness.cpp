#include "userdb/failurewitness.h"

#include "core/regularfile.h"
#include "userdb/readwatch.h"
#include "userdb/sqlitedriver.h"

#include <QSqlError>

#include <sqlite3.h>

#include <unistd.h>

FailureCause::Facts FailureWitness::facts(sqlite3* db, int code, const QString& text)
{
    FailureCause::Facts facts;
    facts.code = code;
    // A driver may pass on the primary code alone: the connection's extended code of the failure
    // that it reported last, when that is the failure told.
    const int extended = db ? sqlite3_extended_errcode(db) : code;
    facts.extended = (extended & 0xff) == (code & 0xff) ? extended : code;
    facts.text = text;
    facts.connected = db != nullptr;
    // A read of the main file that failed last is this call's (every transaction begins with a
    // read of the file's header, which clears it); anything else that the system failed leaves its
    // number with the connection as the call fails.
    facts.lastRead = ReadWatch::of(db).last;
    facts.systemError = db ? sqlite3_system_errno(db) : 0;
    return facts;
}

StoreResult FailureWitness::of(sqlite3* db, int code, const QString& text)
{
    return FailureCause::of(facts(db, code, text));
}

StoreResult FailureWitness::of(const QSqlDatabase& db, const QSqlError& error)
{
    if (!error.isValid())
        return {};
    return of(SqliteDriver::handle(db), SqliteDriver::code(error), SqliteDriver::text(error));
}

QString FailureWitness::faultText(sqlite3* db, int code)
{
    return FailureCause::faultText(facts(db, code, QString()));
}

QString FailureWitness::faultText(const QSqlDatabase& db, int code)
{
    return faultText(SqliteDriver::handle(db), code);
}

QSqlError FailureWitness::openError(const QSqlError& error, const QString& path)
{
    QString reason;
    const int fd = RegularFile::openDescriptor(path, &reason);
    if (fd >= 0) {
        ::close(fd);
        return error;
    }
    return QSqlError(error.driverText(),
                     QStringLiteral("%1 (%2)").arg(error.databaseText(), reason), error.type(),
                     error.nativeErrorCode());
}

int FailureWitness::failedReadSince(const QSqlDatabase& db, long failedBefore)
{
    const ReadWatch::Reads reads = ReadWatch::of(SqliteDriver::handle(db));
    return reads.failed > failedBefore ? reads.lastFailed : 0;
}
