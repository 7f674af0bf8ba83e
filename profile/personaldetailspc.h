#pragma once

#include "profile/pagecontroller.h"

class PersonalDetailsPage;

// Name, date of birth and sex between the profile and the personal-details page.
class PersonalDetailsPC : public PageController
{
public:
    explicit PersonalDetailsPC(PersonalDetailsPage* page);

    void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
              const DBTypes::UserPrefs* prefs) override;
    void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
              DBTypes::UserPrefs* prefs) override;
    void start() override;
    bool isPageComplete() override;

private:
    PersonalDetailsPage* _page;
};
