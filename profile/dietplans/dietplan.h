#pragma once

#include "core/dbtypes.h"

#include <QString>

// Base of the diet plans. A plan computes the daily targets from profile and check-in and
// picks the scale of each bar in the summary panel.
class DietPlan
{
public:
    // What calculateRMR() gives when the inputs allow no estimate.
    static constexpr float NO_RMR = -1.0f;

    virtual ~DietPlan();

    // Writes the plan's targets into the check-in; false, with the check-in left exactly as
    // it was, when the check-in and profile do not allow them to be computed.
    virtual bool calculateTargets(DBTypes::CheckinItem* checkin,
                                  const DBTypes::UserProfile* profile) const = 0;
    // Writes the display size of every nutrient's target.
    virtual void setDefaultTargetSize(DBTypes::UserPrefs* prefs) const = 0;
    // What a check-in stores as its diet plan.
    virtual QString id() const = 0;
    // The text shown to the user for the plan.
    virtual QString name() const = 0;

    // The day's energy need in kilocalories: the resting metabolic rate scaled by the
    // check-in's activity level; NO_RMR when the weight, height, age or activity level is
    // missing or out of range.
    float calculateRMR(const DBTypes::CheckinItem* checkin,
                       const DBTypes::UserProfile* profile) const;
};
