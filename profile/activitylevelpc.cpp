#include "profile/activitylevelpc.h"

#include "profile/activitylevelpage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace {

// Checks the button of the id; an id without a button changes nothing.
void setButton(QButtonGroup* group, int id)
{
    if (QAbstractButton* button = group->button(id))
        button->setChecked(true);
}

} // namespace

void ActivityLevelPC::load(const DBTypes::UserProfile*, const DBTypes::CheckinItem* checkin,
                           const DBTypes::UserPrefs* prefs)
{
    if (checkin)
        setButton(_page->_activityButtonGroup, checkin->activity);
    if (prefs)
        setButton(_page->_snackButtonGroup, prefs->snackDisplay);
    _page->updateErrors();
}

void ActivityLevelPC::save(DBTypes::UserProfile*, DBTypes::CheckinItem* checkin,
                           DBTypes::UserPrefs* prefs)
{
    if (checkin) {
        checkin->activity = _page->_activityButtonGroup->checkedId();
        checkin->hasActivity = true;
    }
    if (prefs)
        prefs->snackDisplay = _page->_snackButtonGroup->checkedId();
}

void ActivityLevelPC::start()
{
    QAbstractButton* checked = _page->_activityButtonGroup->checkedButton();
    (checked ? checked : _page->_noneButton)->setFocus();
}

bool ActivityLevelPC::isPageComplete()
{
    return _page->_activityButtonGroup->checkedId() >= 0;
}
