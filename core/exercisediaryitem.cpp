#include "core/exercisediaryitem.h"

#include "core/exdbbase.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace DBTypes {

ExerciseDiaryItem::ExerciseCatalogue ExerciseDiaryItem::s_exerciseCatalogue;

void ExerciseDiaryItem::setExerciseCatalogue(ExerciseCatalogue catalogue)
{
    s_exerciseCatalogue = std::move(catalogue);
}

bool ExerciseDiaryItem::changeEx(qint64 newExerciseId, float bodyWeight)
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

float ExerciseDiaryItem::rateFor(const ExerciseItem& exercise, float bodyWeight)
{
    return std::max(bodyWeight, 0.0f) * exercise.factor + exercise.offset;
}

void ExerciseDiaryItem::setExercise(const ExerciseItem& exercise, float bodyWeight)
{
    exerciseId = exercise.id;
    rate = rateFor(exercise, bodyWeight);
    name = exercise.name;
    duration = 1.0f;
}

void ExerciseDiaryItem::transferTo(qint64 user, float fromWeight, float toWeight)
{
    if (user == userId)
        return;
    userId = user;
    assert(s_exerciseCatalogue && "the exercise catalogue is installed");
    const std::optional<ExerciseItem> exercise = s_exerciseCatalogue()->findExercise(name, user);
    if (exercise) {
        exerciseId = exercise->id;
        rate = rateFor(*exercise, toWeight);
    } else if (fromWeight > 0.0f && toWeight > 0.0f) {
        rate *= toWeight / fromWeight;
    }
}

void ExerciseDiaryItem::setDate(const std::string& code)
{
    assert(code.size() == 8);
    std::memcpy(date, code.data(), 8);
    date[8] = '\0';
}

} // namespace DBTypes
