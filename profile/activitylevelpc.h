#pragma once

#include "profile/pagecontrollerof.h"

class ActivityLevelPage;

// The check-in's activity level and the preferences' snack display on their page.
class ActivityLevelPC : public PageControllerOf<ActivityLevelPage>
{
public:
    using PageControllerOf::PageControllerOf;

    void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
              const DBTypes::UserPrefs* prefs) override;
    void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
              DBTypes::UserPrefs* prefs) override;
    void start() override;
    bool isPageComplete() override;
};
