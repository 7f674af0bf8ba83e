#pragma once

#include "profile/pagecontrollerof.h"

#include <QString>

class MeasurementsPage;

// The check-in's weight and the profile's height on the measurements page. A field whose
// text is still the one load() wrote gives back the loaded value, not its rounded display.
class MeasurementsPC : public PageControllerOf<MeasurementsPage>
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
    QString _loadedWeightText;
    float _loadedWeight = -1.0f;
};
