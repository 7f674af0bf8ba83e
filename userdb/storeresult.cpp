#include "userdb/storeresult.h"

#include <cstring>
#include <utility>

StoreResult::StoreResult(Kind kind, std::string message) : m_kind(kind), m_message(std::move(message)) {}

StoreResult StoreResult::done(std::string note)
{
    return StoreResult(Kind::Done, std::move(note));
}

QString StoreResult::splitDetails(const QString& text, QString* details)
{
    const qsizetype mark = text.indexOf(QLatin1String(DetailsMark));
    // Taken before *details is written, which may be the very text.
    const QString reason = mark < 0 ? text : text.left(mark);
    *details = mark < 0 ? QString() : text.mid(mark + qsizetype(std::strlen(DetailsMark)));
    return reason;
}
