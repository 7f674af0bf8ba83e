#ifndef PANTREL_CATALOGUE_FOODDBDYNAMIC_H
#define PANTREL_CATALOGUE_FOODDBDYNAMIC_H

#include "catalogue/customcataloguedb.h"
#include "core/fooddbbase.h"

// The user's custom foods (table custom_foods) in their categories (custom_food_cats), as a
// user catalogue tree. A custom food's values are given per serving: reference quantity 1.0,
// kind 'S' and one serving, id 0 and weight 1.0, named by its serving name.
class FoodDBDynamic : public FoodDBBase, public CustomCatalogueDB {
public:
    // Builds the store, and loads its tree, on the first call; the user database must be up.
    static FoodDBDynamic* instance();
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~FoodDBDynamic() override;

    // The new food's id, or -1 when it could not be stored.
    qint64 createFood(qint64 categoryId, const QString& name, const QString& servingName,
                      const DBTypes::FoodItem& values);
    bool updateFood(qint64 foodId, const QString& name, const QString& servingName,
                    const DBTypes::FoodItem& values);
    bool deleteFood(qint64 foodId);

    // Each lookup gives nothing (empty, none) both when there is no such food and when it could
    // not be read: read it inside an action, whose outcome tells the two apart.
    QString getFoodName(qint64 foodId) const override;
    // A nutrient stored as NULL, or outside what the food's dialog takes (told once), reads as
    // -999.0.
    std::optional<DBTypes::FoodItem> getFoodItem(qint64 foodId) const override;
    std::vector<DBTypes::ServingItem> getServingItemList(qint64 foodId) const override;
    // Read inside an action as the lookups are.
    bool isOpenTo(qint64 user, qint64 foodId) const override;

private:
    FoodDBDynamic();

    static FoodDBDynamic* _instance;
};

#endif
