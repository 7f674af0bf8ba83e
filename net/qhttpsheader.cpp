#include "net/qhttpsheader.h"

QHttpsHeader::QHttpsHeader(const QString& text)
{
    parse(text);
}

QString QHttpsHeader::toString() const
{
    if (!_valid)
        return QString();
    QString text;
    for (auto it = _fields.cbegin(); it != _fields.cend(); ++it)
        text += it.key() + QStringLiteral(": ") + it.value() + QStringLiteral("\r\n");
    return text;
}

void QHttpsHeader::setValue(const QString& key, const QString& value)
{
    _fields.insert(key.toLower(), value);
}

QString QHttpsHeader::value(const QString& key) const
{
    return _fields.value(key.toLower());
}

bool QHttpsHeader::hasKey(const QString& key) const
{
    return _fields.contains(key.toLower());
}

void QHttpsHeader::removeValue(const QString& key)
{
    _fields.remove(key.toLower());
}

QStringList QHttpsHeader::keys() const
{
    return _fields.keys();
}

bool QHttpsHeader::hasContentLength() const
{
    return hasKey(QStringLiteral("content-length"));
}

uint QHttpsHeader::contentLength() const
{
    return value(QStringLiteral("content-length")).toUInt();
}

void QHttpsHeader::setContentLength(int length)
{
    setValue(QStringLiteral("content-length"), QString::number(length));
}

bool QHttpsHeader::hasContentType() const
{
    return hasKey(QStringLiteral("content-type"));
}

QString QHttpsHeader::contentType() const
{
    const QString type = value(QStringLiteral("content-type"));
    if (type.isEmpty())
        return QString();
    const qsizetype semicolon = type.indexOf(QLatin1Char(';'));
    return semicolon < 0 ? type : type.left(semicolon).trimmed();
}

void QHttpsHeader::setContentType(const QString& type)
{
    setValue(QStringLiteral("content-type"), type);
}

void QHttpsHeader::parse(const QString& text)
{
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const bool crlf = newline > 0 && text.at(newline - 1) == QLatin1Char('\r');
    const QStringList raw = crlf ? text.trimmed().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                 : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList lines;
    for (const QString& line : raw) {
        if (line.at(0).isSpace()) {
            if (!lines.isEmpty())
                lines.last() += QLatin1Char(' ') + line.trimmed();
        } else {
            lines.append(line);
        }
    }
    for (int number = 0; number < lines.size(); ++number) {
        if (!parseLine(lines.at(number), number)) {
            _valid = false;
            return;
        }
    }
}

bool QHttpsHeader::parseLine(const QString& line, int)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    setValue(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    return true;
}
