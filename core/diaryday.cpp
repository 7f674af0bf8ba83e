#include "core/diaryday.h"

#include <cassert>

namespace DBTypes {

float DiaryDay::exerciseEnergy() const
{
    float sum = 0.0f;
    for (const ExerciseDiaryItem& exercise : exercises) {
        const float burned = exercise.energy();
        if (burned > 0.0f)
            sum += burned;
    }
    return sum;
}

float DiaryDay::getGroupTotal(GroupType group, NutType nut) const
{
    assert(group != EXERCISE || nut == ENERGY);
    const float burned = (group == EXERCISE || (group == ALL_GROUPS && nut == ENERGY))
        ? exerciseEnergy()
        : 0.0f;
    if (group == EXERCISE)
        return burned;
    float sum = 0.0f;
    for (const FoodDiaryItem& food : foods) {
        if (group != ALL_GROUPS && food.meal != group)
            continue;
        const float value = food.getNutrient(nut);
        if (value > 0.0f)
            sum += value;
    }
    return sum - burned;
}

} // namespace DBTypes
