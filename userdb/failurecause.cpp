#include "userdb/failurecause.h"

#include "userdb/readwatch.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <cstring>

namespace {

sqlite3* handleOf(const QSqlDatabase& db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The codes of a failure of the file or the system, which the system's error number explains.
bool isSystemCode(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN;
}

// `code` with SQLite's extended code of the failure that the connection reported last, when
// that is the failure told (a driver may pass on the primary code alone).
int extendedCode(sqlite3* db, int code)
{
    const int extended = db ? sqlite3_extended_errcode(db) : code;
    return (extended & 0xff) == (code & 0xff) ? extended : code;
}

// The SQLite code of the first page that an integrity check could not read for a reason other
// than damage SQLite found in it (the system out of memory, say); 0 when there is none.
int unreadPage(const QStringList& findings)
{
    static const QRegularExpression coded(QStringLiteral("error code[= ](\\d+)"));
    for (const QString& finding : findings) {
        for (QRegularExpressionMatchIterator found = coded.globalMatch(finding); found.hasNext();) {
            const int code = found.next().captured(1).toInt();
            if (StoreOutcome::fromCode(code, QString()).reason() != StoreOutcome::Reason::Damaged)
                return code;
        }
        // Told without its code: a page of a chain (the free list, an overflow) not read.
        if (finding.contains(QLatin1String("failed to get page")))
            return SQLITE_IOERR;
    }
    return 0;
}

} // namespace

QString FailureCause::readReason(int error)
{
    if (error == ReadWatch::ShortRead)
        return tr("a read ended short of what the file holds");
    return QString::fromLocal8Bit(std::strerror(error));
}

QString FailureCause::unreadSince(const QSqlDatabase& db, long failedBefore)
{
    const ReadWatch::Reads reads = ReadWatch::of(handleOf(db));
    if (reads.failed <= failedBefore)
        return QString();
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(sqlite3_errstr(SQLITE_IOERR_READ)),
                                        readReason(reads.lastFailed));
}

QString FailureCause::faultText(sqlite3* db, int code)
{
    const int extended = extendedCode(db, code);
    const QString text = QString::fromUtf8(sqlite3_errstr(extended));
    // A read of the main file that failed last is this call's (every transaction begins with a
    // read of the file's header, which clears it); anything else that the system failed leaves its
    // number with the connection as the call fails.
    int error = (extended & 0xff) == SQLITE_IOERR ? ReadWatch::of(db).last : 0;
    if (error == 0 && db && isSystemCode(extended))
        error = sqlite3_system_errno(db);
    return error == 0 ? text : QStringLiteral("%1: %2").arg(text, readReason(error));
}

StoreOutcome FailureCause::of(sqlite3* db, int code, const QString& text)
{
    if (db && isSystemCode(code))
        return StoreOutcome::systemFailure(faultText(db, code));
    return StoreOutcome::fromCode(code, text);
}

StoreOutcome FailureCause::of(const QSqlDatabase& db, const QSqlError& error)
{
    if (!error.isValid())
        return {};
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return of(handleOf(db), numeric ? code : SQLITE_ERROR, text);
}

StoreOutcome FailureCause::proven(const StoreOutcome& outcome, const QString& path)
{
    if (outcome.reason() != StoreOutcome::Reason::Damaged)
        return outcome;
    StoreOutcome stopped;
    const StoreResult found = BXSqlDb::checkFileIntegrity(path, &stopped);
    if (found.kind() == StoreResult::Kind::Damaged)
        return outcome;
    if (found.ok())
        return StoreOutcome::systemFailure(tr("a read of it failed, though it passes its check"));
    if (stopped.busy())
        return stopped;
    QString report;
    return StoreOutcome::systemFailure(StoreResult::splitDetails(QString::fromStdString(found.message()), &report));
}

StoreResult FailureCause::judgeIntegrity(const QStringList& findings, const StoreOutcome& stopped,
                                         const QString& unread)
{
    if (stopped.ok() && unread.isEmpty() && findings == QStringList{QStringLiteral("ok")})
        return StoreResult();
    const QString report = (stopped.ok() ? findings : findings + QStringList{stopped.detail()})
                               .join(QLatin1Char('\n'));
    // A page that could not be read ends the check with damage too: its verdict then stands on
    // what could not be read.
    const int code = unreadPage(findings);
    if (!unread.isEmpty() || code != 0) {
        return StoreResult(StoreResult::Kind::Unread,
                           (tr("the integrity check cannot run: a part of the file could not be read (%1)")
                                .arg(unread.isEmpty() ? QString::fromUtf8(sqlite3_errstr(code)) : unread)
                            + QLatin1String(StoreResult::DetailsMark) + report)
                               .toStdString());
    }
    if (stopped.ok() || stopped.reason() == StoreOutcome::Reason::Damaged)
        return StoreResult(StoreResult::Kind::Damaged,
                           std::string("the file is damaged") + StoreResult::DetailsMark + report.toStdString());
    return StoreResult(StoreResult::Kind::Unread,
                       (stopped.busy() ? tr("the integrity check cannot run: another program holds "
                                            "the file (a backup tool or a database shell, say)")
                                       : tr("the integrity check cannot run: %1").arg(report))
                           .toStdString());
}
