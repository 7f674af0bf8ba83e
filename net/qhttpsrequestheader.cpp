#include "net/qhttpsrequestheader.h"

QHttpsRequestHeader::QHttpsRequestHeader()
{
    setValid(false);
}

QHttpsRequestHeader::QHttpsRequestHeader(const QString& method, const QString& path, int major,
                                         int minor)
    : _method(method)
    , _path(path)
    , _major(major)
    , _minor(minor)
{
}

QHttpsRequestHeader::QHttpsRequestHeader(const QString& text)
{
    parse(text);
}

void QHttpsRequestHeader::setRequest(const QString& method, const QString& path, int major,
                                     int minor)
{
    setValid(true);
    _method = method;
    _path = path;
    _major = major;
    _minor = minor;
}

QString QHttpsRequestHeader::toString() const
{
    // The path goes in on its own, so that percent signs in it pass unchanged.
    return QStringLiteral("%1 %2").arg(_method, _path)
         + QStringLiteral(" HTTP/%1.%2\r\n%3\r\n").arg(_major).arg(_minor).arg(QHttpsHeader::toString());
}

bool QHttpsRequestHeader::parseLine(const QString& line, int number)
{
    if (number != 0)
        return QHttpsHeader::parseLine(line, number);
    const QStringList words = line.simplified().split(QLatin1Char(' '));
    if (words.size() > 0)
        _method = words.at(0);
    if (words.size() > 1)
        _path = words.at(1);
    if (words.size() < 3)
        return false;
    const QString& version = words.at(2);
    if (version.size() < 8 || !version.startsWith(QLatin1String("HTTP/")) || !version.at(5).isDigit()
        || version.at(6) != QLatin1Char('.') || !version.at(7).isDigit())
        return false;
    _major = version.at(5).digitValue();
    _minor = version.at(7).digitValue();
    return true;
}
