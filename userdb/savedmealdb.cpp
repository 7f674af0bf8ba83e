#include "userdb/savedmealdb.h"

#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/storedid.h"
#include "userdb/rowstate.h"
#include "userdb/userdb.h"
#include "userdb/storetransaction.h"

#include <cassert>

using DBTypes::FoodDiaryItem;
using DBTypes::NutType;

SavedMealDB* SavedMealDB::_instance = nullptr;
SavedMealDB::ReloadHandler SavedMealDB::s_reloadHandler;

namespace {

// The meals a user may change: the user's own and the shared ones (owned by -1, or by NULL in
// older diaries). Its one placeholder takes the acting user.
const char* const OwnOrShared = " AND IFNULL(user_id, -1) IN (-1, ?)";

QString mealSql(const char* head)
{
    return QString::fromLatin1(head) + QLatin1String(OwnOrShared);
}

// The foods of a meal that the current user may see, the user's own or a shared one: those of
// the meal's owner, as a meal is stored, shared and deleted with its foods. A food of another
// user stored with this meal's id is none of them. Its two placeholders take the meal and the
// current user.
QString mealFoodsSql(const char* columns)
{
    return QStringLiteral("SELECT %1 FROM food_diary f JOIN group_diary g ON g.group_id = f.group_id "
                          "WHERE f.group_id = ? AND f.date IS NULL AND IFNULL(g.user_id, -1) IN (-1, ?) "
                          "AND IFNULL(f.user_id, -1) = IFNULL(g.user_id, -1)")
        .arg(QLatin1String(columns));
}

qint64 currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

// The nutrients in the column order of the saved-meal statements.
const NutType MealNutrients[] = {DBTypes::ENERGY, DBTypes::CARBS,  DBTypes::FAT,
                                 DBTypes::FIBER,  DBTypes::PROTEIN, DBTypes::SATFAT,
                                 DBTypes::CHOLESTEROL, DBTypes::SODIUM, DBTypes::SUGAR,
                                 DBTypes::CALCIUM};

// Where a line of a saved meal is, as its user knows it.
StoredRange::Place mealFoodPlace(const QVariant& name)
{
    return [name] { return QStringLiteral("the food '%1' of a saved meal").arg(name.toString().left(40)); };
}

} // namespace

SavedMealDB* SavedMealDB::instance()
{
    if (!_instance)
        _instance = new SavedMealDB;
    return _instance;
}

SavedMealDB::SavedMealDB()
{
    reload(0, false);
}

void SavedMealDB::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

SavedMealDB::~SavedMealDB()
{
    if (_instance == this)
        _instance = nullptr;
}

void SavedMealDB::setReloadHandler(ReloadHandler handler)
{
    s_reloadHandler = std::move(handler);
}

void SavedMealDB::reload(qint64 selectId, bool selectIsCategory)
{
    if (s_reloadHandler)
        s_reloadHandler(selectId, selectIsCategory);
}

// ---------------------------------------------------------------------------------------
// Meals

qint64 SavedMealDB::_insertMeal(qint64 user, qint64 mealId, const std::string& name)
{
    BXSqlQuery insert("INSERT INTO group_diary(group_id, user_id, name, status) VALUES (?, ?, ?, ?)");
    insert.bindValue(0, mealId < 0 ? QVariant() : QVariant(mealId));
    insert.bindValue(1, user);
    insert.bindValue(2, name);
    insert.bindValue(3, StatusLive);
    if (!insert.exec())
        return -1;
    if (mealId >= 0)
        return mealId;
    // The id of this very row, never the largest id of the table.
    BXSqlQuery id("SELECT group_id FROM group_diary WHERE rowid = ?");
    id.bindValue(0, insert.lastInsertId());
    if (insert.lastInsertId() < 0 || !id.exec() || !id.next())
        return -1;
    // A meal given an id the program never gives (one that leaves no next id) could never be
    // shown or named, and is not stored.
    const qint64 stored = StoredId::read(id.value(0), StoredId::Kind::Row);
    if (stored <= 0) {
        BXSqlDb::noteRefusal(BXSqlDb::tr("no meal can be saved: the ids a saved meal may have are "
                                         "all taken"));
        return -1;
    }
    return stored;
}

