// The integrity check of the diary on the running connection, and the proof of damage that a
// failure of the connection met.

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include "userdb/failurewitness.h"
#include "userdb/fileintegrity.h"
#include "userdb/readwatch.h"
#include "userdb/stepwatch.h"

#include <QSqlQuery>

// A damaged diary is offered its backup only where a check made now still finds the damage
// that the last failure was proven to be.
bool BXSqlDb::damageProven()
{
    if (!_instance || !_instance->m_damageProven)
        return false;
    const QString path = _instance->database().databaseName();
    _instance->m_damageProven = FileIntegrity::check(path).kind() == StoreResult::Kind::Damaged;
    return _instance->m_damageProven;
}

StoreResult BXSqlDb::_proven(const StoreResult& outcome)
{
    const StoreResult found = FileIntegrity::proven(outcome, database().databaseName());
    m_damageProven = found.kind() == StoreResult::Kind::Damaged;
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
    return FileIntegrity::checkedAgain(db.databaseName(), found, progress);
}
