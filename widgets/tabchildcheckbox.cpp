#include "widgets/tabchildcheckbox.h"

#include "widgets/tabbodywidget.h"

#include <QPainter>

TabChildCheckBox::TabChildCheckBox(QWidget* parent, const char* name) : QCheckBox(parent)
{
    setObjectName(QString::fromLatin1(name));
}

void TabChildCheckBox::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        TabBodyWidget::drawTabBackground(this, &painter);
    }
    QCheckBox::paintEvent(event);
}
