#pragma once

#include <QDate>
#include <QFrame>

class QLabel;
class QPopupCalendar;
class QStyle;
class QToolButton;

// The bar over every report viewer: the date, a calendar to pick another, and buttons to go
// back, to today and forward by a day or, with month granularity, by a month.
class DateSelectorBar : public QFrame
{
    Q_OBJECT

public:
    enum Granularity { Day = 0, Month = 1 };

    explicit DateSelectorBar(QWidget* parent = nullptr);
    ~DateSelectorBar() override;

    QDate getDate() const { return _date; }
    Granularity granularity() const { return _granularity; }
    void setGranularity(Granularity granularity) { _granularity = granularity; }

    QLabel* dateLabel() const { return _label; }
    QToolButton* calendarButton() const { return _calendarButton; }
    QPopupCalendar* popupCalendar() const { return _popup; }
    QToolButton* prevButton() const { return _prev; }
    QToolButton* todayButton() const { return _today; }
    QToolButton* nextButton() const { return _next; }

signals:
    // Also when the date stays the same.
    void dateChanged(const QDate& date);

public slots:
    void setDate(const QDate& date);
    // Shows and reports the date; moves the pop-up calendar to it when `updateCalendar`.
    void setDate(const QDate& date, bool updateCalendar);
    void handleTodayButton();
    void handlePrevButton();
    void handleNextButton();
    void handleCalendarDate(const QDate& date);

private:
    QFrame* _panel(QWidget* child1, QWidget* child2 = nullptr, QWidget* child3 = nullptr);
    QToolButton* _toolButton(const QString& text);
    QDate _moved(int steps) const;

    QDate _date;
    Granularity _granularity = Day;
    QStyle* _style;
    QLabel* _label;
    QToolButton* _calendarButton;
    QPopupCalendar* _popup;
    QToolButton* _prev;
    QToolButton* _today;
    QToolButton* _next;
};
