#include "widgets/bxlabel.h"

#include <QMouseEvent>

BXLabel::BXLabel(QWidget* parent, const QString& text) : QLabel(text, parent)
{
    init();
}

BXLabel::BXLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    init();
}

void BXLabel::init()
{
    connect(this, &BXLabel::clicked, this, &BXLabel::invokeBuddy);
}

void BXLabel::invokeBuddy()
{
    if (QWidget* target = buddy())
        target->setFocus(Qt::MouseFocusReason);
}

void BXLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
