#pragma once

#include "core/diaryday.h"

#include <QPixmap>
#include <QWidget>

// Draws the day's two ticks side by side: food (net energy compared with the target in the
// direction the weight goal wants) and exercise (30 minutes or more). The tooltip explains
// each tick and what would still earn it.
class GreenTicksWidget : public QWidget
{
    Q_OBJECT

public:
    GreenTicksWidget(QWidget* parent, const char* name, Qt::WindowFlags flags = {});

    // The size every tick image has.
    static QSize getGreenTicksSize();

    bool hasFoodTick() const { return _foodTick; }
    bool hasExerciseTick() const { return _exerciseTick; }

public slots:
    void totalChanged(const DBTypes::DiaryDay& day);
    void updateCheckin(const DBTypes::CheckinItem& checkin);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void _applyFigures();
    QString _exerciseText();
    QString _foodText(float* regainLimit);

    float _netEnergy = 0.0f;
    float _energyTarget = 0.0f;
    float _exerciseMinutes = 0.0f;
    const float _exerciseGoal = 30.0f;
    // No goal until the first check-in: no food rule applies.
    int _weightGoal = -1;
    bool _foodTick = false;
    bool _exerciseTick = false;
    QPixmap _pmNoNo;
    QPixmap _pmYesNo;
    QPixmap _pmNoYes;
    QPixmap _pmYesYes;
    const QPixmap* _shown = &_pmYesYes;
};
