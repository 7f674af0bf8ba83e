#pragma once

#include <QDate>
#include <QWidget>

class QCalView;
class QPushButton;
class QSpinBox;

// A month grid with its controls: previous and next month, the month (a button that pops
// up the month list), the year and, when shown, "Today". Dates stay within the minimum
// and maximum dates.
class BXCalendar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QDate MinimumDate READ getMinimumDate WRITE setMinimumDate)
    Q_PROPERTY(QDate MaximumDate READ getMaximumDate WRITE setMaximumDate)

public:
    // Today, within 1900-01-01 .. 2100-01-01.
    BXCalendar(QWidget* parent, const char* name);
    BXCalendar(QWidget* parent, const QDate& date, const QDate& minimum, const QDate& maximum);

    QDate getDate() const;
    QDate getMinimumDate() const { return _minimum; }
    QDate getMaximumDate() const { return _maximum; }

    void setMinimumDate(const QDate& date);
    void setMaximumDate(const QDate& date);
    void showToday(bool show);

    // Bold days and day colours of the grid. The date-code forms take "yyyyMMdd".
    void setBoldBits(const QDate& month, const int bits);
    void setBoldDay(const QDate& date);
    void setBoldDay(const char* dateCode);
    void unsetBoldDay(const QDate& date);
    void unsetBoldDay(const char* dateCode);
    void clearBoldBits();
    bool isBoldDay(const QDate& date) const;
    void setDayFgColor(const QDate& date, const QColor& colour);
    QColor getDayFgColor(const QDate& date) const;
    void setDayBgColor(const QDate& date, const QColor& colour);
    QColor getDayBgColor(const QDate& date) const;

    void setBackgroundColors(const QColor& colour);

signals:
    void dateChanged(const QDate& date);
    void monthChanged(const QDate& date);
    void daySelected(const QDate& date);

public slots:
    // Selects the date (held within minimum..maximum), updates the controls and emits
    // dateChanged(), also when the date did not change.
    void setDate(QDate date, bool repaint);
    // Shows the date in the grid only: no controls updated, no signal.
    void setCal(const QDate& date);

private slots:
    void handleDateSelection(const QDate& date);
    void nextButtonPress();
    void prevButtonPress();
    void updateYear(int year);
    void todayButtonPress();
    void displayMonthList();

private:
    void init(const QDate& date, const QDate& minimum, const QDate& maximum);
    void languageChange();
    void setCtls(const QDate& date);
    void _moveMonths(int months);

    QPushButton* _prevButton = nullptr;
    QPushButton* _monthButton = nullptr;
    QPushButton* _nextButton = nullptr;
    QSpinBox* _yearSpin = nullptr;
    QPushButton* _todayButton = nullptr;
    QCalView* _grid = nullptr;
    QDate _minimum;
    QDate _maximum;
};
