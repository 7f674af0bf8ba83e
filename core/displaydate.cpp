#include "core/displaydate.h"

QString DisplayDate::text(const QDate& date, const QString& format)
{
    return QLocale::c().toString(date, format);
}

QString DisplayDate::textDate(const QDate& date)
{
    return text(date, QStringLiteral("ddd MMM d yyyy"));
}

QString DisplayDate::figures(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString DisplayDate::monthName(int month, QLocale::FormatType format)
{
    return QLocale::c().monthName(month, format);
}
