#ifndef PANTREL_CATALOGUE_EXDBSTATIC_H
#define PANTREL_CATALOGUE_EXDBSTATIC_H

#include "catalogue/staticdb.h"
#include "core/exdbbase.h"

// The shipped exercises: chunk 2 of static.db as a catalogue tree. A static exercise's rate
// grows with body weight: offset 0, factor its burn rate. A singleton like FoodDBStatic.
class ExDBStatic : public ExDBBase, public StaticDB {
public:
    // Builds the store on the first call; failed as for FoodDBStatic::instance.
    static ExDBStatic* instance(bool* failed = nullptr);
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~ExDBStatic() override;

    // None for an unknown id and for an exercise without a burn rate.
    std::optional<DBTypes::ExerciseItem> getExercise(qint64 exerciseId) const override;
    // The first shipped exercise of that name; every user sees the same ones.
    std::optional<DBTypes::ExerciseItem> findExercise(const QString& name, qint64 user) const override;

private:
    explicit ExDBStatic(bool* failed);

    static ExDBStatic* _instance;
};

#endif
