#include "userdb/mealplandb.h"

#include "userdb/bxsqlquery.h"

#include <cassert>

MealPlanDB* MealPlanDB::_minstance = nullptr;

MealPlanDB* MealPlanDB::instance()
{
    if (!_minstance)
        _minstance = new MealPlanDB;
    return _minstance;
}

void MealPlanDB::cleanUp()
{
    delete _minstance;
    assert(!_minstance);
}

MealPlanDB::~MealPlanDB()
{
    if (_minstance == this)
        _minstance = nullptr;
}

QString MealPlanDB::tableName() const
{
    return QStringLiteral("mealplan");
}

bool MealPlanDB::holds(const DBTypes::FoodDiaryItem& entry)
{
    // The amount as stored now, or as rows stored before were: widened from single precision.
    BXSqlQuery count("SELECT COUNT ( food_id ) FROM food_mealplan WHERE food_name = ? AND "
                     "user_id = ? AND meal = ? AND date = ? AND serv_name = ? AND "
                     "(size = ? OR size = ?)");
    count.bindValue(0, entry.getDesc());
    count.bindValue(1, entry.userId);
    count.bindValue(2, entry.meal);
    count.bindValue(3, entry.date);
    count.bindValue(4, entry.getServingDesc());
    count.bindValue(5, entry.size);
    count.bindValue(6, double(entry.size));
    return count.exec() && count.next() && count.value(0).toInt() >= 1;
}

qint64 MealPlanDB::addFoodEntry(DBTypes::FoodDiaryItem& entry, bool checkNew)
{
    if (holds(entry))
        return -1;
    return DiaryDB::addFoodEntry(entry, checkNew);
}
