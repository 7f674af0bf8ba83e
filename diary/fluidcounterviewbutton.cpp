#include "diary/fluidcounterviewbutton.h"

#include <QPainter>

QColor averageColor(QColor a, QColor b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2,
                  (a.blue() + b.blue()) / 2);
}

FluidCounterViewButton::FluidCounterViewButton(bool up, QWidget* parent, const char* name)
    : QPushButton(parent), _up(up)
{
    setObjectName(QString::fromLatin1(name));
    QPalette colours = palette();
    colours.setColor(QPalette::Button, Qt::white);
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

void FluidCounterViewButton::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawButton(&painter);
}

void FluidCounterViewButton::drawButton(QPainter* painter)
{
    const int w = width();
    const int h = height();
    const int s = 4 * w / 11;
    const int t = s / 4;
    const int half = s / 2 - t / 2;
    const int left = (w - s) / 2;
    const int top = (h - s) / 2;
    const QColor background = palette().color(QPalette::Window);
    const QColor foreground = palette().color(QPalette::WindowText);
    if (isDown())
        painter->fillRect(rect(), QColor(160, 216, 255));
    else if (!isEnabled())
        painter->fillRect(rect(), averageColor(background, foreground));
    else
        painter->fillRect(rect(), background);
    painter->fillRect(left, top + half, s, t, foreground);
    if (!_up)
        return;
    painter->fillRect(left + half, top, t, half, foreground);
    painter->fillRect(left + half, top + s - half, t, half, foreground);
}
