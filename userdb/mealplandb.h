#pragma once

#include "userdb/diarydb.h"

// The diary store over the tables of downloaded meal plans. Adding an entry that the plan
// already holds does nothing, so a plan downloaded again is not added twice.
class MealPlanDB : public DiaryDB
{
public:
    static MealPlanDB* instance();
    // Whether the store has been created, without creating it.
    static bool exists() { return _minstance != nullptr; }
    static void cleanUp();
    ~MealPlanDB() override;

    QString tableName() const override;

    // Whether the entry's user has an equal entry in the plan.
    bool holds(const DBTypes::FoodDiaryItem& entry);
    // The new entry's id, or -1 when an equal entry exists or the insert fails.
    qint64 addFoodEntry(DBTypes::FoodDiaryItem& entry, bool checkNew);

private:
    MealPlanDB() = default;

    static MealPlanDB* _minstance;
};
