#include "widgets/qpopupcalendarwidget.h"

#include "core/displaydate.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"

QPopupCalendarWidget::QPopupCalendarWidget(QWidget* parent, const char* name)
    : QToolButton(parent), _popup(new QPopupCalendar(this, name))
{
    setObjectName(QString::fromLatin1(name));
    setMenu(_popup);
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(false);
    connect(_popup, &QPopupCalendar::dateChanged, this, &QPopupCalendarWidget::changeText);
}

void QPopupCalendarWidget::changeText(const QDate& date)
{
    setText(DisplayDate::figures(date));
    emit dateChanged(date);
}

void QPopupCalendarWidget::setDate(QDate date)
{
    _popup->calendar()->setDate(date, true);
    emit dateChanged(date);
}

void QPopupCalendarWidget::clearBoldBits()
{
    _popup->clearBoldBits();
}
