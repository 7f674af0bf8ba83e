#include "widgets/tabchildlabel.h"

#include "widgets/tabbodywidget.h"

#include <QPainter>

TabChildLabel::TabChildLabel(QWidget* parent, const char* name) : QLabel(parent)
{
    setObjectName(QString::fromLatin1(name));
}

void TabChildLabel::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        TabBodyWidget::drawTabBackground(this, &painter);
    }
    QLabel::paintEvent(event);
}
