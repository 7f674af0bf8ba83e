#pragma once

#include "core/dbtypes.h"

class DietPlan;

// The records the targets page shows and edits until the wizard takes its targets: the
// page's controller keeps them and hands them to the page through this.
class WorkingTargets
{
public:
    virtual ~WorkingTargets();

    virtual DBTypes::CheckinItem& workingCheckin() = 0;
    virtual DBTypes::UserPrefs& workingPrefs() = 0;
    // The plan's targets and sizes into the working records; targets the plan cannot
    // compute from them stay as they were.
    virtual void applyPlan(const DietPlan& plan) = 0;
};
