#pragma once

#include "profile/pagecontrollerof.h"

class GoalPage;

// The check-in's weight goal on the goal page, with the goal recommended for the body-mass
// index marked.
class GoalPC : public PageControllerOf<GoalPage>
{
public:
    using PageControllerOf::PageControllerOf;

    void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
              const DBTypes::UserPrefs* prefs) override;
    void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
              DBTypes::UserPrefs* prefs) override;
    void start() override;
    bool isPageComplete() override;

private:
    // Moves the " (recommended)" mark to the goal for the index of the height and weight;
    // no mark when either is not above 0.
    void _markRecommendation(float heightCm, float weightKg);
};
