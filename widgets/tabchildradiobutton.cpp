#include "widgets/tabchildradiobutton.h"

#include "widgets/tabbodywidget.h"

#include <QPainter>

TabChildRadioButton::TabChildRadioButton(QWidget* parent, const char* name) : QRadioButton(parent)
{
    setObjectName(QString::fromLatin1(name));
}

void TabChildRadioButton::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        TabBodyWidget::drawTabBackground(this, &painter);
    }
    QRadioButton::paintEvent(event);
}
