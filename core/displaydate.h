#ifndef PANTREL_CORE_DISPLAYDATE_H
#define PANTREL_CORE_DISPLAYDATE_H

#include <QDate>
#include <QLocale>
#include <QString>

// Dates as the program shows them. Every text of the program is English, so day and month
// names are English too, whatever the system's language: a screen never mixes two languages.
// The order and separators follow the user's locale. A date written out has two forms, both
// from the locale's long pattern: the long one for headings, the short one, with abbreviated
// names, inside sentences and titles.
class DisplayDate
{
public:
    // The date in a QDate format ("d MMM"), with English names; for chart axes.
    static QString text(const QDate& date, const QString& format);
    // The long form: "Monday, December 7, 2026" in en_US, "Monday, 7. December 2026" in de_DE.
    static QString longText(const QDate& date);
    // The short form: "Mon, Dec 7, 2026" in en_US, "Mon, 7. Dec 2026" in de_DE.
    static QString textDate(const QDate& date);
    // The date in figures, in the locale's order: "12/7/26", "07.12.26".
    static QString figures(const QDate& date);
    // A month's English name (1 to 12), long ("December") or short ("Dec").
    static QString monthName(int month, QLocale::FormatType format = QLocale::LongFormat);
};

#endif
