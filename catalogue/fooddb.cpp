#include "catalogue/fooddb.h"

#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"

#include <cassert>

FoodDB* FoodDB::_instance = nullptr;

FoodDB* FoodDB::instance()
{
    if (!_instance)
        _instance = new FoodDB;
    return _instance;
}

void FoodDB::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

FoodDB::FoodDB()
{
    FoodDBStatic::instance();
    FoodDBDynamic::instance();
}

FoodDB::~FoodDB()
{
    if (_instance == this)
        _instance = nullptr;
}

// Null for an id outside every catalogue (a stored row of a foreign backup, say): such a food
// is unknown.
const FoodDBBase* FoodDB::_doSplit(qint64 foodId)
{
    if (!isCatalogueId(foodId))
        return nullptr;
    if (foodId > 0xFFFFFF)
        return FoodDBDynamic::instance();
    return FoodDBStatic::instance();
}

QString FoodDB::getFoodName(qint64 foodId) const
{
    const FoodDBBase* part = _doSplit(foodId);
    return part ? part->getFoodName(foodId) : QString();
}

std::optional<DBTypes::FoodItem> FoodDB::getFoodItem(qint64 foodId) const
{
    const FoodDBBase* part = _doSplit(foodId);
    return part ? part->getFoodItem(foodId) : std::nullopt;
}

std::vector<DBTypes::ServingItem> FoodDB::getServingItemList(qint64 foodId) const
{
    const FoodDBBase* part = _doSplit(foodId);
    return part ? part->getServingItemList(foodId) : std::vector<DBTypes::ServingItem>();
}

bool FoodDB::isOpenTo(qint64 user, qint64 foodId) const
{
    const FoodDBBase* part = _doSplit(foodId);
    return !part || part->isOpenTo(user, foodId);
}
