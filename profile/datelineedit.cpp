#include "profile/datelineedit.h"

#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/displaydate.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

constexpr int MonthsPerYear = 12;

// A month by name (short or long, any case) or by number; 0 when it is neither. Names are
// the English ones the program shows, and the locale's own as well.
int monthOf(const QString& field)
{
    const QString lower = field.toLower();
    const QLocale locale;
    for (int month = 1; month <= MonthsPerYear; ++month) {
        const QString names[] = {DisplayDate::monthName(month, QLocale::ShortFormat),
                                 DisplayDate::monthName(month, QLocale::LongFormat),
                                 locale.monthName(month, QLocale::ShortFormat),
                                 locale.monthName(month, QLocale::LongFormat)};
        for (const QString& name : names) {
            if (lower == name.toLower())
                return month;
        }
    }
    return field.toInt();
}

int yearOf(const QString& field, int currentYear)
{
    const int year = field.toInt();
    const int lastOfThisCentury = currentYear - 2000;
    if (year >= 0 && year <= lastOfThisCentury)
        return 2000 + year;
    if (year > lastOfThisCentury && year <= 99)
        return 1900 + year;
    return year;
}

} // namespace

DateLineEdit::DateLineEdit(int minYear, int maxYear, QWidget* parent)
    : QLineEdit(parent)
    , _minYear(minYear)
    , _maxYear(maxYear)
{
}

QDate DateLineEdit::parse(const QString& text, bool monthFirst, int currentYear)
{
    // The whole text is the date: nothing but blanks may stand before or after it.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(
            QStringLiteral("\\s*([0-9]*)\\s*[-/. ]\\s*(\\w*)\\s*[-/. ]\\s*([0-9]*)\\s*")),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = pattern.match(text);
    const QString first = match.captured(1);
    const QString second = match.captured(2);
    const QString yearField = match.captured(3);
    if (yearField.isEmpty())
        return {};
    const QString dayField = monthFirst ? second : first;
    const QString monthField = monthFirst ? first : second;
    return QDate(yearOf(yearField, currentYear), monthOf(monthField), dayField.toInt());
}

QString DateLineEdit::dateText(const QDate& date, bool monthFirst)
{
    const int first = monthFirst ? date.month() : date.day();
    const int second = monthFirst ? date.day() : date.month();
    return QStringLiteral("%1/%2/%3").arg(first).arg(second).arg(date.year());
}

QDate DateLineEdit::date() const
{
    return parse(text(), BXSettings::getDateFormat(), Clock::today().year());
}

bool DateLineEdit::validDate() const
{
    const QDate typed = date();
    return typed.isValid() && typed.year() >= _minYear && typed.year() <= _maxYear;
}

void DateLineEdit::setDate(const QDate& date)
{
    setText(dateText(date, BXSettings::getDateFormat()));
    format();
}

void DateLineEdit::format()
{
    if (validDate()) {
        _setTextColour(Qt::black);
        return;
    }
    _setTextColour(Qt::gray);
    setText(dateFormatString());
}

QString DateLineEdit::dateFormatString()
{
    return BXSettings::getDateFormat() ? tr("month/day/year") : tr("day/month/year");
}

void DateLineEdit::focusInEvent(QFocusEvent* event)
{
    if (!validDate()) {
        clear();
        _setTextColour(Qt::black);
    }
    QLineEdit::focusInEvent(event);
}

void DateLineEdit::focusOutEvent(QFocusEvent* event)
{
    format();
    QLineEdit::focusOutEvent(event);
}

void DateLineEdit::_setTextColour(const QColor& colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Text, colour);
    setPalette(colours);
}
