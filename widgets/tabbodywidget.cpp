#include "widgets/tabbodywidget.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

#include <cassert>

TabBodyWidget::TabBodyWidget(QWidget* parent, const char* name) : QFrame(parent)
{
    setObjectName(QString::fromLatin1(name));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
}

void TabBodyWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawContents(&painter);
}

void TabBodyWidget::drawContents(QPainter* painter)
{
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = frameRect();
    option.lineWidth = lineWidth();
    option.midLineWidth = midLineWidth();
    option.shape = QTabBar::RoundedNorth;
    option.state &= ~(QStyle::State_Raised | QStyle::State_Sunken);
    option.state |= frameShadow() == QFrame::Sunken ? QStyle::State_Sunken : QStyle::State_Raised;
    if (hasFocus())
        option.state |= QStyle::State_HasFocus;
    if (underMouse())
        option.state |= QStyle::State_MouseOver;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, painter, this);
}

void TabBodyWidget::drawTabBackground(QWidget* w, QPainter* p)
{
    auto* body = dynamic_cast<TabBodyWidget*>(w->parentWidget());
    assert(dynamic_cast<TabBodyWidget*>(w->parentWidget()));
    p->save();
    p->setClipRect(w->rect());
    p->translate(-w->pos());
    body->drawContents(p);
    p->restore();
}
