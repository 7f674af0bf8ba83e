#include "userdb/storeresult.h"

#include "userdb/diaryinuse.h"
#include "userdb/diarylocation.h"
#include "userdb/sqlitedriver.h"

#include <QDir>
#include <QSqlError>

#include <sqlite3.h>

#include <cstring>

namespace {

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

StoreResult::Kind kindOf(int primary)
{
    switch (primary) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return StoreResult::Kind::Done;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreResult::Kind::Busy;
    case SQLITE_READONLY:
        return StoreResult::Kind::ReadOnly;
    case SQLITE_FULL:
        return StoreResult::Kind::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return StoreResult::Kind::Damaged;
    default:
        return isStoreFailure(primary) ? StoreResult::Kind::Unread : StoreResult::Kind::Refused;
    }
}

} // namespace

StoreResult::StoreResult(Kind kind, const QString& message) : m_kind(kind), m_message(message) {}

StoreResult StoreResult::done(const QString& note)
{
    return StoreResult(Kind::Done, note);
}

StoreResult StoreResult::fromCode(int code, const QString& text)
{
    return StoreResult(kindOf(code & 0xff), text);
}

StoreResult StoreResult::fromError(const QSqlError& error)
{
    if (!error.isValid())
        return {};
    return fromCode(SqliteDriver::code(error), SqliteDriver::text(error));
}

StoreResult StoreResult::systemFailure(const QString& reason)
{
    return StoreResult(Kind::Unread, reason);
}

StoreResult StoreResult::ofTransaction() const
{
    return lost() ? *this : StoreResult(Kind::Unread, m_message);
}

QString StoreResult::changeText() const
{
    switch (m_kind) {
    case Kind::Done:
        break;
    case Kind::DiskFull:
        return tr("The disk is full: the change was not saved.");
    case Kind::Busy:
        return tr("The diary is in use by %1: the change was not saved. %2")
            .arg(DiaryInUse::holder(), DiaryInUse::advice());
    case Kind::ReadOnly:
        return tr("The diary could not be written (%1): the change was not saved. Check that "
                  "the diary may be written, then try again.")
            .arg(m_message);
    case Kind::Damaged:
        return tr("The diary is damaged (%1): the change was not saved. Restore your latest "
                  "backup with Restore Data in the File menu.")
            .arg(m_message);
    case Kind::Unread:
        return tr("The change was not saved: %1. Try again.").arg(m_message);
    case Kind::Refused:
        return tr("The change was not saved: %1.").arg(m_message);
    }
    return QString();
}

QString StoreResult::readText() const
{
    switch (m_kind) {
    case Kind::Done:
        break;
    case Kind::Busy:
        return tr("The diary is in use by %1, so it cannot be read now. Let that program finish "
                  "or close it, then choose Retry.")
            .arg(DiaryInUse::holder());
    case Kind::Damaged:
        return tr("The diary is damaged (%1) and could not be read. Restore your latest backup "
                  "with Restore Data in the File menu.")
            .arg(m_message);
    case Kind::Unread:
        return tr("The diary %1 could not be read just now: %2. It has been left as it is; "
                  "try again.")
            .arg(QDir::toNativeSeparators(DiaryLocation::path()), m_message);
    case Kind::DiskFull:
    case Kind::ReadOnly:
    case Kind::Refused:
        return tr("The diary %1 could not be read: %2.")
            .arg(QDir::toNativeSeparators(DiaryLocation::path()), m_message);
    }
    return QString();
}

QString StoreResult::splitDetails(const QString& text, QString* details)
{
    const qsizetype mark = text.indexOf(QLatin1String(DetailsMark));
    // Taken before *details is written, which may be the very text.
    const QString reason = mark < 0 ? text : text.left(mark);
    *details = mark < 0 ? QString() : text.mid(mark + qsizetype(std::strlen(DetailsMark)));
    return reason;
}
