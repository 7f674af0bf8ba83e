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

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

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
