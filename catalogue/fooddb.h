#ifndef PANTREL_CATALOGUE_FOODDB_H
#define PANTREL_CATALOGUE_FOODDB_H

#include "core/fooddbbase.h"

// The food catalogue: one lookup over the shipped foods (ids 0 to 0xFFFFFF, FoodDBStatic)
// and the user's custom foods (0x1000000 to 0x2FFFFFF, FoodDBDynamic). Ids outside that
// range are a broken invariant. Each call goes to the store's current instance, so the
// stores may be rebuilt (the database updater does so) while this object lives.
class FoodDB : public FoodDBBase {
public:
    // Builds the catalogue, and both stores, on the first call.
    static FoodDB* instance();
    static void cleanUp();
    ~FoodDB() override;

    QString getFoodName(qint64 foodId) const override;
    std::optional<DBTypes::FoodItem> getFoodItem(qint64 foodId) const override;
    std::vector<DBTypes::ServingItem> getServingItemList(qint64 foodId) const override;
    bool isOpenTo(qint64 user, qint64 foodId) const override;

private:
    FoodDB();
    FoodDB(const FoodDB&) = delete;
    FoodDB& operator=(const FoodDB&) = delete;

    static const FoodDBBase* _doSplit(qint64 foodId);

    static FoodDB* _instance;
};

#endif
