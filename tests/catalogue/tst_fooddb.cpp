// The food catalogue: shipped food records decoded by id, custom foods and their categories
// in the user database, the routing of ids between the two, diary entries loading their
// food through the catalogue, and the removal of a deleted user's foods.

#include "catalogue/fooddb.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"
#include "core/fooddiaryitem.h"
#include "core/notificationcenter.h"
#include "userdb/storednotices.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "usercataloguefixture.h"

using namespace CatalogueFixture;
using DBTypes::FoodItem;

namespace {

constexpr int USER = 2;
constexpr int USER_ROOT = 0x1FFF000 + USER;
constexpr int APPLE = 100;
constexpr int BANANA = 101;

FoodItem customValues()
{
    FoodItem values;
    values.energy = 250.0f;
    values.fat = 12.0f;
    values.protein = 9.5f;
    values.carbs = 30.0f;
    values.fiber = 2.0f;
    values.satFat = 4.0f;
    values.cholesterol = 15.0f;
    values.sodium = 480.0f;
    values.sugar = -1.0f; // not known
    values.calcium = 110.0f;
    return values;
}

// A change that the current user tries on another user's category and food, by their ids.
using Change = bool (*)(FoodDBDynamic* foods, qint64 category, qint64 food);
const struct {
    const char* name;
    Change change;
} OthersRowChanges[] = {
    {"rename category", [](FoodDBDynamic* f, qint64 c, qint64) { return f->updateCategory(c, QStringLiteral("Mine")); }},
    {"delete category", [](FoodDBDynamic* f, qint64 c, qint64) { return f->deleteCategory(c, true); }},
    {"move category", [](FoodDBDynamic* f, qint64 c, qint64) { return f->reparentItemCategory(c, USER_ROOT); }},
    {"update food", [](FoodDBDynamic* f, qint64, qint64 i) { return f->updateFood(i, QStringLiteral("Mine"), QStringLiteral("cup"), {}); }},
    {"delete food", [](FoodDBDynamic* f, qint64, qint64 i) { return f->deleteFood(i); }},
    {"move food", [](FoodDBDynamic* f, qint64, qint64 i) { return f->reparentItem(i, USER_ROOT); }},
    {"move own category into it", [](FoodDBDynamic* f, qint64 c, qint64) {
         return f->reparentItemCategory(f->createCategory(USER_ROOT, QStringLiteral("Own")), c); }},
    {"make a category in it", [](FoodDBDynamic* f, qint64 c, qint64) { return f->createCategory(c, QStringLiteral("Own")) >= 0; }},
    {"make a food in it", [](FoodDBDynamic* f, qint64 c, qint64) { return f->createFood(c, QStringLiteral("Own"), QStringLiteral("cup"), {}) >= 0; }},
};

} // namespace

class ReloadCounter : public QObject {
    Q_OBJECT
public:
    ReloadCounter()
    {
        NotificationCenter::addObserver(this, SLOT(dyndbChanged()), DynamicDB::RELOADED_NOTIFICATION);
    }
    int count = 0;

public slots:
    void dyndbChanged() { ++count; }
};

