#ifndef PANTREL_CORE_EXERCISEDIARYITEM_H
#define PANTREL_CORE_EXERCISEDIARYITEM_H

#include "core/dbtypes.h"

#include <QString>

#include <functional>
#include <string>

class ExDBBase;

namespace DBTypes {

// One exercise entry of the diary; its energy is duration x rate.
class ExerciseDiaryItem {
public:
    // Where entries look their catalogue exercises up; the exercise catalogue installs it.
    using ExerciseCatalogue = std::function<const ExDBBase*()>;
    static void setExerciseCatalogue(ExerciseCatalogue catalogue);

    // Points the entry at the catalogue exercise exerciseId for a body weight in kilograms
    // (see setExercise). An id of 0 changes nothing; so does an id the catalogue does not
    // know, which gives false.
    bool changeEx(qint64 newExerciseId, float bodyWeight);

    // A catalogue exercise's rate in kilocalories per minute for a body weight in kilograms:
    // weight x factor + offset. A weight not above zero is unknown and counts as none, so the
    // rate is never below the offset.
    static float rateFor(const ExerciseItem& exercise, float bodyWeight);

    // Points the entry at a catalogue exercise for a body weight in kilograms: the rate
    // becomes rateFor(exercise, bodyWeight) and the duration one minute.
    void setExercise(const ExerciseItem& exercise, float bodyWeight);

    // Makes the entry the given user's, who weighs toWeight kilograms where it lands; its
    // owner weighed fromWeight. The rate becomes what adding its exercise gives that user:
    // the catalogue exercise of the entry's name (ExDBBase::findExercise; the diary keeps no
    // catalogue id) at toWeight. An exercise no catalogue knows scales its rate by the two
    // weights, unless either is unknown (not above zero). An entry that stays with its owner
    // keeps its rate; duration and name stay.
    void transferTo(qint64 user, float fromWeight, float toWeight);

    // Copies an 8-character date code into date.
    void setDate(const std::string& code);

    // Kilocalories burned: duration x rate.
    float energy() const { return duration * rate; }

    qint64 entryId = -1; // row id in the user database; -1 before it is stored
    qint64 userId = -1;
    qint64 exerciseId = 0;
    char date[DATE_CODE_SIZE] = {};
    float duration = 0.0f; // minutes
    float rate = 0.0f;     // kilocalories per minute
    QString name;
    int status = 0; // RowStatus: 1 live, 2 deleted

private:
    static ExerciseCatalogue s_exerciseCatalogue;
};

} // namespace DBTypes

#endif
