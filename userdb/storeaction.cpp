#include "userdb/storeaction.h"

#include "userdb/storeconnection.h"

#include <QThread>

StoreAction::StoreAction(Kind kind) : m_loopLevel(QThread::currentThread()->loopLevel())
{
    StoreConnection* db = StoreConnection::open();
    // The diary is closed while it is copied or replaced, and after a restore that failed: a
    // click or key queued before then reaches nothing of it.
    if (!db) {
        m_outcome = StoreResult(StoreResult::Kind::Refused,
                                tr("your diary is not open now, as it is being copied or "
                                   "was not restored; try again once it is shown"));
        return;
    }
    m_previous = db->openAction(this);
    if (m_previous && m_previous->m_loopLevel == m_loopLevel)
        m_outer = m_previous;
    if (kind == Kind::Read)
        m_ownsReadLock = db->beginReading();
}

StoreAction::~StoreAction()
{
    StoreConnection* db = StoreConnection::open();
    if (!db)
        return;
    if (m_ownsReadLock)
        db->endReading();
    db->closeAction(this, m_previous);
}

bool StoreAction::current() const
{
    return m_loopLevel == QThread::currentThread()->loopLevel();
}

bool StoreAction::refuses(bool change) const
{
    for (const StoreAction* action = this; action; action = action->m_outer) {
        if (change && action->m_readingFailed)
            return true;
        if (action->m_outcome.busy() && (change || action->m_readingRefused))
            return true;
    }
    return false;
}

void StoreAction::record(const StoreResult& outcome, bool change)
{
    for (StoreAction* action = this; action; action = action->m_outer) {
        if (action->m_outcome.ok() || (outcome.lost() && !action->m_outcome.lost()))
            action->m_outcome = outcome;
        action->m_readingRefused = action->m_readingRefused || outcome.busy();
        action->m_readingFailed = action->m_readingFailed || (!outcome.ok() && !change);
    }
}

void StoreAction::revise(const StoreResult& met, const StoreResult& found)
{
    for (StoreAction* action = this; action; action = action->m_outer) {
        if (action->m_outcome.kind() != met.kind() || action->m_outcome.message() != met.message())
            continue;
        action->m_outcome = found;
        action->m_readingRefused = action->m_readingRefused || found.busy();
    }
}
