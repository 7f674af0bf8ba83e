#include "userdb/bxexception.h"

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

const char* BXException::what() const noexcept
{
    return m_ascii.constData();
}
