#include "userdb/failurecause.h"

#include "userdb/diaryinuse.h"
#include "userdb/readwatch.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cstring>

namespace {

// The codes of a failure of the file or the system, which the system's error number explains.
bool isSystemCode(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN;
}

// The SQLite code of the first page that an integrity check could not read for a reason other
// than damage SQLite found in it (the system out of memory, say); 0 when there is none.
int unreadPage(const QStringList& findings)
{
    static const QRegularExpression coded(QStringLiteral("error code[= ](\\d+)"));
    for (const QString& finding : findings) {
        for (QRegularExpressionMatchIterator found = coded.globalMatch(finding); found.hasNext();) {
            const int code = found.next().captured(1).toInt();
            if (StoreResult::fromCode(code, QString()).kind() != StoreResult::Kind::Damaged)
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

QString FailureCause::faultText(const Facts& facts)
{
    const QString text = QString::fromUtf8(sqlite3_errstr(facts.extended));
    int error = (facts.extended & 0xff) == SQLITE_IOERR ? facts.lastRead : 0;
    if (error == 0 && facts.connected && isSystemCode(facts.extended))
        error = facts.systemError;
    return error == 0 ? text : QStringLiteral("%1: %2").arg(text, readReason(error));
}

StoreResult FailureCause::of(const Facts& facts)
{
    if (facts.connected && isSystemCode(facts.code))
        return StoreResult::systemFailure(faultText(facts));
    return StoreResult::fromCode(facts.code, facts.text);
}

StoreResult FailureCause::provenBy(const StoreResult& outcome, const StoreResult& check,
                                   const StoreResult& stopped)
{
    if (check.kind() == StoreResult::Kind::Damaged)
        return outcome;
    if (check.ok())
        return StoreResult::systemFailure(tr("a read of it failed, though it passes its check"));
    if (stopped.busy())
        return stopped;
    QString report;
    return StoreResult::systemFailure(StoreResult::splitDetails(check.message(), &report));
}

StoreResult FailureCause::judgeIntegrity(const QStringList& findings, const StoreResult& stopped, int failedRead)
{
    const QString unread = failedRead == 0
        ? QString()
        : QStringLiteral("%1: %2").arg(QString::fromUtf8(sqlite3_errstr(SQLITE_IOERR_READ)), readReason(failedRead));
    if (stopped.ok() && unread.isEmpty() && findings == QStringList{QStringLiteral("ok")})
        return StoreResult();
    const QString report = (stopped.ok() ? findings : findings + QStringList{stopped.message()})
                               .join(QLatin1Char('\n'));
    // A page that could not be read ends the check with damage too: its verdict then stands on
    // what could not be read.
    const int code = unreadPage(findings);
    if (!unread.isEmpty() || code != 0) {
        return StoreResult(StoreResult::Kind::Unread,
                           tr("the integrity check cannot run: a part of the file could not be read (%1)")
                                   .arg(unread.isEmpty() ? QString::fromUtf8(sqlite3_errstr(code)) : unread)
                               + QLatin1String(StoreResult::DetailsMark) + report);
    }
    if (stopped.ok() || stopped.kind() == StoreResult::Kind::Damaged)
        return StoreResult(StoreResult::Kind::Damaged,
                           QStringLiteral("the file is damaged") + QLatin1String(StoreResult::DetailsMark) + report);
    return StoreResult(StoreResult::Kind::Unread,
                       stopped.busy() ? tr("the integrity check cannot run: %1").arg(DiaryInUse::holding(tr("the file")))
                                      : tr("the integrity check cannot run: %1").arg(report));
}
