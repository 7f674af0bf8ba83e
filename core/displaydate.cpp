#include "core/displaydate.h"

namespace {

// The locale's long pattern, with abbreviated day and month names when short.
QString writtenPattern(bool abbreviated)
{
    QString format = QLocale().dateFormat(QLocale::LongFormat);
    if (abbreviated)
        format.replace(QStringLiteral("dddd"), QStringLiteral("ddd"))
            .replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format;
}

} // namespace

QString DisplayDate::text(const QDate& date, const QString& format)
{
    return QLocale::c().toString(date, format);
}

QString DisplayDate::longText(const QDate& date)
{
    return text(date, writtenPattern(false));
}

QString DisplayDate::textDate(const QDate& date)
{
    return text(date, writtenPattern(true));
}

QString DisplayDate::figures(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString DisplayDate::monthName(int month, QLocale::FormatType format)
{
    return QLocale::c().monthName(month, format);
}
