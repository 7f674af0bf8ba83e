#include "core/exercisediaryitem.h"

#include "core/exdbbase.h"

#include <cassert>
#include <cstring>

namespace DBTypes {

ExerciseDiaryItem::ExerciseCatalogue ExerciseDiaryItem::s_exerciseCatalogue;

void ExerciseDiaryItem::setExerciseCatalogue(ExerciseCatalogue catalogue)
{
    s_exerciseCatalogue = std::move(catalogue);
}

bool ExerciseDiaryItem::changeEx(int newExerciseId, float bodyWeight)
{
    if (newExerciseId == 0)
        return true;
    assert(s_exerciseCatalogue && "the exercise catalogue is installed");
    const std::optional<ExerciseItem> exercise = s_exerciseCatalogue()->getExercise(newExerciseId);
    if (!exercise)
        return false;
    setExercise(*exercise, bodyWeight);
    return true;
}

void ExerciseDiaryItem::setExercise(const ExerciseItem& exercise, float bodyWeight)
{
    exerciseId = exercise.id;
    rate = bodyWeight * exercise.factor + exercise.offset;
    name = exercise.name;
    duration = 1.0f;
}

void ExerciseDiaryItem::reweigh(float fromWeight, float toWeight)
{
    if (fromWeight > 0.0f && toWeight > 0.0f)
        rate *= toWeight / fromWeight;
}

void ExerciseDiaryItem::setDate(const std::string& code)
{
    assert(code.size() == 8);
    std::memcpy(date, code.data(), 8);
    date[8] = '\0';
}

} // namespace DBTypes
