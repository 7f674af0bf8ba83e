#include "userdb/storeoutcome.h"

#include "userdb/diaryinuse.h"
#include "userdb/diarylocation.h"
#include "userdb/sqlitedriver.h"

#include <QDir>
#include <QSqlError>

#include <sqlite3.h>

namespace {

StoreOutcome::Reason reasonOf(int primary)
{
    switch (primary) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return StoreOutcome::Reason::Ok;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreOutcome::Reason::Busy;
    case SQLITE_READONLY:
        return StoreOutcome::Reason::ReadOnly;
    case SQLITE_FULL:
        return StoreOutcome::Reason::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return StoreOutcome::Reason::Damaged;
    default:
        return StoreOutcome::Reason::Other;
    }
}

// Failures of the file or the system rather than of one statement.
bool isStoreFailure(int primary)
{
    switch (primary) {
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_NOMEM:
    case SQLITE_NOLFS:
    case SQLITE_PROTOCOL:
        return true;
    default:
        return false;
    }
}

} // namespace

StoreOutcome::StoreOutcome(Reason reason, const QString& detail)
    : m_reason(reason), m_detail(detail), m_lost(reason != Reason::Ok && reason != Reason::Other)
{
}

StoreOutcome StoreOutcome::fromCode(int code, const QString& text)
{
    const int primary = code & 0xff;
    StoreOutcome outcome(reasonOf(primary), text);
    outcome.m_lost = outcome.m_lost || isStoreFailure(primary);
    return outcome;
}

StoreOutcome StoreOutcome::systemFailure(const QString& detail)
{
    StoreOutcome outcome(Reason::Other, detail);
    outcome.m_lost = true;
    return outcome;
}

StoreOutcome StoreOutcome::ofTransaction() const
{
    StoreOutcome outcome = *this;
    outcome.m_lost = true;
    if (outcome.ok())
        outcome.m_reason = Reason::Other;
    return outcome;
}

StoreOutcome StoreOutcome::fromError(const QSqlError& error)
{
    if (!error.isValid())
        return {};
    return fromCode(SqliteDriver::code(error), SqliteDriver::text(error));
}

QString StoreOutcome::changeText() const
{
    switch (m_reason) {
    case Reason::Ok:
        break;
    case Reason::DiskFull:
        return tr("The disk is full: the change was not saved.");
    case Reason::Busy:
        return tr("The diary is in use by %1: the change was not saved. %2")
            .arg(DiaryInUse::holder(), DiaryInUse::advice());
    case Reason::ReadOnly:
        return tr("The diary could not be written (%1): the change was not saved. Check that "
                  "the diary may be written, then try again.")
            .arg(m_detail);
    case Reason::Damaged:
        return tr("The diary is damaged (%1): the change was not saved. Restore your latest "
                  "backup with Restore Data in the File menu.")
            .arg(m_detail);
    case Reason::Other:
        return (m_lost ? tr("The change was not saved: %1. Try again.")
                       : tr("The change was not saved: %1."))
            .arg(m_detail);
    }
    return QString();
}

QString StoreOutcome::readText() const
{
    switch (m_reason) {
    case Reason::Ok:
        break;
    case Reason::Busy:
        return tr("The diary is in use by %1, so it cannot be read now. Let that program finish "
                  "or close it, then choose Retry.")
            .arg(DiaryInUse::holder());
    case Reason::Damaged:
        return tr("The diary is damaged (%1) and could not be read. Restore your latest backup "
                  "with Restore Data in the File menu.")
            .arg(m_detail);
    case Reason::Other:
        if (m_lost)
            return tr("The diary %1 could not be read just now: %2. It has been left as it is; "
                      "try again.")
                .arg(QDir::toNativeSeparators(DiaryLocation::path()), m_detail);
        [[fallthrough]];
    case Reason::DiskFull:
    case Reason::ReadOnly:
        return tr("The diary %1 could not be read: %2.")
            .arg(QDir::toNativeSeparators(DiaryLocation::path()), m_detail);
    }
    return QString();
}
