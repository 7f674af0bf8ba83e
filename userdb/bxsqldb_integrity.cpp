// The integrity check of the diary, on the running connection or on a file, and the proof of
// damage that a failure met.

#include "userdb/bxsqldb.h"

#include "userdb/busywait.h"
#include "userdb/failurewitness.h"
#include "userdb/fileclaim.h"
#include "userdb/readwatch.h"
#include "userdb/sqlitedriver.h"
#include "userdb/stepwatch.h"

#include <QSqlQuery>

// Damage that a second check of the file, on a connection of its own, does not find is no
// property of the file: a read of the first check gave other bytes than the file holds.
StoreResult BXSqlDb::_checkedAgain(const QString& path, const StoreResult& first, WorkProgress* progress)
{
    if (first.kind() != StoreResult::Kind::Damaged)
        return first;
    const StoreResult again = _checkFileOnce(path, nullptr, progress);
    if (again.kind() == StoreResult::Kind::Damaged)
        return first;
    if (!again)
        return again;
    QString report;
    StoreResult::splitDetails(QString::fromStdString(first.message()), &report);
    return StoreResult(StoreResult::Kind::Unread,
                       tr("it could not be checked: its check found damage that a second check "
                          "of the same file did not find, so a read of the disk gave other bytes "
                          "than the file holds; try again")
                               .toStdString()
                           + StoreResult::DetailsMark + report.toStdString());
}

StoreResult BXSqlDb::checkFileIntegrity(const QString& path, StoreOutcome* stopped, WorkProgress* progress)
{
    return _checkedAgain(path, _checkFileOnce(path, stopped, progress), progress);
}

StoreResult BXSqlDb::_checkFileOnce(const QString& path, StoreOutcome* stopped, WorkProgress* progress)
{
    ReadWatch::install();
    if (const std::optional<QString> journal = FileClaim::journalProblem(path))
        return StoreResult(StoreResult::Kind::Unread,
                           BXSqlDb::tr("the integrity check cannot run: %1").arg(*journal).toStdString());
    const QString name = QStringLiteral("BXSqlDb_integrity");
    StoreResult found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        const bool opened = db.open();
        BusyWait::install(db, busyTimeout());
        QSqlQuery check(db);
        QStringList findings;
        if (opened) {
            const StepWatch steps(SqliteDriver::handle(db), progress);
            if (check.exec(QStringLiteral("PRAGMA integrity_check"))) {
                while (check.next())
                    findings.append(check.value(0).toString());
            }
        }
        const StoreOutcome ended = FailureWitness::of(
            db, db.isOpen() ? check.lastError() : openError(db.lastError(), path));
        found = FailureCause::judgeIntegrity(findings, ended, FailureWitness::failedReadSince(db, 0));
        if (stopped)
            *stopped = ended;
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

StoreOutcome BXSqlDb::outcomeOf(const QSqlError& error, const QSqlDatabase& db)
{
    return FailureWitness::of(db, error);
}

StoreOutcome BXSqlDb::provenOutcome(const QSqlError& error, const QSqlDatabase& db)
{
    return FailureWitness::proven(outcomeOf(error, db), db.databaseName());
}

// A damaged diary is offered its backup only where a check made now still finds the damage
// that the last failure was proven to be.
bool BXSqlDb::damageProven()
{
    if (!_instance || !_instance->m_damageProven)
        return false;
    const QString path = _instance->database().databaseName();
    _instance->m_damageProven = checkFileIntegrity(path).kind() == StoreResult::Kind::Damaged;
    return _instance->m_damageProven;
}

StoreOutcome BXSqlDb::_proven(const StoreOutcome& outcome)
{
    const StoreOutcome found = FailureWitness::proven(outcome, database().databaseName());
    m_damageProven = found.reason() == StoreOutcome::Reason::Damaged;
    return found;
}

StoreResult BXSqlDb::checkIntegrity(WorkProgress* progress)
{
    const QSqlDatabase db = instance()->database();
    const long failedBefore = ReadWatch::of(instance()->_handle()).failed;
    StoreResult found;
    {
        const StepWatch steps(instance()->_handle(), progress);
        BXSqlQuery check("PRAGMA integrity_check");
        QStringList findings;
        check.readRows([&check, &findings] { findings.append(check.value(0).toString()); });
        found = FailureCause::judgeIntegrity(findings, check.outcome(), FailureWitness::failedReadSince(db, failedBefore));
    }
    return _checkedAgain(db.databaseName(), found, progress);
}
