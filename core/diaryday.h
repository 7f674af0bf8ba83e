#ifndef PANTREL_CORE_DIARYDAY_H
#define PANTREL_CORE_DIARYDAY_H

#include "core/dbtypes.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <vector>

namespace DBTypes {

// Everything logged on a single date, plus nutrient sums broken down by meal.
class DiaryDay {
public:
    enum GroupType : int {
        ALL_GROUPS = 0, // only in totals
        BREAKFAST = 1,
        MORNING_SNACK = 2,
        LUNCH = 3,
        AFTERNOON_SNACK = 4,
        DINNER = 5,
        EVENING_SNACK = 6, // also the one snack group when snacks are shown together
        EXERCISE = 8
    };

    bool empty() const { return foods.empty() && exercises.empty(); }

    // The total of a nutrient over a meal group's foods, counting only values above 0.
    // Group 8 gives the exercise energy (asked for energy only); group 0 with energy gives
    // the day's net energy, food energy minus exercise energy.
    float getGroupTotal(GroupType group, NutType nut) const;
    float getTotal(NutType nut) const { return getGroupTotal(ALL_GROUPS, nut); }

    std::vector<FoodDiaryItem> foods;
    std::vector<ExerciseDiaryItem> exercises;

private:
    float exerciseEnergy() const;
};

} // namespace DBTypes

#endif
