#include "profile/dietplans/bxdietplan.h"

#include <algorithm>
#include <cassert>

using DBTypes::NutType;

namespace {

constexpr float LOSE_DEFICIT = 450.0f;
constexpr float GAIN_SURPLUS = 500.0f;
constexpr float LOSE_CAP = 2000.0f;
constexpr float ENERGY_FLOOR = 1200.0f;
constexpr float FIBER_GRAMS = 25.0f;

// Grams of fat for an energy target.
float fatFor(float energy)
{
    return float(7.0 * energy / 180.0 - 50.0 / 3.0);
}

// Grams of carbohydrate for an energy target.
float carbsFor(float energy)
{
    const float square = energy * energy;
    return float(double(square) / 40000.0 + 0.075 * energy);
}

// Protein takes the energy that fat and carbohydrate leave, and never goes below nothing.
float proteinFor(float energy, float fat, float carbs)
{
    const float protein = float((energy - 9.0 * fat - 4.0 * carbs) / 4.0);
    return std::max(0.0f, protein);
}

bool isGoal(int goal)
{
    return goal >= DBTypes::LOSE_WEIGHT && goal <= DBTypes::GAIN_WEIGHT;
}

// The energy target in kilocalories for a day's energy need and a weight goal.
float energyTarget(float need, int goal)
{
    float energy = need;
    if (goal == DBTypes::LOSE_WEIGHT)
        energy = std::min(energy - LOSE_DEFICIT, LOSE_CAP);
    else if (goal == DBTypes::GAIN_WEIGHT)
        energy = energy + GAIN_SURPLUS;
    return std::max(energy, ENERGY_FLOOR);
}

} // namespace

bool BXDietPlan::calculateTargets(DBTypes::CheckinItem* checkin,
                                  const DBTypes::UserProfile* profile) const
{
    assert(checkin && profile);
    if (!isGoal(checkin->goal))
        return false;
    const float need = checkin->noCustomRMR() ? calculateRMR(checkin, profile)
                                              : checkin->customRMR();
    if (!(need >= 0.0f))
        return false;
    const float energy = energyTarget(need, checkin->goal);
    const float fat = fatFor(energy);
    const float carbs = carbsFor(energy);
    checkin->setTarget(DBTypes::ENERGY, energy);
    checkin->setTarget(DBTypes::CARBS, carbs);
    checkin->setTarget(DBTypes::FAT, fat);
    checkin->setTarget(DBTypes::PROTEIN, proteinFor(energy, fat, carbs));
    checkin->setTarget(DBTypes::FIBER, FIBER_GRAMS);
    for (NutType nut : {DBTypes::SATFAT, DBTypes::CHOLESTEROL, DBTypes::SODIUM, DBTypes::SUGAR,
                        DBTypes::CALCIUM})
        checkin->clearTarget(nut);
    return true;
}

void BXDietPlan::setDefaultTargetSize(DBTypes::UserPrefs* prefs) const
{
    assert(prefs);
    using Prefs = DBTypes::UserPrefs;
    prefs->setTargetSize(DBTypes::ENERGY, Prefs::Large);
    for (NutType nut : {DBTypes::CARBS, DBTypes::FAT, DBTypes::PROTEIN, DBTypes::FIBER})
        prefs->setTargetSize(nut, Prefs::Medium);
    for (NutType nut : {DBTypes::SATFAT, DBTypes::CHOLESTEROL, DBTypes::SODIUM, DBTypes::SUGAR,
                        DBTypes::CALCIUM})
        prefs->setTargetSize(nut, Prefs::None);
}

QString BXDietPlan::id() const
{
    return QStringLiteral("Brellix");
}

QString BXDietPlan::name() const
{
    return QStringLiteral("Brellix");
}
