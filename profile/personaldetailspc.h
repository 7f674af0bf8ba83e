#pragma once

#include "profile/pagecontrollerof.h"

class PersonalDetailsPage;

// Name, date of birth and sex between the profile and the personal-details page.
class PersonalDetailsPC : public PageControllerOf<PersonalDetailsPage>
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
