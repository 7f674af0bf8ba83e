#include "profile/targetspc.h"

#include "profile/dietplans/dietplan.h"
#include "profile/dietplans/dietplanmanager.h"
#include "profile/targetspage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

TargetsPC::TargetsPC(TargetsPage* page)
    : PageControllerOf(page)
{
    page->setWorkingTargets(this);
}

TargetsPC::~TargetsPC()
{
    _page->setWorkingTargets(nullptr);
}

void TargetsPC::_copy(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                      const DBTypes::UserPrefs* prefs)
{
    if (profile)
        _profile = *profile;
    if (checkin)
        _checkin = *checkin;
    if (prefs)
        _prefs = *prefs;
}

DietPlan* TargetsPC::_planOfCheckin() const
{
    DietPlanManager* manager = DietPlanManager::instance();
    if (_checkin.hasDietPlan())
        return _checkin.dietPlan().isEmpty() ? nullptr : manager->plan(_checkin.dietPlan());
    return manager->planAt(0);
}

DietPlan* TargetsPC::_checkedPlan() const
{
    return _page->planOfButton(_page->_dietPlanButtonGroup->checkedId());
}

void TargetsPC::applyPlan(const DietPlan& plan)
{
    plan.calculateTargets(&_checkin, &_profile);
    plan.setDefaultTargetSize(&_prefs);
}

void TargetsPC::_recompute(const DietPlan& plan, const DBTypes::UserProfile* profile,
                           const DBTypes::CheckinItem* checkin, const DBTypes::UserPrefs* prefs)
{
    DBTypes::CheckinItem given = checkin ? *checkin : _checkin;
    DBTypes::UserProfile person = profile ? *profile : _profile;
    if (!plan.calculateTargets(&given, &person))
        return;
    _copy(&person, &given, prefs);
    plan.setDefaultTargetSize(&_prefs);
}

void TargetsPC::_showCustom()
{
    _page->_customPlanRadio->setChecked(true);
    _page->setTargets(&_checkin, &_prefs);
}

void TargetsPC::load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                     const DBTypes::UserPrefs* prefs)
{
    _copy(profile, checkin, prefs);
    DietPlan* plan = _planOfCheckin();
    const int button = plan ? _page->buttonOfPlan(plan->id()) : -1;
    if (button < 0) {
        _showCustom();
        return;
    }
    _page->_dietPlanButtonGroup->button(button)->setChecked(true);
    applyPlan(*plan);
    _page->setTargets(&_checkin, &_prefs);
}

void TargetsPC::save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                     DBTypes::UserPrefs* prefs)
{
    if (_page->_dietPlanButtonGroup->checkedId() < 0)
        load(profile, checkin, prefs);
    DietPlan* plan = _checkedPlan();
    if (plan)
        _recompute(*plan, profile, checkin, prefs);
    if (checkin) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            const auto type = DBTypes::NutType(nut);
            checkin->setTarget(type, _checkin.target(type));
            if (_checkin.noTarget(type))
                checkin->setNoTarget(type);
        }
        // An empty, not a null, text: the user database stores a null one as no plan at all.
        checkin->setDietPlan(plan ? plan->id() : QStringLiteral(""));
    }
    if (prefs) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            prefs->setTargetSize(DBTypes::NutType(nut), _prefs.targetSize(DBTypes::NutType(nut)));
    }
}
