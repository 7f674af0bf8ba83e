#pragma once

#include "profile/pagecontrollerof.h"
#include "profile/workingtargets.h"

class TargetsPage;

// The check-in's targets and diet plan and the preferences' target sizes on the targets page.
// The page works on the controller's own copies of the records; save() hands the targets
// out, computing a chosen plan's targets afresh from the records it is given.
class TargetsPC : public PageControllerOf<TargetsPage>, public WorkingTargets
{
public:
    // Hands the page its working records for as long as the controller lives; the page
    // must outlive it.
    explicit TargetsPC(TargetsPage* page);
    ~TargetsPC() override;

    void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
              const DBTypes::UserPrefs* prefs) override;
    void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
              DBTypes::UserPrefs* prefs) override;

    DBTypes::CheckinItem& workingCheckin() override { return _checkin; }
    DBTypes::UserPrefs& workingPrefs() override { return _prefs; }
    void applyPlan(const DietPlan& plan) override;

private:
    void _copy(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
               const DBTypes::UserPrefs* prefs);
    // The plan the working check-in names, or the first registered plan when it names
    // none; null when that is no registered plan, or the check-in holds its own targets.
    DietPlan* _planOfCheckin() const;
    // The plan of the checked button; null for "Custom..." or no choice.
    DietPlan* _checkedPlan() const;
    // The plan's targets for the records given (the working ones where none is given);
    // nothing changes when the plan cannot compute them.
    void _recompute(const DietPlan& plan, const DBTypes::UserProfile* profile,
                    const DBTypes::CheckinItem* checkin, const DBTypes::UserPrefs* prefs);
    void _showCustom();

    DBTypes::CheckinItem _checkin;
    DBTypes::UserProfile _profile;
    DBTypes::UserPrefs _prefs;
};
