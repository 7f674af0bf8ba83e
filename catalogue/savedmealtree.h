#ifndef PANTREL_CATALOGUE_SAVEDMEALTREE_H
#define PANTREL_CATALOGUE_SAVEDMEALTREE_H

#include "catalogue/dynamicdb.h"

// The saved meals of SavedMealDB as a user catalogue tree for the browser: the shared root 1
// and the current user's root (user + 2), each listing its meals by name. The tree takes its
// queries from the store and reloads whenever the store changes a meal.
class SavedMealTree : public DynamicDB {
public:
    // Builds the tree, and loads it, on the first call; the user database must be up.
    static SavedMealTree* instance();
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~SavedMealTree() override;

    BXSqlQuery getItemQuery(qint64 forUser) const override;
    BXSqlQuery getCatsQuery(qint64 forUser) const override;
    // No category but the roots; a meal's id is a group id.
    bool givesCategoryId(qint64 id) const override;
    bool givesItemId(qint64 id) const override;
    QString getItemNoun() const override;
    qint64 getRootForUser(qint64 user) const override;
    // Saved meals have no categories to move: always false.
    bool reparentItemCategory(qint64 categoryId, qint64 newParentId) override;
    // Gives a meal to the owner of another root (the shared root: every user).
    bool reparentItem(qint64 mealId, qint64 newParentId) override;

private:
    SavedMealTree();

    static SavedMealTree* _instance;
};

#endif
