#include "userdb/fileintegrity.h"

#include "userdb/busywait.h"
#include "userdb/failurewitness.h"
#include "userdb/fileclaim.h"
#include "userdb/readwatch.h"
#include "userdb/sqlitedriver.h"
#include "userdb/stepwatch.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <optional>

// Damage that a second check of the file, on a connection of its own, does not find is no
// property of the file: a read of the first check gave other bytes than the file holds.
StoreResult FileIntegrity::checkedAgain(const QString& path, const StoreResult& first, WorkProgress* progress)
{
    if (first.kind() != StoreResult::Kind::Damaged)
        return first;
    const StoreResult again = checkOnce(path, nullptr, progress);
    if (again.kind() == StoreResult::Kind::Damaged)
        return first;
    if (!again)
        return again;
    QString report;
    StoreResult::splitDetails(first.message(), &report);
    return StoreResult(StoreResult::Kind::Unread,
                       tr("it could not be checked: its check found damage that a second check "
                          "of the same file did not find, so a read of the disk gave other bytes "
                          "than the file holds; try again")
                           + QLatin1String(StoreResult::DetailsMark) + report);
}

StoreResult FileIntegrity::check(const QString& path, StoreResult* stopped, WorkProgress* progress)
{
    return checkedAgain(path, checkOnce(path, stopped, progress), progress);
}

StoreResult FileIntegrity::checkOnce(const QString& path, StoreResult* stopped, WorkProgress* progress)
{
    ReadWatch::install();
    if (const std::optional<QString> journal = FileClaim::journalProblem(path))
        return StoreResult(StoreResult::Kind::Unread,
                           tr("the integrity check cannot run: %1").arg(*journal));
    const QString name = QStringLiteral("BXSqlDb_integrity");
    StoreResult found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        const bool opened = db.open();
        BusyWait::install(db, BusyWait::timeout());
        QSqlQuery check(db);
        QStringList findings;
        if (opened) {
            const StepWatch steps(SqliteDriver::handle(db), progress);
            if (check.exec(QStringLiteral("PRAGMA integrity_check"))) {
                while (check.next())
                    findings.append(check.value(0).toString());
            }
        }
        const StoreResult ended = FailureWitness::of(
            db, db.isOpen() ? check.lastError() : FailureWitness::openError(db.lastError(), path));
        found = FailureCause::judgeIntegrity(findings, ended, FailureWitness::failedReadSince(db, 0));
        if (stopped)
            *stopped = ended;
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

StoreResult FileIntegrity::proven(const StoreResult& outcome, const QString& path)
{
    if (outcome.kind() != StoreResult::Kind::Damaged)
        return outcome;
    StoreResult stopped;
    const StoreResult found = check(path, &stopped);
    return FailureCause::provenBy(outcome, found, stopped);
}

StoreResult FileIntegrity::proven(const QSqlError& error, const QSqlDatabase& db)
{
    return proven(FailureWitness::of(db, error), db.databaseName());
}
