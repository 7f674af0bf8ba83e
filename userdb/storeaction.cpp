#include "userdb/storeaction.h"

#include "userdb/bxsqldb.h"

StoreAction::StoreAction(Kind kind)
{
    BXSqlDb* db = BXSqlDb::exists();
    if (!db)
        return;
    m_outer = db->openAction(this);
    if (kind == Kind::Read)
        m_ownsReadLock = db->beginReading();
}

StoreAction::~StoreAction()
{
    BXSqlDb* db = BXSqlDb::exists();
    if (!db)
        return;
    if (m_ownsReadLock)
        db->endReading();
    db->closeAction(this, m_outer);
}

bool StoreAction::run(const std::function<bool()>& change, StoreOutcome& outcome)
{
    const StoreAction action(Kind::Change);
    const bool made = change();
    outcome = action.outcome();
    return made;
}

bool StoreAction::refuses(bool change) const
{
    for (const StoreAction* action = this; action; action = action->m_outer) {
        if (action->m_outcome.busy() && (change || action->m_readingRefused))
            return true;
    }
    return false;
}

void StoreAction::record(const StoreOutcome& outcome, bool change)
{
    for (StoreAction* action = this; action; action = action->m_outer) {
        if (action->m_outcome.ok() || (outcome.lost() && !action->m_outcome.lost()))
            action->m_outcome = outcome;
        action->m_readingRefused = action->m_readingRefused || (outcome.busy() && !change);
        action->m_readFailed = action->m_readFailed || !change;
    }
}