class TestFoodDB : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpResources(); }
    void init() { openDatabase(USER); }
    void cleanup() { closeDatabase(); }

    void staticFoodValues()
    {
        const FoodDBStatic* foods = FoodDBStatic::instance();
        const std::optional<FoodItem> apple = foods->getFoodItem(APPLE);
        QVERIFY(apple);
        QCOMPARE(apple->kind, 'M');
        QCOMPARE(apple->quantity, 100.0f);
        QCOMPARE(apple->energy, 52.0f);
        QCOMPARE(apple->carbs, 13.8f);
        QCOMPARE(apple->calcium, 6.0f);
        QCOMPARE(apple->sugar, 10.4f);
        QCOMPARE(apple->fat, -999.0f); // absent; slot 5 is stepped over
        QCOMPARE(apple->satFat, -999.0f);
        QCOMPARE(foods->getFoodName(APPLE), QStringLiteral("Apple, raw"));
        QCOMPARE(foods->getFoodRankingGroup(APPLE), quint32(10));
        QCOMPARE(foods->getCategoryName(20), QStringLiteral("Drinks"));

        const std::optional<FoodItem> banana = foods->getFoodItem(BANANA);
        QCOMPARE(banana->kind, 'S');
        QCOMPARE(banana->quantity, -1.0f);

        // Unknown ids and categories are no foods.
        QVERIFY(!foods->getFoodItem(4242));
        QVERIFY(!foods->getFoodItem(10));
        QVERIFY(foods->getFoodName(4242).isEmpty());

        auto it = foods->getChildItems(10);
        QVERIFY(it && it->next());
        QCOMPARE(foods->getFoodName(*it), QStringLiteral("Apple, raw"));
        QCOMPARE(FoodDBStatic::getFoodRankingGroup(*it), quint32(10));
    }

    void staticServingsSortedByWeight()
    {
        const auto servings = FoodDBStatic::instance()->getServingItemList(APPLE);
        QCOMPARE(servings.size(), size_t(3));
        QCOMPARE(servings[0].weight, 28.35f);
        QCOMPARE(servings[0].id, 1);
        QCOMPARE(servings[0].name, QStringLiteral("ounce slice"));
        QCOMPARE(servings[1].id, 0);
        QCOMPARE(servings[2].id, 2);
        QCOMPARE(servings[2].weight, 240.0f);
    }

    void foodWithoutServingsGetsOne()
    {
        const auto servings = FoodDBStatic::instance()->getServingItemList(BANANA);
        QCOMPARE(servings.size(), size_t(1));
        QCOMPARE(servings[0].id, 0);
        QCOMPARE(servings[0].weight, 1.0f);
        QCOMPARE(servings[0].name, QStringLiteral("serving"));

        // Without a reference quantity the values count per serving, never per -1.
        DBTypes::FoodDiaryItem entry;
        entry.changeFood(BANANA);
        QCOMPARE(entry.desc, QStringLiteral("Banana"));
        QCOMPARE(entry.servingDesc, QStringLiteral("serving"));
        entry.setSize(2.0f);
        QCOMPARE(entry.getNutrient(DBTypes::ENERGY), 210.0f);
    }

    void customFoodRoundTrip()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        ReloadCounter reloads;
        const qint64 first = foods->createFood(USER_ROOT, QStringLiteral("Lasagne"),
                                            QStringLiteral("square"), customValues());
        const qint64 second = foods->createFood(USER_ROOT, QStringLiteral("Pesto"),
                                             QStringLiteral("spoon"), customValues());
        QCOMPARE(first, 0x1000000);
        QCOMPARE(second, 0x1000001);
        QCOMPARE(reloads.count, 2);

        const std::optional<FoodItem> lasagne = FoodDB::instance()->getFoodItem(first);
        QVERIFY(lasagne);
        QCOMPARE(lasagne->quantity, 1.0f);
        QCOMPARE(lasagne->kind, 'S');
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            const auto n = DBTypes::NutType(nut);
            const float expected = n == DBTypes::SUGAR ? -999.0f : customValues().getNutrient(n);
            QCOMPARE(lasagne->getNutrient(n), expected);
        }
        const auto servings = FoodDB::instance()->getServingItemList(first);
        QCOMPARE(servings.size(), size_t(1));
        QCOMPARE(servings[0].name, QStringLiteral("square"));
        QCOMPARE(servings[0].id, 0);
        QCOMPARE(servings[0].weight, 1.0f);

        FoodItem changed = customValues();
        changed.sugar = 3.0f;
        QVERIFY(foods->updateFood(first, QStringLiteral("Lasagna"), QStringLiteral("slice"), changed));
        QCOMPARE(FoodDB::instance()->getFoodName(first), QStringLiteral("Lasagna"));
        QCOMPARE(FoodDB::instance()->getFoodItem(first)->sugar, 3.0f);
        QCOMPARE(names(foods->getChildItems(USER_ROOT)), QStringList({"Lasagna", "Pesto"}));

        QVERIFY(foods->deleteFood(first));
        QVERIFY(!FoodDB::instance()->getFoodItem(first));
        QVERIFY(!FoodDB::instance()->getFoodItem(0x2FFFFFF));
        QVERIFY(FoodDB::instance()->getFoodName(first).isEmpty());
        QVERIFY(FoodDB::instance()->getServingItemList(first).empty());
        QCOMPARE(names(foods->getChildItems(USER_ROOT)), QStringList({"Pesto"}));
        QCOMPARE(reloads.count, 4);

        // The last id of the catalogue's space is given, then none.
        QVERIFY(exec("UPDATE custom_foods SET food_id = 0x2FFFFFE WHERE food_id = ?", {second}));
        QCOMPARE(foods->createFood(USER_ROOT, QStringLiteral("Last"), QStringLiteral("cup"), {}), 0x2FFFFFF);
        QCOMPARE(foods->createFood(USER_ROOT, QStringLiteral("Beyond"), QStringLiteral("cup"), {}), -1);
    }

    void categoriesCreateRenameDelete()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 meals = foods->createCategory(USER_ROOT, QStringLiteral("Meals"));
        QCOMPARE(meals, 0x1000000); // below the roots, whatever root rows exist
        const qint64 soups = foods->createCategory(meals, QStringLiteral("Soups"));
        QCOMPARE(soups, 0x1000001);
        QCOMPARE(foods->createCategory(USER_ROOT, QStringLiteral("Chosen"), 0x1234567), 0x1234567);
        QCOMPARE(foods->createCategory(USER_ROOT, QStringLiteral("Taken"), 0x1234567), -1);
        const qint64 stew = foods->createFood(meals, QStringLiteral("Stew"), QStringLiteral("bowl"), {});
        const qint64 broth = foods->createFood(soups, QStringLiteral("Broth"), QStringLiteral("cup"), {});
        foods->createFood(USER_ROOT, QStringLiteral("Kept"), QStringLiteral("cup"), {});

        QVERIFY(foods->updateCategory(meals, QStringLiteral("Dinners")));
        QCOMPARE(foods->getCategoryName(meals), QStringLiteral("Dinners"));
        QVERIFY(foods->getCategoryName(0x1777777).isEmpty());

        ReloadCounter reloads;
        QVERIFY(!foods->deleteCategory(meals, false));
        QVERIFY(!foods->deleteCategory(USER_ROOT, false));
        QCOMPARE(reloads.count, 0);
        QVERIFY(foods->getFoodItem(stew));

        // A food that may not go keeps the whole category, with everything below it.
        BXSqlDb::perform("CREATE TEMP TRIGGER keep_stew BEFORE DELETE ON custom_foods "
                         "WHEN old.name = 'Stew' BEGIN SELECT RAISE(ABORT, 'kept'); END");
        QVERIFY(!foods->deleteCategory(meals, true));
        BXSqlDb::perform("DROP TRIGGER keep_stew");
        QVERIFY(foods->getFoodItem(broth));
        QCOMPARE(foods->getCategoryName(soups), QStringLiteral("Soups"));
        QCOMPARE(reloads.count, 1);

        QVERIFY(foods->deleteCategory(meals, true));
        QCOMPARE(reloads.count, 2);
        QVERIFY(!foods->getFoodItem(stew));
        QVERIFY(!foods->getFoodItem(broth));
        QVERIFY(foods->getCategoryName(soups).isEmpty());
        QCOMPARE(names(foods->getFlattenedChildren(0, 0)),
                 QStringList({"Chosen", "Kept", "Shared Foods", "My Foods"}));

        // An empty category goes without force, and its id is not given again.
        QVERIFY(foods->deleteCategory(0x1234567, false));
        QCOMPARE(foods->createCategory(USER_ROOT, QStringLiteral("Again")), 0x1234568);
    }

    void userDeletionRemovesThatUsersFoods()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 shared = foods->createFood(0x2000000, QStringLiteral("Shared"), QStringLiteral("cup"), {});
        UserDB::instance()->setCurrentUser(6);
        foods->reload(0, false);
        const int otherRoot = 0x1FFF000 + 6;
        const qint64 category = foods->createCategory(otherRoot, QStringLiteral("Theirs"));
        const qint64 nested = foods->createCategory(category, QStringLiteral("Nested"));
        const qint64 deep = foods->createFood(nested, QStringLiteral("Deep"), QStringLiteral("cup"), {});
        UserDB::instance()->setCurrentUser(USER);
        foods->reload(0, false);

        // User 6 is not the one whose tree is loaded.
        QCOMPARE(UserDB::instance()->deleteUser(6), 0);
        QVERIFY(!foods->getFoodItem(deep));
        QVERIFY(foods->getCategoryName(nested).isEmpty());
        QVERIFY(foods->getCategoryName(category).isEmpty());
        QVERIFY(foods->getFoodItem(shared));
        QCOMPARE(scalar("SELECT COUNT(*) FROM custom_food_cats WHERE category_id = ?", {otherRoot}).toInt(), 0);
    }

    // A user's entry of her own food stays hers once the food is deleted and another user of
    // the household makes a food: no id is given twice, and she may change the entry.
    void anEntryOfADeletedFoodStaysItsUsers()
    {
        // A saved meal of a diary from before the mark names a food deleted then.
        QVERIFY(exec("INSERT INTO food_diary(user_id, ref_id, group_id) VALUES (?, 0x1000005, 1)", {USER}));
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        FoodItem values;
        values.energy = 280.0f;
        const qint64 cake = foods->createFood(USER_ROOT, QStringLiteral("Cake G"), QStringLiteral("slice"), values);
        QCOMPARE(cake, 0x1000006);
        DBTypes::FoodDiaryItem entry;
        entry.userId = USER;
        entry.setDate("20260310");
        entry.meal = 1;
        entry.changeFood(cake);
        QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
        QVERIFY(foods->deleteFood(cake));

        DBTypes::UserProfile bea;
        bea.name = QStringLiteral("Bea");
        qint64 beaId = -1;
        QVERIFY(UserDB::instance()->addUser(bea, &beaId));
        const qint64 beaRoot = foods->getRootForUser(beaId);
        UserDB::instance()->setCurrentUser(beaId);
        const qint64 cookie = foods->createFood(beaRoot, QStringLiteral("Cookie"), QStringLiteral("piece"), values);
        UserDB::instance()->setCurrentUser(USER);
        QVERIFY(cookie > cake);

        entry.setSize(2.0f);
        QVERIFY(DiaryDB::instance()->modifyFoodEntry(entry.entryId, entry));
        QCOMPARE(DiaryDB::instance()->getFoodEntry(entry.userId, entry.entryId)->values.energy, 560.0f);

        // An older build gave the id to Bea's food of the same name and serving: the entry,
        // edited as the dialog does, keeps its own values.
        QVERIFY(exec("INSERT INTO custom_foods(food_id, category_id, name, serv_name, calories) "
                     "VALUES (?, ?, 'Cake G', 'slice', 400)", {cake, beaRoot}));
        DBTypes::FoodDiaryItem stored = *DiaryDB::instance()->getFoodEntry(entry.userId, entry.entryId);
        QCOMPARE(stored.getServingItemList().size(), size_t(1));
        stored.setSize(3.0f);
        QVERIFY(DiaryDB::instance()->modifyFoodEntry(stored.entryId, stored));
        QCOMPARE(DiaryDB::instance()->getFoodEntry(entry.userId, entry.entryId)->values.energy, 840.0f);
    }

    void anotherUsersRowsStayTheirs_data()
    {
        QTest::addColumn<int>("change");
        for (int i = 0; i < int(std::size(OthersRowChanges)); ++i)
            QTest::newRow(OthersRowChanges[i].name) << i;
    }

    // Bob's rows are his own however their ids reach Ann's store; a loop above a category
    // leads to no root, and is nobody's to change.
    void anotherUsersRowsStayTheirs()
    {
        QFETCH(int, change);
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        UserDB::instance()->setCurrentUser(USER + 1);
        const qint64 bobs = foods->createCategory(USER_ROOT + 1, QStringLiteral("Bob's"));
        const qint64 pie = foods->createFood(bobs, QStringLiteral("Pie"), QStringLiteral("slice"), customValues());
        UserDB::instance()->setCurrentUser(USER);
        QVERIFY(bobs >= 0 && pie >= 0);
        const qint64 looped = foods->createCategory(USER_ROOT, QStringLiteral("Looped"));
        const qint64 looping = foods->createCategory(looped, QStringLiteral("Looping"));
        QVERIFY(exec("UPDATE custom_food_cats SET parent_id = ? WHERE category_id = ?", {looping, looped}));
        const char* rows = "SELECT group_concat(category_id || parent_id || name) FROM custom_food_cats "
                           "WHERE name <> 'Own' OR parent_id <> ?";
        const QVariant before = scalar(rows, {USER_ROOT});
        const char* items = "SELECT group_concat(category_id || name || calories) FROM custom_foods";
        const QVariant pieBefore = scalar(items);
        for (const qint64 category : {bobs, looped})
            QVERIFY(!OthersRowChanges[change].change(foods, category, pie));
        QCOMPARE(scalar(rows, {USER_ROOT}), before);
        QCOMPARE(scalar(items), pieBefore);
    }

    void diaryEntryLoadsItsFood()
    {
        const qint64 custom = FoodDBDynamic::instance()->createFood(
            USER_ROOT, QStringLiteral("Lasagne"), QStringLiteral("square"), customValues());

        DBTypes::FoodDiaryItem entry;
        entry.changeFood(APPLE);
        QCOMPARE(entry.desc, QStringLiteral("Apple, raw"));
        QCOMPARE(entry.servingDesc, QStringLiteral("ounce slice"));
        QCOMPARE(entry.servings.size(), size_t(5)); // three stored, then g and oz
        QCOMPARE(entry.servings[3].name, QStringLiteral("g"));
        entry.setServingById(-1);
        entry.setSize(200.0f);
        QCOMPARE(entry.getNutrient(DBTypes::ENERGY), 104.0f);

        entry.changeFood(custom);
        QCOMPARE(entry.desc, QStringLiteral("Lasagne"));
        QCOMPARE(entry.servingDesc, QStringLiteral("square"));
        entry.setSize(2.0f);
        QCOMPARE(entry.getNutrient(DBTypes::ENERGY), 500.0f);

        // A stored entry whose food was renamed keeps its own values.
        entry.createFakeDenorm();
        FoodDBDynamic::instance()->updateFood(custom, QStringLiteral("Lasagna"),
                                              QStringLiteral("square"), customValues());
        QVERIFY(!entry.loadFoodInfo(true));
        QVERIFY(entry.loadFoodInfo(true));
        QCOMPARE(entry.getServingItemList().size(), size_t(1));
        QCOMPARE(entry.desc, QStringLiteral("Lasagne"));
        QCOMPARE(entry.values.kind, 'F');

        // One that still matches takes the catalogue's values and servings.
        DBTypes::FoodDiaryItem stored;
        stored.changeFood(APPLE);
        stored.setServingById(2);
        stored.createFakeDenorm();
        QCOMPARE(stored.getServingItemList().size(), size_t(5));
        QCOMPARE(stored.baseValues.kind, 'M');
        QCOMPARE(stored.servingDesc, QStringLiteral("cup"));

        DBTypes::FoodDiaryItem unknown;
        QVERIFY(!unknown.loadFoodInfo(true));
        QVERIFY(unknown.infoLoaded);

        // A diary row naming an id past the catalogue's is told and names no food, never the
        // shipped food its lower 32 bits make.
        const qint64 wide = (qint64(1) << 32) + APPLE;
        QVERIFY(FoodDB::instance()->getFoodName(wide).isEmpty());
        QVERIFY(exec("INSERT INTO food_diary(food_id, user_id, date, meal, status, ref_id, food_name, "
                     "serv_name, size) VALUES (900, ?, '20260310', 1, 1, ?, 'Pear', 'each', 1)",
                     {USER, wide}));
        StoredNotices::take();
        DBTypes::FoodDiaryItem pear = DiaryDB::instance()->getFoodEntry(USER, 900).value();
        QVERIFY(StoredNotices::take().join(QString()).contains(QStringLiteral("4294967396 in the ref_id")));
        QCOMPARE(pear.refId, qint64(-1));
        QVERIFY(!pear.loadFoodInfo(true));
        QCOMPARE(pear.desc, QStringLiteral("Pear"));
    }
};

QTEST_GUILESS_MAIN(TestFoodDB)
#include "tst_fooddb.moc"
