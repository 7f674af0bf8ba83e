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

const FoodDBBase* FoodDB::_doSplit(int foodId)
{
    assert(foodId >= 0 && foodId < 0x3000000 && "index >= 0 && index < 0x3000000");
    if (foodId > 0xFFFFFF)
        return FoodDBDynamic::instance();
    return FoodDBStatic::instance();
}

QString FoodDB::getFoodName(int foodId) const
{
    return _doSplit(foodId)->getFoodName(foodId);
}

std::optional<DBTypes::FoodItem> FoodDB::getFoodItem(int foodId) const
{
    return _doSplit(foodId)->getFoodItem(foodId);
}

std::vector<DBTypes::ServingItem> FoodDB::getServingItemList(int foodId) const
{
    return _doSplit(foodId)->getServingItemList(foodId);
}
