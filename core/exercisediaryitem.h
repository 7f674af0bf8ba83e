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
    bool changeEx(int newExerciseId, float bodyWeight);

    // Points the entry at a catalogue exercise for a body weight in kilograms: the rate
    // becomes weight x factor + offset and the duration one minute.
    void setExercise(const ExerciseItem& exercise, float bodyWeight);

    // Moves the entry from one body weight to another, in kilograms: the rate scales with the
    // weight, as a catalogue exercise's does (the diary keeps no catalogue id to work it out
    // again). A weight not above zero is unknown and keeps the rate; duration and name stay.
    void reweigh(float fromWeight, float toWeight);

    // Copies an 8-character date code into date.
    void setDate(const std::string& code);

    // Kilocalories burned: duration x rate.
    float energy() const { return duration * rate; }

    int entryId = -1;
    int userId = -1;
    int exerciseId = 0;
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
