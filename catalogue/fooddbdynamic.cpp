#include "catalogue/fooddbdynamic.h"

#include "userdb/diarydb.h"
#include "userdb/nullconversion.h"
#include "userdb/storedrange.h"

#include <algorithm>
#include <cassert>

using DBTypes::FoodItem;
using DBTypes::NutType;
using DBTypes::ServingItem;

FoodDBDynamic* FoodDBDynamic::_instance = nullptr;

namespace {

// Diary and meal-plan entries and saved meals name custom foods by ref_id; favourites of
// item_type 1 are foods.
const CustomCatalogueDB::Tables FOOD_TABLES = {
    "custom_foods", "food_id", "name", "custom_food_cats", "name", "Foods",
    {"SELECT MAX(ref_id) FROM food_diary WHERE ref_id >= ? AND ref_id < ?",
     "SELECT MAX(ref_id) FROM food_mealplan WHERE ref_id >= ? AND ref_id < ?",
     "SELECT MAX(item_id) FROM favorites WHERE item_type = 1 AND item_id >= ? AND item_id < ?"},
    QT_TRANSLATE_NOOP("CustomCatalogueDB", "every number for a new food has been given, so no "
                                           "new food can be made. Change one of your foods instead")};

// The nutrients in the column order of the statements below.
constexpr NutType VALUE_COLUMNS[] = {DBTypes::ENERGY, DBTypes::FAT,    DBTypes::PROTEIN,
                                     DBTypes::CARBS,  DBTypes::FIBER,  DBTypes::SATFAT,
                                     DBTypes::CHOLESTEROL, DBTypes::SODIUM, DBTypes::SUGAR,
                                     DBTypes::CALCIUM};
constexpr int VALUE_COUNT = int(std::size(VALUE_COLUMNS));
// What the food's dialog takes for a value of one serving.
const StoredRange STORED_VALUE{"custom_foods", "nutrient values", PlausibleRange::of(PlausibleRange::FoodValue)};

// The name and serving name, within what the food's dialog takes.
const StoredRange STORED_NAME{"custom_foods", "name", PlausibleRange(0, StoredRange::LineLength)};
const StoredRange STORED_SERVING{"custom_foods", "serv_name", PlausibleRange(0, StoredRange::LineLength)};

// Binds the name, serving name and values at positions 0 to 11.
void bindFood(BXSqlQuery& query, const QString& name, const QString& servingName,
              const FoodItem& values)
{
    query.bindValue(0, name);
    query.bindValue(1, servingName);
    for (int i = 0; i < VALUE_COUNT; ++i)
        query.bindValue(2 + i, negToNull(values.getNutrient(VALUE_COLUMNS[i])));
}

// The first column of the food's row as text, as `range` reads it; none when there is no such food or its row
// could not be read (the reading's action tells which).
std::optional<QString> foodText(const char* sql, const StoredRange& range, qint64 foodId)
{
    BXSqlQuery select(sql);
    select.bindValue(0, foodId);
    if (select.first() != true)
        return std::nullopt;
    return range.readText(select.value(0));
}

} // namespace

FoodDBDynamic* FoodDBDynamic::instance()
{
    if (!_instance) {
        _instance = new FoodDBDynamic;
        _instance->reload(0, false);
    }
    return _instance;
}

void FoodDBDynamic::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

FoodDBDynamic::FoodDBDynamic()
    : CustomCatalogueDB(FOOD_TABLES)
{
}

FoodDBDynamic::~FoodDBDynamic()
{
    if (_instance == this)
        _instance = nullptr;
}

qint64 FoodDBDynamic::createFood(qint64 categoryId, const QString& name, const QString& servingName,
                                 const FoodItem& values)
{
    const qint64 id = _createItem(categoryId, [&](qint64 newId) {
        BXSqlQuery insert("INSERT INTO custom_foods(name, serv_name, calories, fat, protein, "
                          "carb, fiber, saturated_fat, cholesterol, sodium, sugar, calcium, "
                          "category_id, food_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        bindFood(insert, name, servingName, values);
        insert.bindValue(12, categoryId);
        insert.bindValue(13, newId);
        return insert.exec();
    });
    reload(std::max<qint64>(id, 0), false);
    return id;
}

bool FoodDBDynamic::updateFood(qint64 foodId, const QString& name, const QString& servingName,
                               const FoodItem& values)
{
    if (!_mayChange(foodId, false))
        return false;
    BXSqlQuery update("UPDATE custom_foods SET name = ?, serv_name = ?, calories = ?, fat = ?, "
                      "protein = ?, carb = ?, fiber = ?, saturated_fat = ?, cholesterol = ?, "
                      "sodium = ?, sugar = ?, calcium = ? WHERE food_id = ?");
    bindFood(update, name, servingName, values);
    update.bindValue(12, foodId);
    const bool ok = update.exec();
    reload(foodId, false);
    return ok;
}

bool FoodDBDynamic::deleteFood(qint64 foodId)
{
    return _deleteItem(foodId);
}

QString FoodDBDynamic::getFoodName(qint64 foodId) const
{
    return foodText("SELECT name FROM custom_foods WHERE food_id = ?", STORED_NAME, foodId).value_or(QString());
}

std::optional<FoodItem> FoodDBDynamic::getFoodItem(qint64 foodId) const
{
    BXSqlQuery select("SELECT calories, fat, protein, carb, fiber, saturated_fat, cholesterol, "
                      "sodium, sugar, calcium FROM custom_foods WHERE food_id = ?");
    select.bindValue(0, foodId);
    if (select.first() != true)
        return std::nullopt;
    FoodItem food;
    food.quantity = 1.0f;
    food.kind = 'S';
    for (int i = 0; i < VALUE_COUNT; ++i)
        food.setNutrient(VALUE_COLUMNS[i], float(STORED_VALUE.readOr(select.value(i), nullToNeg(QVariant()))));
    return food;
}

std::vector<ServingItem> FoodDBDynamic::getServingItemList(qint64 foodId) const
{
    const std::optional<QString> name =
        foodText("SELECT serv_name FROM custom_foods WHERE food_id = ?", STORED_SERVING, foodId);
    if (!name)
        return {};
    ServingItem serving;
    serving.id = 0;
    serving.weight = 1.0f;
    serving.name = *name;
    return {serving};
}

bool FoodDBDynamic::isOpenTo(qint64 user, qint64 foodId) const
{
    return DiaryDB::mayNameFood(user, foodId);
}
