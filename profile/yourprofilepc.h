#pragma once

#include "core/unitenergy.h"
#include "profile/pagecontrollerof.h"

#include <QString>

class YourProfilePage;

// The check-in's custom resting metabolic rate, stored in kilocalories and typed in the
// energy unit of the profile's user, and the BMI scale of the profile page. A field whose
// text is still the one load() wrote gives back the loaded rate, not its rounded display.
class YourProfilePC : public PageControllerOf<YourProfilePage>
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
    QString _loadedText;
    float _loadedRMR = -1.0f;
    int _energyType = UnitEnergy::Kilocalories;
};
