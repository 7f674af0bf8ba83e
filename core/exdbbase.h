#ifndef PANTREL_CORE_EXDBBASE_H
#define PANTREL_CORE_EXDBBASE_H

#include "core/dbtypes.h"

#include <optional>

// An exercise lookup by catalogue id. The exercise catalogue implements it; exercise entries
// reach it through ExerciseDiaryItem::setExerciseCatalogue.
class ExDBBase {
public:
    // The exercise with its energy rate; none when the id is unknown.
    virtual std::optional<DBTypes::ExerciseItem> getExercise(int exerciseId) const = 0;
    virtual ~ExDBBase() = default;
};

#endif
