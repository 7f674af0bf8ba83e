#include "userdb/bxexception.h"

#include "userdb/storeresult.h"

#include <QCoreApplication>

namespace {

QByteArray toAscii(const QString& text)
{
    QByteArray ascii;
    ascii.reserve(text.size());
    for (const QChar c : text)
        ascii.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
    return ascii;
}

} // namespace

BXException::BXException(const QString& message)
    : m_message(message), m_ascii(toAscii(message))
{
}

BXException::BXException(const char* message)
    : BXException(QString::fromUtf8(message))
{
}

BXException::~BXException() = default;

BXException BXException::ofStatement(const QString& failure, const StoreResult& outcome)
{
    const QString reason = outcome.message().isEmpty() ? outcome.changeText() : outcome.message();
    return BXException(QStringLiteral("%1: %2").arg(failure, reason));
}

BXException BXException::lackingTable(const QString& table)
{
    return BXException(QCoreApplication::translate("BXException", "The diary lacks the table %1.").arg(table));
}

const char* BXException::what() const noexcept
{
    return m_ascii.constData();
}
