#include "storefixture.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/mealplandb.h"
#include "userdb/savedmealdb.h"
#include "userdb/storednotices.h"
#include "userdb/userdb.h"

#include "core/fooddbbase.h"

#include <QtTest>

#include <limits>

using DBTypes::DiaryDay;
using DBTypes::ExerciseDiaryItem;
using DBTypes::FoodDiaryItem;

namespace {

const int User = 3;

FoodDiaryItem food(const char* date, int meal, float energy, const char* name = "Apple")
{
    FoodDiaryItem entry;
    entry.userId = User;
    entry.setDate(date);
    entry.meal = meal;
    entry.refId = 42;
    entry.servingId = 7;
    entry.desc = QString::fromUtf8(name);
    entry.servingDesc = QStringLiteral("cup");
    entry.size = 1.5f;
    entry.values.energy = energy;
    entry.values.fat = 2.0f;
    return entry;
}

ExerciseDiaryItem exercise(const char* date, float duration, float rate)
{
    ExerciseDiaryItem entry;
    entry.userId = User;
    entry.setDate(date);
    entry.duration = duration;
    entry.rate = rate;
    entry.name = QStringLiteral("Walking");
    return entry;
}

// Makes every insert into a table fail, as a full disk or a broken file would.
void failInserts(const char* table)
{
    const QByteArray sql = QByteArray("CREATE TEMP TRIGGER refuse_insert BEFORE INSERT ON ") + table +
                           " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    QVERIFY(StoreFixture::exec(sql.constData()));
}

QList<int> syncStates(const char* table, const char* key, int id)
{
    QList<int> states;
    BXSqlQuery query(QStringLiteral("SELECT state FROM %1_sync WHERE %2 = ? ORDER BY device")
                         .arg(QLatin1String(table), QLatin1String(key)));
    query.bindValue(0, id);
    query.exec();
    while (query.next())
        states.append(query.value(0).toInt());
    return states;
}

} // namespace

class TestDiaryDB : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { StoreFixture::loadBrand(); }
    void init() { QVERIFY(StoreFixture::open()); }
    void cleanup() { StoreFixture::close(); }

    void storesUnsetNutrientsAsNull();
    void failedInsertsHandBackNoId();
    void softDeleteMarksEveryDevice();
    void deletesPartsOfADay();
    void deletesWholeDays();
    void sumsNutrientsPerDate();
    void listsDatesWithEntries();
    void skipsRowsWithMalformedDates();
    void resetsWebDiaryMarks();
    void mealPlanSkipsDuplicatesAndLeavesDiarySync();
    void foodsOfAnotherUserAreRefused_data();
    void foodsOfAnotherUserAreRefused();
    void storedIdsNameTheirOwnRow_data();
    void storedIdsNameTheirOwnRow();
    void figuresNoDialogWritesAreUnknown_data();
    void figuresNoDialogWritesAreUnknown();
};

void TestDiaryDB::storesUnsetNutrientsAsNull()
{
    FoodDiaryItem entry = food("20060305", DiaryDay::LUNCH, 300.0f);
    entry.values.protein = -0.004f;
    entry.values.carbs = 0.0f;
    const int id = DiaryDB::instance()->addFoodEntry(entry, true);
    QVERIFY(id >= 0);
    QCOMPARE(entry.entryId, id);

    QVERIFY(StoreFixture::scalar("SELECT sodium FROM food_diary WHERE food_id = ?", {id}).isNull());
    QCOMPARE(StoreFixture::scalar("SELECT protein FROM food_diary WHERE food_id = ?", {id}).toDouble(), 0.0);

    const auto read = DiaryDB::instance()->getFoodEntry(User, id);
    QVERIFY(read.has_value());
    QCOMPARE(read->values.energy, 300.0f);
    QCOMPARE(read->values.fat, 2.0f);
    QCOMPARE(read->values.protein, 0.0f);
    QCOMPARE(read->values.carbs, 0.0f);
    QCOMPARE(read->values.sodium, -999.0f);
    QCOMPARE(read->desc, QStringLiteral("Apple"));
    QCOMPARE(read->servingDesc, QStringLiteral("cup"));
    QCOMPARE(read->refId, 42);
    QCOMPARE(read->size, 1.5f);
    QCOMPARE(QByteArray(read->date), QByteArray("20060305"));
    // Read entries are self-contained: one serving's values per serving.
    QCOMPARE(read->values.kind, 'F');
    QCOMPARE(read->baseValues.energy, 200.0f);

    FoodDiaryItem second = food("20060305", DiaryDay::DINNER, 100.0f);
    second.size = 0.1f;
    QCOMPARE(DiaryDB::instance()->addFoodEntry(second, true), id + 1);
    // The amount as the user gave it, not as its float widened to a double.
    QCOMPARE(StoreFixture::scalar("SELECT size FROM food_diary WHERE food_id = ?", {id + 1}).toString(),
             QStringLiteral("0.1"));
}

