#pragma once

#include "core/dbtypes.h"

#include <QFrame>

class QFont;
class QPainter;

// One nutrient's bar against its target: Large with a sentence under it, or Medium with the
// figures beside it.
class SummaryNutrientWidget : public QFrame
{
    Q_OBJECT

public:
    // The least length of a bar beside its figures, so that it still shows how far it is filled.
    static constexpr int kLeastBarWidth = 24;

    // The fonts belong to the caller and must outlive the bar.
    SummaryNutrientWidget(QWidget* parent, DBTypes::NutType nutrient, QFont& mini,
                          QFont& smallEmphasized, QFont& emphasized);

    void setValue(float value);
    void setTarget(float target, bool noTarget);
    void setAlarm(float alarm);
    void setLarge(bool large);
    bool isLarge() const { return _large; }

    QSize sizeHint() const override;
    // At least 216 pixels wide, a Medium bar wide enough for its figures beside a bar of the
    // least length, and as high as a Large bar's sentence needs at its width.
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;
    // Where the sentence under a Large bar is painted, wrapped to the bar's width.
    QRect sentenceRect() const;

    void drawContents(QPainter* painter);
    // The bar with its outline, before the outline is taken off: right of the name column,
    // beside the figures of a Medium bar.
    QRect barRect() const;

    // The part of a bar `barWidth` wide that `value` fills against `target`: none for a
    // target of 0 or below or a ratio that is no finite positive number, the whole bar from
    // the target on.
    static int usedWidth(int barWidth, float value, float target);
    // Whether the bar's outline turns red: an alarm of 0 or more that the value has reached.
    static bool isAlarm(float value, float alarm);
    // The sentence under a Large bar.
    static QString largeSentence(DBTypes::NutType nutrient, float value, float target,
                                 bool hasTarget);
    // The figures beside a Medium bar.
    static QString mediumFigure(DBTypes::NutType nutrient, float value, float target,
                                bool hasTarget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect _sentenceRoom(int width) const;
    QRect _sentenceRect(int width) const;
    void _drawLargeHeading(QPainter* painter) const;
    void _drawMediumHeading(QPainter* painter) const;

    bool _large = false;
    bool _hasTarget = false;
    float _value = 0.0f;
    float _target = 1.0f;
    float _alarm = -1.0f;
    int _nameWidth;
    int _textWidth;
    int _miniAscent;
    int _emphasizedAscent;
    QFont& _mini;
    QFont& _smallEmphasized;
    QFont& _emphasized;
    DBTypes::NutType _nutrient;
};
