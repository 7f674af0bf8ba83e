#ifndef PANTREL_CATALOGUE_EXDB_H
#define PANTREL_CATALOGUE_EXDB_H

#include "core/exdbbase.h"

// The exercise catalogue: one lookup over the shipped exercises (ids 0 to 0xFFFFFF,
// ExDBStatic) and the user's custom exercises (0x1000000 to 0x2FFFFFF, ExDBDynamic). Ids
// outside that range are a broken invariant. Each call goes to the store's current instance.
class ExDB : public ExDBBase {
public:
    // Builds the catalogue, and both stores, on the first call.
    static ExDB* instance();
    static void cleanUp();
    ~ExDB() override;

    std::optional<DBTypes::ExerciseItem> getExercise(qint64 exerciseId) const override;
    // A shipped exercise of that name comes first: a custom copy of it often keeps its name.
    std::optional<DBTypes::ExerciseItem> findExercise(const QString& name, qint64 user) const override;

private:
    ExDB();
    ExDB(const ExDB&) = delete;
    ExDB& operator=(const ExDB&) = delete;

    static const ExDBBase* _doSplit(qint64 exerciseId);

    static ExDB* _instance;
};

#endif
