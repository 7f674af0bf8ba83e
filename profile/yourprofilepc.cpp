#include "profile/yourprofilepc.h"

#include "core/unitenergy.h"
#include "profile/bmiwidget.h"
#include "profile/yourprofilepage.h"
#include "widgets/numberfieldcheck.h"

#include <QLineEdit>

void YourProfilePC::load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                         const DBTypes::UserPrefs* prefs)
{
    // The scale speaks the units of the profile's own user, who may not be the current one.
    if (prefs) {
        _page->_bmiWidget->setDisplayImperial(prefs->measurementUnits == 1);
        _energyType = UnitEnergy::typeOfPreference(prefs->energyUnits);
        _page->setEnergyUnit(UnitEnergy(_energyType));
    }
    if (!checkin)
        return;
    if (checkin->hasCustomRMR() && checkin->customRMR() >= 0.0f) {
        NumberFieldCheck::showStored(
            _page->_RMRLineEdit,
            UnitEnergy(_energyType).printField(checkin->customRMR()));
        _loadedRMR = checkin->customRMR();
    } else {
        _page->_RMRLineEdit->clear();
        _loadedRMR = -1.0f;
    }
    _loadedText = _page->_RMRLineEdit->text();
    if (profile)
        _page->_bmiWidget->set(0, checkin->weight, profile->height);
}

void YourProfilePC::save(DBTypes::UserProfile*, DBTypes::CheckinItem* checkin,
                         DBTypes::UserPrefs*)
{
    if (!checkin)
        return;
    const QString text = _page->_RMRLineEdit->text();
    if (text.trimmed().isEmpty())
        checkin->setNoCustomRMR();
    else if (text == _loadedText)
        checkin->setCustomRMR(_loadedRMR);
    else
        checkin->setCustomRMR(float(UnitEnergy(_energyType).input(text)));
}

bool YourProfilePC::isPageComplete()
{
    return _page->_RMRLineEdit->hasAcceptableInput();
}

void YourProfilePC::start()
{
    _page->_RMRLineEdit->setFocus();
}
