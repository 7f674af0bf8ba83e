#include "widgets/qpopupcalendar.h"

#include "widgets/bxcalendar.h"

#include <QWidgetAction>

QPopupCalendar::QPopupCalendar(QWidget* parent, const char* name) : QMenu(parent)
{
    setObjectName(QString::fromLatin1(name));
    _init(QDate(1970, 1, 1));
}

QPopupCalendar::QPopupCalendar(QWidget* parent, const QDate& date) : QMenu(parent)
{
    _init(date);
    connect(_calendar, &BXCalendar::monthChanged, this, &QPopupCalendar::monthChanged);
}

void QPopupCalendar::_init(const QDate& date)
{
    _calendar = new BXCalendar(this, date, QDate(1900, 1, 1), QDate(2100, 1, 1));
    auto* item = new QWidgetAction(this);
    item->setDefaultWidget(_calendar);
    addAction(item);
    connect(_calendar, &BXCalendar::dateChanged, this, &QPopupCalendar::dateChanged);
    connect(_calendar, &BXCalendar::daySelected, this, &QPopupCalendar::handleDateSelection);
}

void QPopupCalendar::setMinimumDate(const QDate& date)
{
    _calendar->setMinimumDate(date);
}

void QPopupCalendar::setMaximumDate(const QDate& date)
{
    _calendar->setMaximumDate(date);
}

QDate QPopupCalendar::getMinimumDate() const
{
    return _calendar->getMinimumDate();
}

QDate QPopupCalendar::getMaximumDate() const
{
    return _calendar->getMaximumDate();
}

void QPopupCalendar::setBoldDay(const QDate& date)
{
    _calendar->setBoldDay(date);
}

void QPopupCalendar::setBoldDay(const char* dateCode)
{
    _calendar->setBoldDay(dateCode);
}

void QPopupCalendar::setDayFgColor(const QDate& date, const QColor& colour)
{
    _calendar->setDayFgColor(date, colour);
}

void QPopupCalendar::setDayBgColor(const QDate& date, const QColor& colour)
{
    _calendar->setDayBgColor(date, colour);
}

void QPopupCalendar::clearBoldBits()
{
    _calendar->clearBoldBits();
}

void QPopupCalendar::setBackgroundColors(const QColor& colour)
{
    _calendar->setBackgroundColors(colour);
}

void QPopupCalendar::handleDateSelection(const QDate& date)
{
    emit daySelected(date);
    emit dateChanged(date);
    close();
}
