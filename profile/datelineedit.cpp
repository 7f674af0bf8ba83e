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

// The short date form of the user's locale, whose separator and padding the field suggests.
QString shortDateFormat()
{
    return QLocale().dateFormat(QLocale::ShortFormat);
}

// The separator of the locale's short date ("." in German, "/" in English) where it is one
// the field reads; "/" otherwise.
QChar dateSeparator()
{
    for (const QChar c : shortDateFormat()) {
        if (c == QLatin1Char('.') || c == QLatin1Char('/') || c == QLatin1Char('-'))
            return c;
    }
    return QLatin1Char('/');
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
    // Two figures for the day and month where the locale writes them so ("15.03.1985").
    const int width = shortDateFormat().contains(QStringLiteral("dd")) ? 2 : 0;
    const auto figure = [width](int number) {
        return QString::number(number).rightJustified(width, QLatin1Char('0'));
    };
    return QStringLiteral("%1%4%2%4%3")
        .arg(figure(first), figure(second), QString::number(date.year()), QString(dateSeparator()));
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
    const QString separator = dateSeparator();
    return BXSettings::getDateFormat() ? tr("month%1day%1year").arg(separator)
                                       : tr("day%1month%1year").arg(separator);
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
