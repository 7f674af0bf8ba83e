#include "profile/goalpc.h"

#include "profile/goalpage.h"
#include "userdb/userdb.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace {

QString recommendedMark()
{
    return QObject::tr(" (recommended)");
}

} // namespace

void GoalPC::load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                  const DBTypes::UserPrefs*)
{
    if (checkin) {
        if (QAbstractButton* button = _page->_goalButtonGroup->button(checkin->goal))
            button->setChecked(true);
        if (profile)
            _markRecommendation(profile->height, checkin->weight);
    }
    _page->updateErrors();
}

void GoalPC::_markRecommendation(float heightCm, float weightKg)
{
    for (QAbstractButton* button : _page->_goalButtonGroup->buttons())
        button->setText(button->text().remove(recommendedMark()));
    if (heightCm <= 0.0f || weightKg <= 0.0f)
        return;
    const int goal = UserDB::goalRecommendation(UserDB::calcBMI_f(heightCm, weightKg));
    if (QAbstractButton* button = _page->_goalButtonGroup->button(goal))
        button->setText(button->text() + recommendedMark());
}

void GoalPC::save(DBTypes::UserProfile*, DBTypes::CheckinItem* checkin, DBTypes::UserPrefs*)
{
    if (!checkin)
        return;
    checkin->goal = _page->_goalButtonGroup->checkedId();
    checkin->hasGoal = true;
}

void GoalPC::start()
{
    if (QAbstractButton* button = _page->_goalButtonGroup->checkedButton())
        button->setFocus();
    else
        _page->_loseButton->setFocus();
}

bool GoalPC::isPageComplete()
{
    return _page->_goalButtonGroup->checkedId() >= 0;
}
