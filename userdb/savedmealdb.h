#pragma once

#include "core/dbtypes.h"
#include "core/fooddiaryitem.h"
#include "userdb/bxsqlquery.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// The store of saved meals: named groups of food entries that a user keeps for reuse. A
// meal is a group_diary row; its foods are food_diary rows with a NULL date that carry the
// meal's group id, so they never show in a day. A meal owned by -1 (or NULL) is shared by
// every user.
//
// The store also answers the queries of its catalogue tree: the root of user u is u + 2,
// the shared root 1, and a meal's id is its group id.
class SavedMealDB
{
public:
    // Rebuilds the browsable tree after a change; selectId is the id to select (0 none).
    using ReloadHandler = std::function<void(int selectId, bool selectIsCategory)>;

    // The last id a meal may have: the catalogue tree names meals by positive ids of 32 bits.
    static constexpr qint64 LastMealId = std::numeric_limits<qint32>::max();

    static SavedMealDB* instance();
    // Whether the store has been created, without creating it.
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~SavedMealDB();

    // Installed by the catalogue tree that shows the saved meals.
    static void setReloadHandler(ReloadHandler handler);

    // Stores a meal with its foods in one transaction; the meal's id, or -1 when nothing
    // could be stored.
    int storeMeal(qint64 user, int mealId, const std::string& name,
                  const std::vector<DBTypes::FoodDiaryItem>& entries, bool checkNew);
    bool appendFoodItemToMeal(int mealId, qint64 user, const DBTypes::FoodDiaryItem& entry);
    // The foods of the current user's or a shared meal, those of its owner: none of another
    // user stored under its id, none of another user's meal. They carry no date, meal group or
    // entry id.
    // A nutrient stored as NULL reads as missing (-999).
    std::optional<std::vector<DBTypes::FoodDiaryItem>> getSavedMealItems(int mealId);
    // The meal as one food: the sum of its foods' values (a value a food lacks is left out).
    std::optional<DBTypes::FoodItem> getSavedMealAsFoodItem(int mealId);
    // False, with the old name kept, when the store does not keep the new one.
    bool renameMeal(int mealId, const std::string& name);
    // Soft-deletes the meal and its foods; false, with nothing changed, when the store
    // does not keep it.
    bool deleteMeal(int mealId);

    // The catalogue tree's queries of the user's and the shared meals, and of every category,
    // with the id above each.
    BXSqlQuery getItemQuery(qint64 forUser) const;
    BXSqlQuery getCatsQuery() const;
    QString getItemNoun() const { return QStringLiteral("Meals"); }
    int getRootForUser(qint64 user) const { return user + 2; }
    // Saved meals have no categories to move.
    bool reparentItemCategory(int categoryId, int newParentId);
    // Gives a meal and its foods to the owner of another root (the shared root: -1).
    bool reparentItem(int mealId, int newParentId);
    // The names of the meal's foods (as getSavedMealItems reads them) that the owner of that
    // root may not add to a diary: custom foods private to another user.
    std::optional<QStringList> foodsPrivateFrom(int mealId, int rootId);

private:
    SavedMealDB();
    SavedMealDB(const SavedMealDB&) = delete;
    SavedMealDB& operator=(const SavedMealDB&) = delete;

    int _insertMeal(qint64 user, int mealId, const std::string& name);
    void reload(int selectId, bool selectIsCategory);

    static SavedMealDB* _instance;
    static ReloadHandler s_reloadHandler;
};
