#include "profile/dietplans/dietplan.h"

#include "userdb/userdb.h"

#include <cassert>

DietPlan::~DietPlan() = default;

float DietPlan::calculateRMR(const DBTypes::CheckinItem* checkin,
                             const DBTypes::UserProfile* profile) const
{
    assert(checkin && profile);
    const float rmr = UserDB::harrisBenedictRee(*checkin, *profile);
    return rmr < 0.0f ? NO_RMR : rmr;
}
