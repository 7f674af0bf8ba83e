#pragma once

#include "diary/summaryobject.h"

#include <QFont>

class FluidCounterViewButton;
class QPainter;

// The water counter of the summary panel: the day's glasses with a plus and a minus button;
// every click is stored at once.
class FluidCounterView : public SummaryObject
{
    Q_OBJECT

public:
    FluidCounterView(QWidget* parent, const char* name);

    FluidCounterViewButton* upButton() const { return _up; }
    FluidCounterViewButton* downButton() const { return _down; }

    // Wide enough for the glasses and their buttons, and as high as the advice needs at the
    // counter's width.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;
    // Where the advice is painted: beside the glasses where it fits on that line, else
    // wrapped under them.
    QRect adviceRect() const;

    void drawContents(QPainter* painter);

    // "You've had", the glasses right-aligned in two places, "out of 6 glasses.".
    static QString glassesText(int cups);

public slots:
    void upClicked();
    void downClicked();
    void _displayValue();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void _adjustValue(int delta);
    void _calculatePositions();
    int _leastWidth() const;
    QRect _adviceRoom(int width) const;
    QRect _adviceRect(int width) const;

    FluidCounterViewButton* _up;
    FluidCounterViewButton* _down;
    QFont _mini;
    QFont _smallEmphasized;
    int _textX = 0;
    int _hintX = 0;
    int _boxX = 0;
    int _textY = 0;
    int _labelY = 0;
    int _boxTop = 3;
};
