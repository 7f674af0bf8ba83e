#ifndef PANTREL_CATALOGUE_CUSTOMCATALOGUEDB_H
#define PANTREL_CATALOGUE_CUSTOMCATALOGUEDB_H

#include "catalogue/dynamicdb.h"

#include <functional>
#include <optional>
#include <vector>

// The part of the user's custom food and custom exercise catalogues that the two share: an
// item table and a category table (category_id, parent_id and a name column) whose rows
// form the user catalogue tree, with the operations on categories and the moving and
// deleting of items. Every change reloads the tree.
//
// An id once given to an item or a category is never given again, though its row is deleted:
// a diary entry, saved meal or favourite may still name it. The highest id each table gave is
// kept in userdata_meta, and no id is given that such a row names, which a diary written
// before that mark was kept may hold.
//
// Every change of a stored item or category, and every new one, passes one gate (_mayChange):
// the row, or the category a new one goes below, must lie in the tree of the user whose tree is
// shown, or in the shared tree. Another user's tree is never changed by an id, whatever the id.
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
        // Statements that each give the highest item id one table of other stored rows names
        // from their first bound value up to below their second, through an index of that
        // table, so that the cost stays the same however long the diary grows
        std::vector<const char*> namedIds;
        // Why no new item can be made once every id is given (untranslated)
        const char* noIdLeft;
    };

    explicit CustomCatalogueDB(const Tables& tables);

    BXSqlQuery getItemQuery(qint64 forUser) const override;
    BXSqlQuery getCatsQuery(qint64 forUser) const override;
    bool givesCategoryId(qint64 id) const override;
    bool givesItemId(qint64 id) const override;
    QString getItemNoun() const override;
    // User -1 is the shared root. The user must lie in -1..MAX_USER.
    qint64 getRootForUser(qint64 user) const override;
    // Moves a category; refused when the new parent is the category or lies below it.
    bool reparentItemCategory(qint64 categoryId, qint64 newParentId) override;
    bool reparentItem(qint64 itemId, qint64 newCategoryId) override;

    // Makes a category below parentId; an id below 0 asks for a new one. The id used, or -1
    // when the category could not be stored, parentId lies outside the gate or no new id is
    // left below the user roots (the action is told why). The tree reloads with the new category to be selected.
    qint64 createCategory(qint64 parentId, const QString& name, qint64 id = -1);
    bool updateCategory(qint64 categoryId, const QString& name);
    // Without force a category that has any child is kept (false). With force the category
    // goes with everything below it, whichever user's tree it is in. False, with nothing
    // removed, when a statement fails.
    bool deleteCategory(qint64 categoryId, bool force);
    // Deletes the user's whole tree, as deleting the user does, acting for that user.
    bool deleteTreeOf(qint64 user);
    // The category's name; empty when there is no such category.
    QString getCategoryName(qint64 categoryId) const;

protected:
    // Stores a new item below the category in one change with its new id: insert runs the
    // item's statement for that id. The id, or -1 when nothing was stored, the category lies
    // outside the gate or no new id is left (the action is told why).
    qint64 _createItem(qint64 categoryId, const std::function<bool(qint64 id)>& insert);
    bool _deleteItem(qint64 itemId);
    // The one gate of every change: whether the item (or category) lies in the tree of the user
    // whose tree is shown or in the shared tree, walked up by its parents to the first root.
    // False (the action is told why) for a row of another tree, one that is gone or hangs in a
    // loop, and when the way up could not be read.
    bool _mayChange(qint64 id, bool isCategory) const;
    bool _mayChange(qint64 id, bool isCategory, qint64 user) const;
    QString _sql(const char* pattern) const;

private:
    // The statement `select` over the table `tree` of the ids of the categories in the shared
    // tree and the user's tree, bound to the user's.
    BXSqlQuery _treeQuery(qint64 forUser, const char* select) const;
    // The ids a table gives: its id column, the end of its range, the statements of the ids
    // other rows name (none for categories) and why nothing is made once the range is used.
    struct IdRange {
        QString table;
        QString column;
        qint64 end;
        std::vector<const char*> namedIds;
        const char* noIdLeft;
    };
    IdRange _itemIds() const;
    IdRange _categoryIds() const;
    // One above every id the table holds, gave or sees named, at least FIRST_ID; nothing
    // when that could not be read or reaches the end of the range (the action is told).
    std::optional<qint64> _freshId(const IdRange& range) const;
    // Raises the table's mark of the highest id given to id.
    bool _markGiven(const IdRange& range, qint64 id);
    // Stores a row under id (a new one when below 0) in one change with the mark.
    qint64 _storeNew(const IdRange& range, qint64 id, const std::function<bool(qint64 id)>& insert);
    // The root the category's way up reaches first; nothing when the way is broken (a row gone,
    // a loop) or could not be read.
    std::optional<qint64> _rootOf(qint64 categoryId) const;
    // Nothing when it could not be read.
    std::optional<bool> _hasChildren(qint64 categoryId) const;
    bool _deleteCategory(qint64 categoryId, bool force, qint64 user);
    bool _deleteSubtree(qint64 categoryId);
    std::optional<bool> _isInSubtree(qint64 candidate, qint64 categoryId) const;

    Tables _tables;
};

#endif
