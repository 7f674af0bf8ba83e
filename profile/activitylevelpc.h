#pragma once

#include "profile/pagecontroller.h"

class ActivityLevelPage;

// The check-in's activity level and the preferences' snack display on their page.
class ActivityLevelPC : public PageController
{
public:
    explicit ActivityLevelPC(ActivityLevelPage* page);

    void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
              const DBTypes::UserPrefs* prefs) override;
    void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
              DBTypes::UserPrefs* prefs) override;
    void start() override;
    bool isPageComplete() override;

private:
    ActivityLevelPage* _page;
};
