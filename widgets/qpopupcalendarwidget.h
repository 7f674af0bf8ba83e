#pragma once

#include <QDate>
#include <QToolButton>

class QPopupCalendar;

// A button that shows a date and pops up a calendar to pick another.
class QPopupCalendarWidget : public QToolButton
{
    Q_OBJECT

public:
    QPopupCalendarWidget(QWidget* parent, const char* name);

    QPopupCalendar* popupCalendar() const { return _popup; }

signals:
    void dateChanged(const QDate& date);

public slots:
    // Shows the date in the locale's short date format and reports it.
    void changeText(const QDate& date);
    void setDate(QDate date);
    void clearBoldBits();

private:
    QPopupCalendar* _popup;
};
