#include "core/dateconversion.h"

#include "core/dbtypes.h"

#include <algorithm>
#include <cstring>

void DateToCode4(const QDate& date, char* code)
{
    const QByteArray text = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    const size_t length = std::min<size_t>(text.size(), DBTypes::DATE_CODE_SIZE - 1);
    std::memcpy(code, text.constData(), length);
    code[length] = '\0';
}

QDate DateFromCode4(const char* date)
{
    if (!date || std::strlen(date) != 8)
        return QDate();
    const QString text = QString::fromLatin1(date, 8);
    for (QChar c : text) {
        if (!c.isDigit())
            return QDate();
    }
    const QString iso = text.left(4) + QLatin1Char('-') + text.mid(4, 2) + QLatin1Char('-')
        + text.mid(6, 2);
    return QDate::fromString(iso, Qt::ISODate);
}
