#include "catalogue/savedmealtree.h"

#include "userdb/storedid.h"
#include "userdb/savedmealdb.h"

#include <cassert>

SavedMealTree* SavedMealTree::_instance = nullptr;

SavedMealTree* SavedMealTree::instance()
{
    if (!_instance) {
        _instance = new SavedMealTree;
        _instance->reload(0, false);
    }
    return _instance;
}

void SavedMealTree::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

SavedMealTree::SavedMealTree()
{
    // The store reloads the tree after each change; not while the store itself is being
    // built, which happens when the tree first asks it for a query.
    SavedMealDB::setReloadHandler([](qint64 selectId, bool selectIsCategory) {
        if (_instance && SavedMealDB::exists())
            _instance->reload(selectId, selectIsCategory);
    });
}

SavedMealTree::~SavedMealTree()
{
    SavedMealDB::setReloadHandler(nullptr);
    if (_instance == this)
        _instance = nullptr;
}

BXSqlQuery SavedMealTree::getItemQuery(qint64 forUser) const
{
    return SavedMealDB::instance()->getItemQuery(forUser);
}

BXSqlQuery SavedMealTree::getCatsQuery(qint64) const
{
    return SavedMealDB::instance()->getCatsQuery();
}

bool SavedMealTree::givesCategoryId(qint64) const
{
    return false;
}

bool SavedMealTree::givesItemId(qint64 id) const
{
    return id > 0 && id <= HighestRowId;
}

QString SavedMealTree::getItemNoun() const
{
    return SavedMealDB::instance()->getItemNoun();
}

qint64 SavedMealTree::getRootForUser(qint64 user) const
{
    return SavedMealDB::instance()->getRootForUser(user);
}

bool SavedMealTree::reparentItemCategory(qint64 categoryId, qint64 newParentId)
{
    return SavedMealDB::instance()->reparentItemCategory(categoryId, newParentId);
}

bool SavedMealTree::reparentItem(qint64 mealId, qint64 newParentId)
{
    return SavedMealDB::instance()->reparentItem(mealId, currentUser(), newParentId);
}
