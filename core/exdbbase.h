#ifndef PANTREL_CORE_EXDBBASE_H
#define PANTREL_CORE_EXDBBASE_H

#include "core/dbtypes.h"

#include <optional>

// An exercise lookup by catalogue id. The exercise catalogue implements it; exercise entries
// reach it through ExerciseDiaryItem::setExerciseCatalogue.
class ExDBBase {
public:
    // The exercise with its energy rate; none when the id is unknown.
    virtual std::optional<DBTypes::ExerciseItem> getExercise(qint64 exerciseId) const = 0;
    // The exercise of this name that the user can add: a shipped one, or one of the user's
    // own or the shared custom exercises (user is ignored by the shipped catalogue). A diary
    // entry keeps only its exercise's name; none when no catalogue knows it.
    virtual std::optional<DBTypes::ExerciseItem> findExercise(const QString& name,
                                                              qint64 user) const = 0;
    virtual ~ExDBBase() = default;
};

#endif
