#pragma once

#include <QDate>
#include <QLineEdit>

// A one-line field for a date typed in the locale's order of day and month: the month as a
// number or a name, the fields split by "/", ".", "-" or a blank, two-digit years read as
// the nearest past year. Without a valid date and without focus it shows a grey hint.
class DateLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    DateLineEdit(int minYear, int maxYear, QWidget* parent);

    // The typed date; invalid when the text names no date.
    QDate date() const;
    // date() is valid and its year lies within the field's range.
    bool validDate() const;
    void setDate(const QDate& date);
    // Shows the grey hint unless the text is a valid date.
    void format();
    // "month/day/year" or "day/month/year", after the locale.
    static QString dateFormatString();

    // The date a text names, reading the fields month first or day first; two-digit years
    // up to currentYear - 2000 belong to this century, the others to the last.
    static QDate parse(const QString& text, bool monthFirst, int currentYear);
    // The text setDate() writes for a date.
    static QString dateText(const QDate& date, bool monthFirst);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void _setTextColour(const QColor& colour);

    int _minYear;
    int _maxYear;
};
