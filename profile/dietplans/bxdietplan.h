#pragma once

#include "profile/dietplans/dietplan.h"

// The program's own plan: energy from the resting metabolic rate (or the user's own rate)
// adjusted for the weight goal, split into carbohydrate, fat and protein, and a fibre target.
class BXDietPlan : public DietPlan
{
public:
    // Energy, carbohydrate, fat, protein and fibre; the other five targets are removed.
    bool calculateTargets(DBTypes::CheckinItem* checkin,
                          const DBTypes::UserProfile* profile) const override;
    // Energy large; carbohydrate, fat, protein and fibre medium; the rest not shown.
    void setDefaultTargetSize(DBTypes::UserPrefs* prefs) const override;
    QString id() const override;
    QString name() const override;
};
