#ifndef PANTREL_CATALOGUE_EXDBDYNAMIC_H
#define PANTREL_CATALOGUE_EXDBDYNAMIC_H

#include "catalogue/customcataloguedb.h"
#include "core/exdbbase.h"

// The user's custom exercises (table custom_exercises) in their categories
// (custom_exercise_cats), as a user catalogue tree. A custom exercise burns its scale in
// kilocalories per minute whatever the body weight: offset scale, factor 0.
class ExDBDynamic : public ExDBBase, public CustomCatalogueDB {
public:
    // Builds the store, and loads its tree, on the first call; the user database must be up.
    static ExDBDynamic* instance();
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~ExDBDynamic() override;

    // The new exercise's id, or -1 when it could not be stored.
    qint64 createExercise(qint64 categoryId, const QString& name, float scale);
    bool updateExercise(qint64 exerciseId, const QString& name, float scale);
    bool deleteExercise(qint64 exerciseId);

    // Like every lookup of this store, none both when there is no such exercise and when it
    // could not be read: read it inside an action, whose outcome tells the two apart. A burn
    // rate stored outside what the exercise's dialog takes (told once) reads as none, as NULL.
    std::optional<DBTypes::ExerciseItem> getExercise(qint64 exerciseId) const override;
    // The oldest custom exercise of that name in the user's own or the shared tree.
    std::optional<DBTypes::ExerciseItem> findExercise(const QString& name, qint64 user) const override;

private:
    ExDBDynamic();

    static ExDBDynamic* _instance;
};

#endif
