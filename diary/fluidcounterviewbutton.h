#pragma once

#include <QColor>
#include <QPushButton>

// The colour halfway between two colours, channel by channel.
QColor averageColor(QColor a, QColor b);

// A small square button of the water counter that draws a plus or a minus.
class FluidCounterViewButton : public QPushButton
{
    Q_OBJECT

public:
    FluidCounterViewButton(bool up, QWidget* parent, const char* name);

    // The button face: pressed, disabled or plain, with its sign.
    void drawButton(QPainter* painter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool _up;
};