qint64 SavedMealDB::storeMeal(qint64 user, qint64 mealId, const std::string& name,
                              const std::vector<FoodDiaryItem>& entries, bool checkNew)
{
    if (checkNew)
        assert(mealId < 0 && "meal_id < 0");
    StoreTransaction change;
    if (!change)
        return -1;
    const qint64 newId = _insertMeal(user, mealId, name);
    bool ok = newId >= 0;
    for (auto entry = entries.begin(); ok && entry != entries.end(); ++entry)
        ok = appendFoodItemToMeal(newId, user, *entry);
    if (!change.end(ok))
        return -1;
    reload(newId, false);
    return newId;
}

std::optional<bool> SavedMealDB::_isOwnedBy(qint64 mealId, qint64 user)
{
    BXSqlQuery owner("SELECT 1 FROM group_diary WHERE group_id = ? AND IFNULL(user_id, -1) = ?");
    owner.bindValue(0, mealId);
    owner.bindValue(1, user);
    return owner.first();
}

bool SavedMealDB::appendFoodItemToMeal(qint64 mealId, qint64 user, const FoodDiaryItem& entry)
{
    if (!_isOwnedBy(mealId, user).value_or(false) || !DiaryDB::mayNameFood(user, entry.refId))
        return false;
    // The catalogue food id is kept, so that a loaded food finds its servings again.
    BXSqlQuery insert("INSERT INTO food_diary ( group_id, food_name, serving_id, serv_name,\tsize, "
                      "calories, carb, fat, fiber, protein, saturated_fat, cholesterol, sodium, "
                      "sugar, calcium, status, user_id, ref_id) VALUES ( ?, ?, ?, ?, ?, ?, ?, ?, "
                      "?, ?, ?, ?, ?, ?, ?, ?, ?, ? )");
    insert.bindValue(0, mealId);
    insert.bindValue(1, entry.getDesc());
    insert.bindValue(2, entry.servingId);
    insert.bindValue(3, entry.getServingDesc());
    insert.bindValue(4, entry.size);
    int position = 5;
    for (NutType nut : MealNutrients)
        insert.bindValue(position++, entry.getNutrient(nut));
    insert.bindValue(15, StatusLive);
    insert.bindValue(16, user);
    insert.bindValue(17, DiaryDB::storableLink(entry.refId));
    return insert.exec();
}

std::optional<std::vector<FoodDiaryItem>> SavedMealDB::getSavedMealItems(qint64 mealId)
{
    std::vector<FoodDiaryItem> items;
    const qint64 user = currentUser();
    BXSqlQuery query(mealFoodsSql("ref_id, food_name, serving_id, serv_name, size, calories, carb, fat, "
                                  "fiber, protein, saturated_fat, cholesterol, sodium, sugar, calcium"));
    query.bindValue(0, mealId);
    query.bindValue(1, user);
    const bool read = query.readRows([&] {
        FoodDiaryItem entry;
        entry.userId = user;
        entry.refId = StoredId::read(query.value(0), StoredId::Kind::Catalogue);
        if (DiaryDB::readFoodLine(query, 1, 5, MealNutrients, entry, mealFoodPlace(query.value(1))))
            items.push_back(entry);
    });
    if (!read)
        return std::nullopt;
    return items;
}

std::optional<DBTypes::FoodItem> SavedMealDB::getSavedMealAsFoodItem(qint64 mealId)
{
    const std::optional<std::vector<FoodDiaryItem>> items = getSavedMealItems(mealId);
    if (!items)
        return std::nullopt;
    DBTypes::FoodItem sum;
    sum.clearValues(true);
    for (const FoodDiaryItem& entry : *items)
        sum.addValues(entry.values);
    return sum;
}

bool SavedMealDB::renameMeal(qint64 mealId, qint64 user, const std::string& name)
{
    BXSqlQuery update(mealSql("UPDATE group_diary SET name = ? WHERE group_id = ?"));
    update.bindValue(0, name);
    update.bindValue(1, mealId);
    update.bindValue(2, user);
    const bool renamed = update.execChangingRow();
    // The lists are made again from what is stored, so a refused name never stays on show.
    reload(mealId, false);
    return renamed;
}