void TestDiaryDB::failedInsertsHandBackNoId()
{
    FoodDiaryItem stored = food("20060305", DiaryDay::LUNCH, 300.0f);
    QVERIFY(DiaryDB::instance()->addFoodEntry(stored, true) >= 0);
    ExerciseDiaryItem walked = exercise("20060305", 30.0f, 5.0f);
    QVERIFY(DiaryDB::instance()->addExEntry(walked, false) >= 0);

    failInserts("food_diary");
    FoodDiaryItem refused = food("20060306", DiaryDay::LUNCH, 100.0f);
    QCOMPARE(DiaryDB::instance()->addFoodEntry(refused, true), -1);
    QCOMPARE(refused.entryId, -1);

    QVERIFY(StoreFixture::exec("DROP TRIGGER refuse_insert"));
    failInserts("exer_diary");
    ExerciseDiaryItem refusedExercise = exercise("20060306", 10.0f, 4.0f);
    QCOMPARE(DiaryDB::instance()->addExEntry(refusedExercise, false), -1);
    QCOMPARE(refusedExercise.entryId, -1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM exer_diary").toInt(), 1);
}

void TestDiaryDB::softDeleteMarksEveryDevice()
{
    DiaryDB* diary = DiaryDB::instance();
    FoodDiaryItem entry = food("20060305", DiaryDay::LUNCH, 300.0f);
    const int id = diary->addFoodEntry(entry, true);
    // The web diary (0) and metrics (2) follow every user; the handheld only user 0.
    QCOMPARE(syncStates("food_diary", "food_id", id), QList<int>({1, 1}));

    diary->removeFoodEntry(User, id, false);
    QCOMPARE(StoreFixture::scalar("SELECT status FROM food_diary WHERE food_id = ?", {id}).toInt(), 2);
    QCOMPARE(syncStates("food_diary", "food_id", id), QList<int>({2, 2}));
    QVERIFY(diary->getDay(User, "20060305", false).value().foods.empty());
    QCOMPARE(diary->getDay(User, "20060305", true).value().foods.size(), std::size_t(1));

    // Changing a removed entry makes it live again.
    QVERIFY(diary->modifyFoodEntry(id, entry));
    QCOMPARE(diary->getDay(User, "20060305", false).value().foods.size(), std::size_t(1));

    ExerciseDiaryItem walked = exercise("20060305", 30.0f, 5.0f);
    const int exId = diary->addExEntry(walked, false);
    diary->removeExEntry(User, exId, false);
    QCOMPARE(syncStates("exer_diary", "ex_id", exId), QList<int>({2, 2}));
    QVERIFY(diary->getDay(User, "20060305", false).value().exercises.empty());
    QVERIFY(diary->modifyExEntry(walked));
    const DiaryDay day = diary->getDay(User, "20060305", false).value();
    QCOMPARE(day.exercises.size(), std::size_t(1));
    QCOMPARE(day.exercises.front().status, 1);
    QCOMPARE(day.getGroupTotal(DiaryDay::EXERCISE, DBTypes::ENERGY), 150.0f);

    diary->removeFoodEntry(User, id, true);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary").toInt(), 0);
    QCOMPARE(syncStates("food_diary", "food_id", id), QList<int>({2, 2}));

    // An exercise stored under its own id keeps it.
    ExerciseDiaryItem kept = exercise("20060306", 20.0f, 3.0f);
    kept.entryId = 500;
    QCOMPARE(diary->addExEntry(kept, true), 500);
    QVERIFY(diary->getExerciseEntry(User, 500).has_value());
}

void TestDiaryDB::deletesPartsOfADay()
{
    DiaryDB* diary = DiaryDB::instance();
    const auto fill = [&] {
        for (int meal : {DiaryDay::BREAKFAST, DiaryDay::LUNCH, DiaryDay::LUNCH, DiaryDay::DINNER}) {
            FoodDiaryItem entry = food("20060305", meal, 100.0f);
            diary->addFoodEntry(entry, true);
        }
        ExerciseDiaryItem walked = exercise("20060305", 30.0f, 5.0f);
        diary->addExEntry(walked, false);
    };
    const QDate date(2006, 3, 5);
    fill();

    diary->delDiaryEntries(User, date, DiaryDay::EXERCISE);
    DiaryDay day = diary->getDay(User, "20060305", false).value();
    QCOMPARE(day.foods.size(), std::size_t(4));
    QVERIFY(day.exercises.empty());

    diary->delDiaryEntries(User, date, DiaryDay::LUNCH);
    day = diary->getDay(User, "20060305", false).value();
    QCOMPARE(day.foods.size(), std::size_t(2));
    for (const FoodDiaryItem& entry : day.foods)
        QVERIFY(entry.meal != DiaryDay::LUNCH);

    fill();
    diary->delDiaryEntries(User, date, DiaryDay::ALL_GROUPS);
    QVERIFY(diary->getDay(User, "20060305", false).value().empty());
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary WHERE status = 2").toInt(), 8);
}

void TestDiaryDB::deletesWholeDays()
{
    DiaryDB* diary = DiaryDB::instance();
    FoodDiaryItem mine = food("20060305", DiaryDay::LUNCH, 100.0f);
    diary->addFoodEntry(mine, true);
    FoodDiaryItem other = food("20060305", DiaryDay::LUNCH, 100.0f);
    other.userId = User + 1;
    diary->addFoodEntry(other, true);
    ExerciseDiaryItem walked = exercise("20060305", 30.0f, 5.0f);
    diary->addExEntry(walked, false);

    QVERIFY(diary->deleteDay(User, "20060305", false));
    QVERIFY(diary->getDay(User, "20060305", false).value().empty());
    QCOMPARE(syncStates("food_diary", "food_id", mine.entryId), QList<int>({2, 2}));
    QCOMPARE(syncStates("exer_diary", "ex_id", walked.entryId), QList<int>({2, 2}));
    QCOMPARE(syncStates("food_diary", "food_id", other.entryId), QList<int>({1, 1}));
    QCOMPARE(diary->getDay(User + 1, "20060305", false).value().foods.size(), std::size_t(1));

    QVERIFY(diary->deleteDay(User, "20060305", true));
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary").toInt(), 1);
}

void TestDiaryDB::sumsNutrientsPerDate()
{
    DiaryDB* diary = DiaryDB::instance();
    const struct
    {
        const char* date;
        int meal;
        float energy;
    } foods[] = {{"20060305", DiaryDay::BREAKFAST, 300.0f}, {"20060305", DiaryDay::MORNING_SNACK, 50.0f},
                 {"20060305", DiaryDay::AFTERNOON_SNACK, 70.0f}, {"20060305", DiaryDay::EVENING_SNACK, 80.0f},
                 {"20060306", DiaryDay::LUNCH, 500.0f}, {"20060310", DiaryDay::LUNCH, 999.0f}};
    for (const auto& f : foods) {
        FoodDiaryItem entry = food(f.date, f.meal, f.energy);
        diary->addFoodEntry(entry, true);
    }
    FoodDiaryItem removed = food("20060306", DiaryDay::LUNCH, 1000.0f);
    diary->removeFoodEntry(User, diary->addFoodEntry(removed, true), false);
    ExerciseDiaryItem walked = exercise("20060307", 30.0f, 5.0f);
    diary->addExEntry(walked, false);

    auto all = diary->getNutrientInfo(User, "20060305", "20060307", DiaryDay::ALL_GROUPS).value();
    QCOMPARE(all.size(), std::size_t(3));
    QCOMPARE(all["20060305"].energy, 500.0f);
    QCOMPARE(all["20060305"].fat, 8.0f);
    QCOMPARE(all["20060305"].sodium, 0.0f);
    QCOMPARE(all["20060306"].energy, 500.0f);
    QCOMPARE(all["20060307"].energy, 0.0f);
    QCOMPARE(all["20060307"].exerciseEnergy, 150.0f);

    auto snacks = diary->getNutrientInfo(User, "20060305", "20060307", DiaryDB::AllSnacks).value();
    QCOMPARE(snacks.size(), std::size_t(1));
    QCOMPARE(snacks["20060305"].energy, 200.0f);
    QCOMPARE(snacks["20060305"].exerciseEnergy, 0.0f);

    auto burned = diary->getNutrientInfo(User, "20060305", "20060307", DiaryDay::EXERCISE).value();
    QCOMPARE(burned.size(), std::size_t(1));
    QCOMPARE(burned["20060307"].exerciseEnergy, 150.0f);

    auto lunch = diary->getNutrientInfo(User, "20060305", "20060310", DiaryDay::LUNCH).value();
    QCOMPARE(lunch.size(), std::size_t(2));
    QCOMPARE(lunch["20060310"].energy, 999.0f);
}

void TestDiaryDB::listsDatesWithEntries()
{
    DiaryDB* diary = DiaryDB::instance();
    FoodDiaryItem first = food("20080201", DiaryDay::LUNCH, 100.0f);
    diary->addFoodEntry(first, true);
    ExerciseDiaryItem last = exercise("20080229", 30.0f, 5.0f);
    diary->addExEntry(last, false);
    ExerciseDiaryItem march = exercise("20080301", 30.0f, 5.0f);
    diary->addExEntry(march, false);
    FoodDiaryItem removed = food("20080210", DiaryDay::LUNCH, 100.0f);
    diary->removeFoodEntry(User, diary->addFoodEntry(removed, true), false);
    QVERIFY(UserDB::instance()->setFluid(User, "20080201", 3));
    QVERIFY(UserDB::instance()->setFluid(User, "20080215", 0));

    const QStringList month = diary->getAllDatesForMonth(User, QDate(2008, 2, 14), false).value();
    QCOMPARE(month, QStringList({"20080201", "20080229", "20080201"}));
    QVERIFY(diary->getAllDatesForMonth(User, QDate(2008, 2, 14), true).value().contains("20080210"));

    const std::set<std::string> all = diary->getAllDatesWithEntries(User, false).value();
    QCOMPARE(all, std::set<std::string>({"20080201", "20080229", "20080301"}));
}

// Dates written by other programs or damaged files are left out; the days around them show.
void TestDiaryDB::skipsRowsWithMalformedDates()
{
    DiaryDB* diary = DiaryDB::instance();
    FoodDiaryItem good = food("20261207", DiaryDay::LUNCH, 100.0f);
    diary->addFoodEntry(good, true);
    ExerciseDiaryItem walk = exercise("20261207", 30.0f, 5.0f);
    diary->addExEntry(walk, false);
    QVERIFY(UserDB::instance()->setFluid(User, "20261207", 2));
    for (const char* bad : {"20261207 08:00", "2026120", "2026-12-7", "20261299"}) {
        BXSqlDb::perform(qPrintable(QStringLiteral(
            "INSERT INTO water_diary (user_id, date, cups) VALUES (%1, '%2', 4)").arg(User).arg(bad)));
        BXSqlDb::perform(qPrintable(QStringLiteral(
            "INSERT INTO food_diary (user_id, date, meal, status, food_name, calories) "
            "VALUES (%1, '%2', 1, 1, 'odd', 5)").arg(User).arg(bad)));
        BXSqlDb::perform(qPrintable(QStringLiteral(
            "INSERT INTO exer_diary (user_id, date, duration, rate, name, status) "
            "VALUES (%1, '%2', 10, 1, 'odd', 1)").arg(User).arg(bad)));
    }
    BXSqlQuery last("SELECT MAX(ex_id) FROM exer_diary");
    QVERIFY(last.exec() && last.next());
    const int badExercise = last.value(0).toInt();

    const QStringList month = diary->getAllDatesForMonth(User, QDate(2026, 12, 1), false).value();
    QCOMPARE(QSet<QString>(month.begin(), month.end()), QSet<QString>{QStringLiteral("20261207")});
    QCOMPARE(diary->getAllDatesWithEntries(User, true).value(), std::set<std::string>{"20261207"});
    const QMap<QString, DiaryDay> days = diary->getAllDays(User, false).value();
    QCOMPARE(days.keys(), QStringList{QStringLiteral("20261207")});
    QCOMPARE(days.first().foods.size(), std::size_t(1));
    QCOMPARE(days.first().exercises.size(), std::size_t(1));
    const DiaryDay day = diary->getDay(User, "20261207", false).value();
    QCOMPARE(day.foods.size(), std::size_t(1));
    StoredNotices::take();
    QVERIFY(!diary->getExerciseEntry(User, badExercise));
    QVERIFY(StoredNotices::take().join(QString()).contains(QStringLiteral("has no valid date but \"20261299\"")));
    QCOMPARE(UserDB::instance()->getFluid(User, "20261207").value(), 2);
}

void TestDiaryDB::resetsWebDiaryMarks()
{
    DiaryDB* diary = DiaryDB::instance();
    UserDB::instance()->setCurrentUser(User);
    FoodDiaryItem kept = food("20060305", DiaryDay::LUNCH, 100.0f);
    diary->addFoodEntry(kept, true);
    FoodDiaryItem removed = food("20060306", DiaryDay::LUNCH, 100.0f);
    diary->removeFoodEntry(User, diary->addFoodEntry(removed, true), false);
    ExerciseDiaryItem walked = exercise("20060307", 30.0f, 5.0f);
    diary->addExEntry(walked, false);
    FoodDiaryItem otherUser = food("20060305", DiaryDay::LUNCH, 100.0f);
    otherUser.userId = User + 1;
    diary->addFoodEntry(otherUser, true);

    QCOMPARE(diary->getChangedDayList(), std::set<std::string>({"20060305", "20060306", "20060307"}));
    diary->resetItemStatus(User);

    QVERIFY(diary->getChangedDayList().value().empty());
    QCOMPARE(syncStates("food_diary", "food_id", kept.entryId), QList<int>({0, 1}));
    QCOMPARE(syncStates("food_diary", "food_id", removed.entryId), QList<int>({2}));
    QCOMPARE(syncStates("exer_diary", "ex_id", walked.entryId), QList<int>({0, 1}));
    QCOMPARE(syncStates("food_diary", "food_id", otherUser.entryId), QList<int>({1, 1}));
}

void TestDiaryDB::mealPlanSkipsDuplicatesAndLeavesDiarySync()
{
    UserDB::instance()->setCurrentUser(User);
    FoodDiaryItem diaryEntry = food("20060305", DiaryDay::LUNCH, 100.0f);
    const int diaryId = DiaryDB::instance()->addFoodEntry(diaryEntry, true);

    MealPlanDB* plan = MealPlanDB::instance();
    QVERIFY(MealPlanDB::exists());
    FoodDiaryItem planned = food("20060305", DiaryDay::LUNCH, 100.0f);
    const int planId = plan->addFoodEntry(planned, true);
    QVERIFY(planId >= 0);
    FoodDiaryItem again = food("20060305", DiaryDay::LUNCH, 100.0f);
    QCOMPARE(plan->addFoodEntry(again, true), -1);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_mealplan").toInt(), 1);
    QCOMPARE(plan->getDay(User, "20060305", false).value().foods.size(), std::size_t(1));
    // A row stored before, its amount widened from a float, is still the same food.
    QVERIFY(StoreFixture::exec("UPDATE food_mealplan SET size = 0.10000000149011612"));
    again.size = 0.1f;
    QCOMPARE(plan->addFoodEntry(again, true), -1);

    // The plan's rows share ids with diary rows but have no sync rows of their own: removing
    // one must not mark the diary entry of the same id deleted.
    QCOMPARE(planId, diaryId);
    plan->removeFoodEntry(User, planId, false);
    QVERIFY(plan->getDay(User, "20060305", false).value().foods.empty());
    QCOMPARE(syncStates("food_diary", "food_id", diaryId), QList<int>({1, 1}));
    plan->deleteDay(User, "20060305", false);
    QCOMPARE(syncStates("food_diary", "food_id", diaryId), QList<int>({1, 1}));
    QCOMPARE(DiaryDB::instance()->getDay(User, "20060305", false).value().foods.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestDiaryDB)
#include "tst_diarydb.moc"

// A food row of one user never names another user's custom food, however it is stored; the
// user's own foods, the shared ones, shipped foods and custom foods that are gone are named.
// A change that keeps the food of the user's entry is stored whatever the food.
void TestDiaryDB::foodsOfAnotherUserAreRefused_data()
{
    const int alice = User + 1;
    const int aliceRoot = FoodDBBase::UserRootBase + alice;
    const int ownRoot = FoodDBBase::UserRootBase + User;
    QTest::addColumn<int>("root");
    QTest::addColumn<int>("rootParent"); // what a row gives the root as its parent
    QTest::addColumn<int>("refId");
    QTest::addColumn<bool>("named");
    QTest::newRow("another user's food") << aliceRoot << 0 << 0x1000010 << false;
    QTest::newRow("another user's food, its root below the user's")
        << aliceRoot << ownRoot << 0x1000010 << false;
    QTest::newRow("own food") << ownRoot << 0 << 0x1000010 << true;
    QTest::newRow("shared food") << FoodDBBase::SharedRootId << 0 << 0x1000010 << true;
    QTest::newRow("custom food that is gone") << aliceRoot << 0 << 0x1000011 << true;
    QTest::newRow("shipped food") << aliceRoot << 0 << 1001 << true;
}

void TestDiaryDB::foodsOfAnotherUserAreRefused()
{
    QFETCH(int, root);
    QFETCH(int, rootParent);
    QFETCH(int, refId);
    QFETCH(bool, named);
    // The food sits in a category below the root, as users file their foods.
    QVERIFY(StoreFixture::exec("INSERT OR IGNORE INTO custom_food_cats(category_id, parent_id, name) "
                               "VALUES (?, 0, 'My Foods'), (?, ?, 'My Foods')",
                               {FoodDBBase::UserRootBase + User, root, rootParent}));
    QVERIFY(StoreFixture::exec("INSERT INTO custom_food_cats(category_id, parent_id, name) "
                               "VALUES (0x1000001, ?, 'Desserts')", {root}));
    QVERIFY(StoreFixture::exec("INSERT INTO custom_foods(food_id, category_id, name, serv_name, "
                               "calories) VALUES (0x1000010, 0x1000001, 'Crème brûlée maison', "
                               "'ramekin', 300)"));
    const char* const rows = "SELECT COUNT(*) FROM food_diary WHERE ref_id = ?";

    FoodDiaryItem entry = food("20060305", DiaryDay::BREAKFAST, 300.0f);
    entry.refId = refId;
    QCOMPARE(DiaryDB::instance()->addFoodEntry(entry, true) >= 0, named);

    FoodDiaryItem changed = food("20060305", DiaryDay::LUNCH, 300.0f);
    QVERIFY(DiaryDB::instance()->addFoodEntry(changed, true) >= 0);
    changed.refId = refId;
    QCOMPARE(DiaryDB::instance()->modifyFoodEntry(changed.entryId, changed), named);

    QCOMPARE(SavedMealDB::instance()->storeMeal(User, -1, "Dessert", {entry}, true) >= 0, named);
    QCOMPARE(StoreFixture::scalar(rows, {refId}).toInt(), named ? 3 : 0);

    // An entry that names the food already, as an older diary may hold it, is the user's to
    // change, whoever holds the food's id now.
    QVERIFY(StoreFixture::exec("INSERT INTO food_diary(food_id, user_id, date, meal, status, "
                               "ref_id, size) VALUES (99, ?, '20060305', 1, 1, ?, 1)", {User, refId}));
    FoodDiaryItem own = DiaryDB::instance()->getFoodEntry(User, 99).value();
    own.size = 2.0f;
    QVERIFY(DiaryDB::instance()->modifyFoodEntry(99, own));
}

// An entry stored with ids past 32 bits, whose lower bits are those of another entry and of
// another user's food, names neither.
void TestDiaryDB::storedIdsNameTheirOwnRow_data()
{
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QVariant>("link"); // the entry's ref_id, which names no food
    const QVariant wideFood = (qint64(1) << 32) + 0x1000010;
    QTest::newRow("past 32 bits") << (qint64(1) << 32) << true << wideFood;
    QTest::newRow("past 31 bits") << qint64(std::numeric_limits<int>::max()) + 1 << true << wideFood;
    QTest::newRow("past 31 bits, a food of a real id") << qint64(std::numeric_limits<int>::max()) + 1 << true
                                                        << QVariant(9040.5);
    QTest::newRow("past 31 bits, a food of a text id") << qint64(std::numeric_limits<int>::max()) + 1 << true
                                                        << QVariant(QStringLiteral("1x"));
    QTest::newRow("the last, leaving no next id") << std::numeric_limits<qint64>::max() << false << wideFood;
    QTest::newRow("negative") << qint64(-7) << false << wideFood;
    QTest::newRow("zero") << qint64(0) << false << wideFood;
}

// Bob's entries beside Ann's entry 1: each is shown and changed by its own id, and a change
// names its user, so no id reaches another user's row. A change keeps the link it did not change.
void TestDiaryDB::storedIdsNameTheirOwnRow()
{
    QFETCH(qint64, stored);
    QFETCH(bool, shown);
    QFETCH(QVariant, link);
    const int ann = User + 1;
    const char* insert = "INSERT INTO food_diary(food_id, user_id, date, meal, status, ref_id, size) "
                         "VALUES (?, ?, '20060306', 1, 1, ?, 1)";
    QVERIFY(StoreFixture::exec(insert, {1, ann, 0}));
    // A catalogue id that an int does not hold names no food.
    QVERIFY(StoreFixture::exec(insert, {stored, User, link}));
    QVERIFY(StoreFixture::exec("INSERT INTO exer_diary(ex_id, user_id, date, status) VALUES (?, ?, '20060306', 1)",
                               {stored, User}));
    DiaryDB* diary = DiaryDB::instance();
    const DiaryDay day = diary->getDay(User, "20060306", false).value();
    QCOMPARE(day.foods.size(), std::size_t(shown));
    QCOMPARE(day.exercises.size(), std::size_t(shown));

    FoodDiaryItem added = food("20060306", DiaryDay::LUNCH, 50.0f);
    const qint64 id = diary->addFoodEntry(added, true);
    QVERIFY(id > 1 && added.entryId == id);
    added.entryId = 1;
    QVERIFY(!diary->modifyFoodEntry(1, added) && !diary->removeFoodEntry(User, 1, false));
    // Ann's entry is read and changed as hers only: a user whose lower 32 bits are hers is nobody.
    const qint64 wide = (qint64(1) << 32) + ann;
    QVERIFY(!diary->getFoodEntry(User, 1) && !diary->removeFoodEntry(wide, 1, false));
    added.userId = wide;
    QVERIFY(!diary->modifyFoodEntry(1, added));
    QVERIFY(diary->removeFoodEntry(User, id, false));
    QCOMPARE(StoreFixture::scalar("SELECT status FROM food_diary WHERE food_id = ?", {id}).toInt(), 2);
    QCOMPARE(StoreFixture::scalar("SELECT status || user_id FROM food_diary WHERE food_id = 1").toString(),
             QStringLiteral("1%1").arg(ann));
    if (!shown)
        return;
    FoodDiaryItem edited = day.foods[0];
    QCOMPARE(edited.entryId, stored);
    QCOMPARE(day.exercises[0].entryId, stored);
    QCOMPARE(edited.refId, -1);
    edited.size = 2.0f;
    QVERIFY(diary->modifyFoodEntry(stored, edited));
    QCOMPARE(StoreFixture::scalar("SELECT size FROM food_diary WHERE food_id = ?", {stored}).toDouble(), 2.0);
    QCOMPARE(StoreFixture::scalar("SELECT ref_id FROM food_diary WHERE food_id = ?", {stored}), link);
    QVERIFY(diary->removeFoodEntry(User, stored, false) && diary->removeExEntry(User, stored, false));
    QCOMPARE(diary->getDay(User, "20060306", false).value().foods.size(), std::size_t(0));
}

void TestDiaryDB::figuresNoDialogWritesAreUnknown_data()
{
    QTest::addColumn<QString>("column"); // table.column
    QTest::addColumn<double>("stored");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("minutes -Inf") << "exer_diary.duration" << -inf;
    QTest::newRow("minutes 2^31") << "exer_diary.duration" << 2147483648.0;
    QTest::newRow("burn rate Inf") << "exer_diary.rate" << inf;
    QTest::newRow("amount 1e308") << "food_diary.size" << 1e308;
    QTest::newRow("energy Inf") << "food_diary.calories" << inf;
}

// A line of an amount, minutes or rate no dialog writes is left out, from its day and its
// sums; a value no dialog writes is unknown.
void TestDiaryDB::figuresNoDialogWritesAreUnknown()
{
    QFETCH(QString, column);
    QFETCH(double, stored);
    DiaryDB* diary = DiaryDB::instance();
    FoodDiaryItem apple = food("20261207", DiaryDay::LUNCH, 100.0f);
    ExerciseDiaryItem walk = exercise("20261207", 30.0f, 5.0f);
    diary->addFoodEntry(apple, true);
    diary->addExEntry(walk, false);
    const QByteArray update = QStringLiteral("UPDATE %1 SET %2 = ?")
                                  .arg(column.section(u'.', 0, 0), column.section(u'.', 1)).toLatin1();
    QVERIFY(StoreFixture::exec(update.constData(), {stored}));

    const DiaryDay day = diary->getDay(User, "20261207", false).value();
    const bool food = column.startsWith(QLatin1String("food")), unknown = column.endsWith(QLatin1String("calories"));
    QCOMPARE(day.foods.size() + day.exercises.size(), std::size_t(unknown ? 2 : 1));
    const DiaryDB::NutrientSet sums = diary->getNutrientInfo(User, "20261207", "20261207", 0).value().at("20261207");
    QCOMPARE(sums.exerciseEnergy, food ? 150.0f : 0.0f);
    QCOMPARE(sums.fat, food && !unknown ? 0.0f : 2.0f);
    if (unknown)
        QVERIFY(day.foods.front().values.energy < 0.0f && sums.energy == 0.0f);
}
