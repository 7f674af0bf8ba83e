#include "diary/greentickswidget.h"

#include "core/brandengine.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// How close to the target a maintaining user's net energy must come, in kilocalories.
constexpr float s_tolerance = 100.0f;

const UnitDescriptor* energyUnit()
{
    return UnitCollection::instance()->get(DBTypes::ENERGY);
}

} // namespace

GreenTicksWidget::GreenTicksWidget(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    const BrandEngine* brand = BrandEngine::instance();
    _pmNoNo = brand->getPixmap("graphics_tick_no_no");
    _pmYesNo = brand->getPixmap("graphics_tick_yes_no");
    _pmNoYes = brand->getPixmap("graphics_tick_no_yes");
    _pmYesYes = brand->getPixmap("graphics_tick_yes_yes");
    // No tip until the day's figures arrive: any text before them would be made up.
    setFixedSize(getGreenTicksSize());
}

QSize GreenTicksWidget::getGreenTicksSize()
{
    return BrandEngine::instance()->getPixmap("graphics_tick_no_no").size();
}

void GreenTicksWidget::totalChanged(const DBTypes::DiaryDay& day)
{
    _netEnergy = day.getTotal(DBTypes::ENERGY);
    _exerciseMinutes = 0.0f;
    for (const DBTypes::ExerciseDiaryItem& exercise : day.exercises)
        _exerciseMinutes += exercise.duration;
    _applyFigures();
}

void GreenTicksWidget::updateCheckin(const DBTypes::CheckinItem& checkin)
{
    _energyTarget = checkin.target(DBTypes::ENERGY);
    _weightGoal = checkin.goal;
    _applyFigures();
}

QString GreenTicksWidget::_exerciseText()
{
    // Minutes below none, or no number at all, count as none: what is left is never more than
    // the goal.
    const float done = std::isfinite(_exerciseMinutes) ? std::max(_exerciseMinutes, 0.0f) : 0.0f;
    _exerciseTick = _exerciseGoal <= done;
    if (_exerciseTick)
        return tr("You've earnt a green tick for doing at least %1 minutes of exercise.")
            .arg(int(_exerciseGoal));
    return tr("You need to exercise for another %1 minutes to earn a green tick for exercise.")
        .arg(int(std::ceil(_exerciseGoal - done)));
}

QString GreenTicksWidget::_foodText(float* regainLimit)
{
    const UnitDescriptor* unit = energyUnit();
    const QString energyName = unit->nameInText();
    const float net = _netEnergy;
    const float target = _energyTarget;
    _foodTick = false;
    if (_weightGoal == DBTypes::MAINTAIN_WEIGHT) {
        if (net < target - s_tolerance)
            return tr("If you eat between %1 and %2 more %3 today, you'll be close enough to "
                      "your target to earn a green tick for %4.")
                .arg(unit->printNumber(target - s_tolerance - net),
                     unit->printNumber(target + s_tolerance - net), energyName, energyName);
        if (net <= target + s_tolerance) {
            _foodTick = true;
            return tr("You've earnt a green tick for coming within %1 of your net calorie budget.")
                .arg(unit->printNumberUnit(s_tolerance));
        }
        *regainLimit = target + s_tolerance;
        return tr("You're currently %1 over your budget. You need to fall within %2 of your "
                  "target to achieve a green tick for %3.")
            .arg(unit->printNumberUnit(net - target), unit->printNumberUnit(s_tolerance),
                 energyName);
    }
    if (_weightGoal == DBTypes::LOSE_WEIGHT) {
        if (net <= target) {
            _foodTick = true;
            return tr("You're currently on track for a green tick for %1, if you stay within "
                      "your budget.")
                .arg(energyName);
        }
        *regainLimit = target;
        return tr("You're currently missing out on a green tick, as you're %1 over your budget!")
            .arg(unit->printNumberUnit(net - target));
    }
    return QString();
}

void GreenTicksWidget::_applyFigures()
{
    const QString exerciseText = _exerciseText();
    float regainLimit = 0.0f;
    QString foodText = _foodText(&regainLimit);
    const bool regain =
        regainLimit > 0.0f && (_netEnergy - regainLimit) + _exerciseMinutes < 200.0f;
    if (regain)
        foodText = tr("%1\n\nYou could regain this green tick with an additional %2 of exercise.")
                       .arg(foodText, energyUnit()->printNumberUnit(_netEnergy - regainLimit));

    // The earned tick's text comes first.
    const bool exerciseFirst = _exerciseTick && !_foodTick;
    const QString& first = exerciseFirst ? exerciseText : foodText;
    const QString& second = exerciseFirst ? foodText : exerciseText;
    setToolTip(_foodTick || _exerciseTick ? tr("Congratulations! %1\n\n%2").arg(first, second)
                                          : tr("%1\n\n%2").arg(first, second));

    if (_foodTick)
        _shown = _exerciseTick ? &_pmYesYes : &_pmYesNo;
    else
        _shown = _exerciseTick ? &_pmNoYes : &_pmNoNo;
    update();
}

void GreenTicksWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Every tick is drawn at the size of the first one.
    painter.drawPixmap(QRect(QPoint(0, 0), size()), *_shown);
}
