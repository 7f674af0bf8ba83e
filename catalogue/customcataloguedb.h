#ifndef PANTREL_CATALOGUE_CUSTOMCATALOGUEDB_H
#define PANTREL_CATALOGUE_CUSTOMCATALOGUEDB_H

#include "catalogue/dynamicdb.h"

#include <optional>
#include <set>

// The part of the user's custom food and custom exercise catalogues that the two share: an
// item table and a category table (category_id, parent_id and a name column) whose rows
// form the user catalogue tree, with the operations on categories and the moving and
// deleting of items. Every change reloads the tree.
class CustomCatalogueDB : public DynamicDB {
public:
    // The names of a store's tables and columns.
    struct Tables {
        const char* items;        // item table, with a category_id column
        const char* itemId;       // its id column
        const char* itemName;     // its name column
        const char* categories;   // category table
        const char* categoryName; // its name column
        const char* noun;         // plural noun of the root names
    };

    explicit CustomCatalogueDB(const Tables& tables);

    BXSqlQuery getItemQuery() const override;
    BXSqlQuery getCatsQuery() const override;
    QString getItemNoun() const override;
    // User -1 is the shared root. The user must lie in -1..MAX_USER.
    int getRootForUser(int user) const override;
    // Moves a category; refused when the new parent is the category or lies below it.
    bool reparentItemCategory(int categoryId, int newParentId) override;
    bool reparentItem(int itemId, int newCategoryId) override;

    // Makes a category below parentId; an id below 0 asks for a new one. The id used, or -1
    // when the category could not be stored.
    int createCategory(int parentId, const QString& name, int id = -1);
    bool updateCategory(int categoryId, const QString& name);
    // Without force a category that has any child is kept (false). With force the category
    // goes with everything below it, whichever user's tree it is in. False, with nothing
    // removed, when a statement fails.
    bool deleteCategory(int categoryId, bool force);
    // The category's name; empty when there is no such category.
    QString getCategoryName(int categoryId) const;

protected:
    // One above the largest item id, at least FIRST_ID; nothing when the ids could not be read.
    std::optional<int> _newItemId() const;
    bool _deleteItem(int itemId);
    QString _sql(const char* pattern) const;

private:
    // Nothing when it could not be read.
    std::optional<bool> _hasChildren(int categoryId) const;
    bool _deleteSubtree(int categoryId, std::set<int>& visited);
    std::optional<bool> _isInSubtree(int candidate, int categoryId) const;

    Tables _tables;
};

#endif
