#pragma once

#include "core/dbtypes.h"
#include "core/fooddiaryitem.h"
#include "userdb/bxsqlquery.h"

#include <QString>
#include <QStringList>

#include <functional>
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
    using ReloadHandler = std::function<void(qint64 selectId, bool selectIsCategory)>;

    static SavedMealDB* instance();
    // Whether the store has been created, without creating it.
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~SavedMealDB();

    // Installed by the catalogue tree that shows the saved meals.
    static void setReloadHandler(ReloadHandler handler);

    // Stores a meal with its foods in one transaction; the meal's id, or -1 when nothing
    // could be stored. A meal's id runs to HighestRowId.
    qint64 storeMeal(qint64 user, qint64 mealId, const std::string& name,
                     const std::vector<DBTypes::FoodDiaryItem>& entries, bool checkNew);
    // Stores a food with the meal's owner, who must be the user (-1: shared); false, with
    // nothing stored, for a meal of anybody else.
    bool appendFoodItemToMeal(qint64 mealId, qint64 user, const DBTypes::FoodDiaryItem& entry);
    // The foods of the current user's or a shared meal, those of its owner: none of another
    // user stored under its id, none of another user's meal. They carry no date, meal group or
    // entry id.
    // A nutrient stored as NULL reads as missing (-999).
    std::optional<std::vector<DBTypes::FoodDiaryItem>> getSavedMealItems(qint64 mealId);
    // The meal as one food: the sum of its foods' values (a value a food lacks is left out).
    std::optional<DBTypes::FoodItem> getSavedMealAsFoodItem(qint64 mealId);
    // Each change acts for the user on a meal of the user's own or a shared one only.
    // False, with the old name kept, when the store does not keep the new one.
    bool renameMeal(qint64 mealId, qint64 user, const std::string& name);
    // Soft-deletes the meal and its foods; false, with nothing changed, when the store
    // does not keep it.
    bool deleteMeal(qint64 mealId, qint64 user);

    // The catalogue tree's queries of the user's and the shared meals, and of every category,
    // with the id above each.
    BXSqlQuery getItemQuery(qint64 forUser) const;
    BXSqlQuery getCatsQuery() const;
    QString getItemNoun() const { return QStringLiteral("Meals"); }
    qint64 getRootForUser(qint64 user) const { return user + 2; }
    // Saved meals have no categories to move.
    bool reparentItemCategory(qint64 categoryId, qint64 newParentId);
    // Gives a meal of the user's own or a shared one, with its foods, to the owner of another
    // root (the shared root: -1).
    bool reparentItem(qint64 mealId, qint64 user, qint64 newParentId);
    // The names of the meal's foods (as getSavedMealItems reads them) that the owner of that
    // root may not add to a diary: custom foods private to another user.
    std::optional<QStringList> foodsPrivateFrom(qint64 mealId, qint64 rootId);

private:
    SavedMealDB();
    SavedMealDB(const SavedMealDB&) = delete;
    SavedMealDB& operator=(const SavedMealDB&) = delete;

    qint64 _insertMeal(qint64 user, qint64 mealId, const std::string& name);
    // Whether the meal is stored as the user's (-1: shared); nothing when it could not be read.
    std::optional<bool> _isOwnedBy(qint64 mealId, qint64 user);
    void reload(qint64 selectId, bool selectIsCategory);

    static SavedMealDB* _instance;
    static ReloadHandler s_reloadHandler;
};
