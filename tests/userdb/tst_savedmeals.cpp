#include "storefixture.h"

#include "tests/support/storedmealname.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/storedid.h"
#include "userdb/storednotices.h"
#include "userdb/storedrange.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"

#include <QtTest>

using DBTypes::FoodDiaryItem;

namespace {

const int User = 1;

FoodDiaryItem food(const char* name, float energy, float fat)
{
    FoodDiaryItem entry;
    entry.desc = QString::fromUtf8(name);
    entry.servingDesc = QStringLiteral("slice");
    entry.servingId = 3;
    entry.refId = 1234;
    entry.size = 2.0f;
    entry.values.energy = energy;
    entry.values.fat = fat;
    return entry;
}

// The (id, name) rows that the tree's item query lists under a root.
QList<QPair<qint64, QString>> listed(qint64 parent)
{
    BXSqlQuery query = SavedMealDB::instance()->getItemQuery(User);
    QList<QPair<qint64, QString>> rows;
    if (query.exec()) {
        while (query.next()) {
            if (query.value(1).toLongLong() == parent)
                rows.append({query.value(0).toLongLong(), query.value(2).toString()});
        }
    }
    return rows;
}

} // namespace

class TestSavedMeals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { StoreFixture::loadBrand(); }
    void init();
    void cleanup();

    void storesMealsOutsideTheDiary();
    void failedStoreLeavesNothing();
    void sumsAMealAsOneFood();
    void listsNamedLiveMeals();
    void deletesMealsSoftly();
    void sharesMealsByMovingThem();
    void keepsMealsOfIdsPast32Bits();
    void readsFavourites();
    void namesPrivateFoodsWithinALine();

private:
    QList<qint64> m_reloads;
};

void TestSavedMeals::init()
{
    QVERIFY(StoreFixture::open());
    m_reloads.clear();
    SavedMealDB::setReloadHandler([this](qint64 selectId, bool) { m_reloads.append(selectId); });
    UserDB::instance()->setCurrentUser(User);
}

void TestSavedMeals::cleanup()
{
    SavedMealDB::setReloadHandler(nullptr);
    StoreFixture::close();
}

void TestSavedMeals::storesMealsOutsideTheDiary()
{
    SavedMealDB* meals = SavedMealDB::instance();
    QVERIFY(SavedMealDB::exists());
    QCOMPARE(m_reloads, QList<qint64>({0}));
    const qint64 id = meals->storeMeal(User, -1, "Lunch box",
                                    {food("Bread", 80, 1), food("Cheese", 110, 9), food("Pear", 60, -1)},
                                    true);
    QVERIFY(id >= 0);
    QCOMPARE(m_reloads.last(), id);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM group_diary WHERE status = 1").toInt(), 1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary WHERE group_id = ? AND date IS NULL "
                                  "AND status = 1 AND user_id = ?",
                                  {id, User})
                 .toInt(),
             3);
    QCOMPARE(storedMealName(User, id), QStringLiteral("Lunch box"));
    QVERIFY(storedMealName(User + 1, id).isNull());

    const std::vector<FoodDiaryItem> items = meals->getSavedMealItems(id).value();
    QCOMPARE(items.size(), std::size_t(3));
    const FoodDiaryItem& pear = items.at(2);
    QCOMPARE(pear.desc, QStringLiteral("Pear"));
    QCOMPARE(pear.servingDesc, QStringLiteral("slice"));
    QCOMPARE(pear.servingId, 3);
    QCOMPARE(pear.refId, 1234);
    QCOMPARE(pear.size, 2.0f);
    QCOMPARE(pear.userId, User);
    QCOMPARE(pear.values.energy, 60.0f);
    QCOMPARE(pear.values.fat, -1.0f);
    QCOMPARE(pear.values.sodium, -1.0f);

    // Saved foods never show in a day or in the sums.
    QVERIFY(DiaryDB::instance()->getAllDays(User, true).value().isEmpty());
    QVERIFY(DiaryDB::instance()->getAllDatesWithEntries(User, true).value().empty());
    QVERIFY(DiaryDB::instance()->getNutrientInfo(User, "00000000", "99999999", 0).value().empty());

    meals->renameMeal(id, User, "Picnic");
    QCOMPARE(m_reloads.last(), id);
    QCOMPARE(storedMealName(User, id), QStringLiteral("Picnic"));
}

void TestSavedMeals::failedStoreLeavesNothing()
{
    SavedMealDB* meals = SavedMealDB::instance();
    QVERIFY(meals->storeMeal(User, -1, "Breakfast", {food("Toast", 80, 1)}, true) >= 0);
    QVERIFY(StoreFixture::exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON food_diary BEGIN "
                               "SELECT RAISE(ABORT, 'refused'); END;"));
    QCOMPARE(meals->storeMeal(User, -1, "Dinner", {food("Soup", 80, 1)}, true), -1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM group_diary").toInt(), 1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary").toInt(), 1);
    // The transaction was closed: another one starts.
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::rollbackTransaction());
    // A meal whose id leaves no next one: none is stored rather than one of another id.
    QVERIFY(StoreFixture::exec("DROP TRIGGER refuse"));
    QVERIFY(StoreFixture::exec("INSERT INTO group_diary(group_id, user_id, name, status) VALUES (?, ?, 'Last', 1)",
                               {HighestRowId, User}));
    QCOMPARE(meals->storeMeal(User, -1, "Dinner", {food("Soup", 80, 1)}, true), -1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM group_diary").toInt(), 2);
}

