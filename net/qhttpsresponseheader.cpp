#include "net/qhttpsresponseheader.h"

QHttpsResponseHeader::QHttpsResponseHeader()
{
    setValid(false);
}

QHttpsResponseHeader::QHttpsResponseHeader(int code, const QString& text, int major, int minor)
    : _code(code)
    , _reason(text)
    , _major(major)
    , _minor(minor)
{
}

QHttpsResponseHeader::QHttpsResponseHeader(const QString& text)
{
    parse(text);
}

void QHttpsResponseHeader::setStatusLine(int code, const QString& text, int major, int minor)
{
    setValid(true);
    _code = code;
    _reason = text;
    _major = major;
    _minor = minor;
}

QString QHttpsResponseHeader::toString() const
{
    return QStringLiteral("HTTP/%1.%2 %3 %4\r\n%5\r\n")
        .arg(_major)
        .arg(_minor)
        .arg(_code)
        .arg(_reason, QHttpsHeader::toString());
}

bool QHttpsResponseHeader::parseLine(const QString& line, int number)
{
    if (number != 0)
        return QHttpsHeader::parseLine(line, number);
    const QString status = line.simplified();
    if (status.size() < 10 || !status.startsWith(QLatin1String("HTTP/")) || !status.at(5).isDigit()
        || status.at(6) != QLatin1Char('.') || !status.at(7).isDigit()
        || status.at(8) != QLatin1Char(' ') || !status.at(9).isDigit())
        return false;
    _major = status.at(5).digitValue();
    _minor = status.at(7).digitValue();
    const qsizetype blank = status.indexOf(QLatin1Char(' '), 9);
    if (blank >= 0) {
        _code = status.mid(9, blank - 9).toInt();
        _reason = status.mid(blank + 1);
    } else {
        _code = status.mid(9).toInt();
        _reason = QString();
    }
    return true;
}
