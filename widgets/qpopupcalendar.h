#pragma once

#include <QDate>
#include <QMenu>

class BXCalendar;

// A popup menu that holds a calendar; picking a day reports it and closes the popup.
class QPopupCalendar : public QMenu
{
    Q_OBJECT

public:
    // The calendar starts at 1970-01-01; dates lie within 1900-01-01 .. 2100-01-01.
    QPopupCalendar(QWidget* parent, const char* name);
    // The calendar starts at date; its month changes are passed on too.
    QPopupCalendar(QWidget* parent, const QDate& date);

    BXCalendar* calendar() const { return _calendar; }

    void setMinimumDate(const QDate& date);
    void setMaximumDate(const QDate& date);
    QDate getMinimumDate() const;
    QDate getMaximumDate() const;
    void setBoldDay(const QDate& date);
    void setBoldDay(const char* dateCode);
    void setDayFgColor(const QDate& date, const QColor& colour);
    void setDayBgColor(const QDate& date, const QColor& colour);

signals:
    void dateChanged(const QDate& date);
    void monthChanged(const QDate& date);
    void daySelected(const QDate& date);

public slots:
    void clearBoldBits();
    void setBackgroundColors(const QColor& colour);
    void handleDateSelection(const QDate& date);

private:
    void _init(const QDate& date);

    BXCalendar* _calendar = nullptr;
};