void TestSavedMeals::sumsAMealAsOneFood()
{
    SavedMealDB* meals = SavedMealDB::instance();
    const qint64 id = meals->storeMeal(User, -1, "Snack", {food("A", 100, 5), food("B", 50, -1)}, true);
    const DBTypes::FoodItem sum = meals->getSavedMealAsFoodItem(id).value();
    QCOMPARE(sum.energy, 150.0f);
    QCOMPARE(sum.fat, 5.0f);
    QCOMPARE(sum.sodium, 0.0f);

    // A nutrient stored as NULL (older data) is missing, not zero, and stays out of the sum.
    QVERIFY(StoreFixture::exec("UPDATE food_diary SET calories = NULL, fat = NULL WHERE "
                               "group_id = ? AND food_name = 'B'",
                               {id}));
    const std::vector<FoodDiaryItem> items = meals->getSavedMealItems(id).value();
    QCOMPARE(items.at(1).values.energy, -999.0f);
    QCOMPARE(items.at(1).values.fat, -999.0f);
    QCOMPARE(meals->getSavedMealAsFoodItem(id).value().energy, 100.0f);

    const qint64 empty = meals->storeMeal(User, -1, "Nothing", {}, true);
    const DBTypes::FoodItem none = meals->getSavedMealAsFoodItem(empty).value();
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        QCOMPARE(none.getNutrient(DBTypes::NutType(nut)), 0.0f);
}

void TestSavedMeals::listsNamedLiveMeals()
{
    SavedMealDB* meals = SavedMealDB::instance();
    const qint64 beta = meals->storeMeal(User, -1, "beta", {}, true);
    const qint64 alpha = meals->storeMeal(User, -1, "Alpha", {}, true);
    meals->storeMeal(User, -1, "", {}, true);
    meals->storeMeal(User + 1, -1, "Other's", {}, true);
    QCOMPARE(listed(meals->getRootForUser(User)),
             (QList<QPair<qint64, QString>>{{alpha, "Alpha"}, {beta, "beta"}}));
    QVERIFY(listed(1).isEmpty());
    QCOMPARE(meals->getItemNoun(), QStringLiteral("Meals"));
    QVERIFY(!meals->reparentItemCategory(3, 1));
}

void TestSavedMeals::deletesMealsSoftly()
{
    SavedMealDB* meals = SavedMealDB::instance();
    const qint64 id = meals->storeMeal(User, -1, "Gone", {food("A", 100, 5), food("B", 50, 1)}, true);
    meals->deleteMeal(id, User);
    QCOMPARE(m_reloads.last(), 0);
    QCOMPARE(StoreFixture::scalar("SELECT status FROM group_diary WHERE group_id = ?", {id}).toInt(), 2);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary WHERE status = 2").toInt(), 2);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary_sync WHERE state <> 2").toInt(), 0);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM group_diary_sync WHERE group_id = ? AND state = 2",
                                  {id})
                 .toInt(),
             2);
    QVERIFY(listed(meals->getRootForUser(User)).isEmpty());

    // Another user's meal is not the user's to delete, rename or move.
    const qint64 others = meals->storeMeal(User + 1, -1, "Ann's", {food("C", 10, 1)}, true);
    QVERIFY(!meals->deleteMeal(others, User));
    QVERIFY(!meals->renameMeal(others, User, "Mine"));
    QVERIFY(!meals->reparentItem(others, User, 1));
    QVERIFY(!meals->appendFoodItemToMeal(others, User, food("D", 10, 1)));
    QCOMPARE(StoreFixture::scalar("SELECT status || name || user_id FROM group_diary WHERE group_id = ?", {others})
                 .toString(),
             QStringLiteral("1Ann's%1").arg(User + 1));
    QCOMPARE(StoreFixture::scalar("SELECT status || user_id FROM food_diary WHERE group_id = ?", {others}).toString(),
             QStringLiteral("1%1").arg(User + 1));
}

void TestSavedMeals::sharesMealsByMovingThem()
{
    SavedMealDB* meals = SavedMealDB::instance();
    const qint64 id = meals->storeMeal(User, -1, "Family pizza", {food("Pizza", 800, 30)}, true);
    QVERIFY(meals->reparentItem(id, User, 1));
    QCOMPARE(m_reloads.last(), id);
    QCOMPARE(StoreFixture::scalar("SELECT user_id FROM group_diary WHERE group_id = ?", {id}).toInt(), -1);
    QCOMPARE(StoreFixture::scalar("SELECT user_id FROM food_diary WHERE group_id = ?", {id}).toInt(), -1);
    QCOMPARE(listed(1).size(), 1);
    QVERIFY(listed(meals->getRootForUser(User)).isEmpty());
    // Meals without an owner are shared too.
    QVERIFY(StoreFixture::exec("INSERT INTO group_diary(user_id, name, status) VALUES (NULL, 'Old', 1)"));
    QCOMPARE(listed(1).size(), 2);
}

