#ifndef PANTREL_CORE_DISPLAYDATE_H
#define PANTREL_CORE_DISPLAYDATE_H

#include <QDate>
#include <QLocale>
#include <QString>

// Dates as the program shows them. Every text of the program is English, so day and month
// names are English too, whatever the system's language: a screen never mixes two languages.
// A date written in figures alone follows the order and separators of the user's locale.
class DisplayDate
{
public:
    // The date in a QDate format ("dddd, d MMM yyyy"), with English names.
    static QString text(const QDate& date, const QString& format);
    // The short text form with English names: "Mon Dec 7 2026".
    static QString textDate(const QDate& date);
    // The date in figures, in the locale's order: "12/7/26", "07.12.26".
    static QString figures(const QDate& date);
    // A month's English name (1 to 12), long ("December") or short ("Dec").
    static QString monthName(int month, QLocale::FormatType format = QLocale::LongFormat);
};

#endif
