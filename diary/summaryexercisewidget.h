#pragma once

#include "diary/summaryobject.h"

#include <QFont>

class QPainter;

// The exercise bar of the summary panel: the day's exercise minutes against 30.
class SummaryExerciseWidget : public SummaryObject
{
    Q_OBJECT

public:
    SummaryExerciseWidget(QWidget* parent, const char* name);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    void drawContents(QPainter* painter);

    // The figures beside the bar, to one decimal.
    static QString minutesText(float minutes);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont _mini;
    QFont _smallEmphasized;
    int _labelWidth;
    int _labelY;
    int _textWidth;
    int _miniAscent;
};