// The flags and the id of an item are not interchangeable in the favourites' calls.
template <typename First, typename Second>
constexpr bool favoriteCallCompiles = requires(const FavoritesDB& db, First first, Second second) {
    db.canBeFavorite(first, second);
};
static_assert(favoriteCallCompiles<FavoritesDB::ItemFlags, FavoritesDB::ItemId>);
static_assert(!favoriteCallCompiles<FavoritesDB::ItemId, FavoritesDB::ItemFlags>);
static_assert(!favoriteCallCompiles<int, int>);

// The diary names a meal by its id at full width: the meal after 2^31 - 1 is shown, renamed
// and deleted as itself.
void TestSavedMeals::keepsMealsOfIdsPast32Bits()
{
    SavedMealDB* meals = SavedMealDB::instance();
    QVERIFY(StoreFixture::exec("INSERT INTO group_diary(group_id, user_id, name, status) VALUES (2147483647, ?, 'Old', 2)",
                               {User}));
    const qint64 id = meals->storeMeal(User, -1, "Late", {food("Toast", 80, 1)}, true);
    QCOMPARE(id, qint64(1) << 31);
    QCOMPARE(listed(meals->getRootForUser(User)), (QList<QPair<qint64, QString>>{{id, "Late"}}));
    QCOMPARE(meals->getSavedMealItems(id).value().size(), size_t(1));
    QVERIFY(meals->renameMeal(id, User, "Later"));
    QCOMPARE(storedMealName(User, id), QStringLiteral("Later"));
    QVERIFY(meals->deleteMeal(id, User));
    QVERIFY(listed(meals->getRootForUser(User)).isEmpty());
}

void TestSavedMeals::readsFavourites()
{
    using Flags = FavoritesDB::ItemFlags;
    using Id = FavoritesDB::ItemId;
    const Flags food(1), exercise(2), customFood(1 | 4), savedMeal(16);
    FavoritesDB favorites(User);
    QVERIFY(favorites.canBeFavorite(food, Id(5)));
    QVERIFY(favorites.canBeFavorite(exercise, Id(5)));
    QVERIFY(!favorites.canBeFavorite(customFood, Id(5)));
    QVERIFY(!favorites.canBeFavorite(savedMeal, Id(5)));

    favorites.addFavorite(food, Id(10));
    favorites.addFavorite(exercise, Id(10));
    QVERIFY(favorites.isFavorite(food, Id(10)).value());
    QVERIFY(!favorites.isFavorite(food, Id(11)).value());
    QVERIFY(!favorites.isFavorite(savedMeal, Id(10)).value());

    std::set<qint64> ids = {99};
    favorites.findFavorites(customFood, ids);
    QVERIFY(ids.empty());
    favorites.findFavorites(food, ids);
    QCOMPARE(ids, std::set<qint64>({10}));

    // A row added behind the store's back (another program, a restore) is seen at once.
    QVERIFY(StoreFixture::exec("INSERT INTO favorites(user_id, item_type, item_id) VALUES (?, 1, 11)", {User}));
    favorites.findFavorites(food, ids);
    QCOMPARE(ids, std::set<qint64>({10, 11}));
    FavoritesDB(User + 1).findFavorites(food, ids);
    QVERIFY(ids.empty());

    favorites.removeFavorite(food, Id(10));
    favorites.findFavorites(food, ids);
    QCOMPARE(ids, std::set<qint64>({11}));
    favorites.findFavorites(exercise, ids);
    QCOMPARE(ids, std::set<qint64>({10}));
}

// The foods named when a meal cannot be shared are read as the diary's lines are: a name
// past a line is cut, and told.
void TestSavedMeals::namesPrivateFoodsWithinALine()
{
    SavedMealDB* meals = SavedMealDB::instance();
    const qint64 id = meals->storeMeal(User, -1, "Long", {food("Pizza", 800, 30)}, true);
    QVERIFY(StoreFixture::exec("UPDATE food_diary SET food_name = printf('%.*c', 10000000, 'z') WHERE group_id = ?", {id}));
    StoredNotices::restart();
    // Below a root of no user's id every food is private.
    const QStringList names = meals->foodsPrivateFrom(id, 2 + (qint64(1) << 32)).value();
    QCOMPARE(names.size(), 1);
    QCOMPARE(names.first().size(), StoredRange::LineLength);
    QVERIFY(StoredNotices::take().join(QString()).contains(QStringLiteral("a text of 10000000 characters")));
}

QTEST_GUILESS_MAIN(TestSavedMeals)
#include "tst_savedmeals.moc"