bool SavedMealDB::deleteMeal(qint64 mealId, qint64 actingUser)
{
    StoreTransaction change;
    if (!change)
        return false;
    // The meal's owner, who owns its foods too; none when the meal is not the user's to delete.
    BXSqlQuery owner(mealSql("SELECT IFNULL(user_id, -1) FROM group_diary WHERE group_id = ?"));
    owner.bindValue(0, mealId);
    owner.bindValue(1, actingUser);
    const std::optional<bool> owned = owner.first();
    const qint64 user = owned.value_or(false) ? StoredId::read(owner.value(0), StoredId::Kind::Owner) : -1;
    QList<qint64> foods;
    BXSqlQuery select("SELECT food_id FROM food_diary WHERE group_id = ? AND IFNULL(user_id, -1) = ?");
    select.bindValue(0, mealId);
    select.bindValue(1, user);
    bool ok = owned.value_or(false) && select.readRows([&] {
        if (const qint64 food = StoredId::read(select.value(0), StoredId::Kind::Row); food >= 0)
            foods.append(food);
    });
    for (auto food = foods.cbegin(); ok && food != foods.cend(); ++food)
        ok = DiaryDB::instance()->removeFoodEntry(user, *food, false);

    BXSqlQuery status("UPDATE group_diary SET status = ? WHERE group_id = ? AND IFNULL(user_id, -1) = ?");
    status.bindValue(0, StatusDeleted);
    status.bindValue(1, mealId);
    status.bindValue(2, user);
    BXSqlQuery state("UPDATE group_diary_sync SET state = ? WHERE group_id IN (SELECT group_id FROM "
                     "group_diary WHERE group_id = ? AND IFNULL(user_id, -1) = ?)");
    state.bindValue(0, StateDeleted);
    state.bindValue(1, mealId);
    state.bindValue(2, user);
    if (!change.end(ok && status.execChangingRow() && state.exec()))
        return false;
    reload(0, false);
    return true;
}

// ---------------------------------------------------------------------------------------
// The catalogue tree

// A meal of user u lies below the root u + 2; a shared one (-1 or NULL) below the root 1. Only
// the user's meals and the shared ones are read.
BXSqlQuery SavedMealDB::getItemQuery(qint64 forUser) const
{
    BXSqlQuery query(QStringLiteral("SELECT group_id, IFNULL(user_id, -1) + 2, name FROM group_diary "
                                    "WHERE date IS NULL AND status <> %1 AND name <> '' "
                                    "AND (user_id IS NULL OR user_id IN (-1, ?)) ORDER BY UPPER(name)")
                         .arg(StatusDeleted));
    query.bindValue(0, forUser);
    return query;
}

// Meals keep no categories: the users' roots, which no tree shows as a child.
BXSqlQuery SavedMealDB::getCatsQuery() const
{
    return BXSqlQuery("SELECT user_id + 2, 0, 'My Saved Meals' FROM user_users ORDER BY user_id");
}

bool SavedMealDB::reparentItemCategory(qint64, qint64)
{
    return false;
}

std::optional<QStringList> SavedMealDB::foodsPrivateFrom(qint64 mealId, qint64 rootId)
{
    BXSqlQuery query(mealFoodsSql("ref_id, food_name"));
    query.bindValue(0, mealId);
    query.bindValue(1, currentUser());
    std::vector<std::pair<qint64, QString>> foods;
    if (!query.readRows([&] {
            foods.emplace_back(StoredId::read(query.value(0), StoredId::Kind::Catalogue),
                               DiaryDB::readFoodName(query.value(1), mealFoodPlace(query.value(1))));
        }))
        return std::nullopt;
    QStringList names;
    // A root no user's id makes is nobody's: every custom food is private from it.
    const qint64 owner = rootId - 2;
    for (const auto& [refId, name] : foods) {
        if (owner != int(owner) || !DiaryDB::mayNameFood(int(owner), refId))
            names.append(name);
    }
    return names;
}

bool SavedMealDB::reparentItem(qint64 mealId, qint64 user, qint64 newParentId)
{
    const qint64 owner = newParentId - 2;
    StoreTransaction change;
    if (!change)
        return false;
    bool ok = true;
    // The foods first; the meal itself, changed last, must have been the user's or shared.
    const struct
    {
        const char* sql;
        bool namesMeal;
    } changes[] = {{"UPDATE food_diary SET user_id = ? WHERE group_id = ? AND date IS NULL", false},
                   {"UPDATE group_diary SET user_id = ? WHERE group_id = ?", true}};
    for (const auto& step : changes) {
        BXSqlQuery update(mealSql(step.sql));
        update.bindValue(0, owner);
        update.bindValue(1, mealId);
        update.bindValue(2, user);
        ok = ok && (step.namesMeal ? update.execChangingRow() : update.exec());
    }
    if (!change.end(ok))
        return false;
    reload(mealId, false);
    return true;
}
