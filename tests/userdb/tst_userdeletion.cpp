#include "storefixture.h"
#include "userdbtestenv.h"

#include "tests/support/otherreader.h"

#include "userdb/bxexception.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/storeaction.h"
#include "userdb/userdb.h"

#include <QtTest>

#include <stdexcept>

namespace {

// Every table that holds rows of a user.
const char* const UserTables[] = {"food_diary",    "group_diary",  "food_mealplan",
                                  "exer_diary",    "exer_mealplan", "user_users",
                                  "user_checkins", "user_misc",    "user_target",
                                  "water_diary",   "favorites",    "user_firsttime_tips",
                                  "metrics_startStats"};

int rowsOf(const char* table, qint64 user)
{
    BXSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE user_id = ?").arg(QLatin1String(table)));
    query.bindValue(0, user);
    if (!query.exec() || !query.next())
        return -1;
    return query.value(0).toInt();
}

// Gives a user one row in every table of UserTables.
const char* const firstUsersRoot = "SELECT COUNT(*) FROM custom_food_cats WHERE category_id = 33550336";

void fill(qint64 user)
{
    QCOMPARE(StoreFixture::addUser(user == 0 ? "Ann" : "Bob"), user);
    const char* const inserts[] = {
        "INSERT INTO food_diary(user_id, date, status) VALUES (?, '20060301', 1)",
        "INSERT INTO group_diary(user_id, name, status) VALUES (?, 'Meal', 1)",
        "INSERT INTO food_mealplan(user_id, date, status) VALUES (?, '20060301', 1)",
        "INSERT INTO exer_diary(user_id, date, status) VALUES (?, '20060301', 1)",
        "INSERT INTO exer_mealplan(user_id, date, status) VALUES (?, '20060301', 1)",
        "INSERT INTO user_checkins(user_id, date, weight) VALUES (?, '20060301', 80)",
        "INSERT INTO user_target(user_id, date, target_calories) VALUES (?, '20060301', 1800)",
        "INSERT INTO water_diary(user_id, date, cups) VALUES (?, '20060301', 3)",
        "INSERT INTO favorites(user_id, item_type, item_id) VALUES (?, 1, 10)",
        "INSERT INTO user_firsttime_tips(user_id, tip_index) VALUES (?, 2)",
        "INSERT INTO metrics_startStats(user_id, date, count) VALUES (?, '20060301', 1)"};
    for (const char* sql : inserts)
        QVERIFY2(StoreFixture::exec(sql, {user}), sql);
    for (const char* table : UserTables)
        QVERIFY2(rowsOf(table, user) > 0, table);
}

} // namespace

class TestUserDeletion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { StoreFixture::loadBrand(); }
    void init();
    void cleanup();

    void deletesEveryRowOfTheUser();
    void failedDeleteChangesNothing();
    void failedCatalogueDeleteChangesNothing();
    void otherFailurePassesOnAfterRollback();
    void damageInALargeDeletionIsToldAsDamage();

private:
    QList<int> m_catalogueDeletes;
};

void TestUserDeletion::init()
{
    QVERIFY(StoreFixture::open());
    m_catalogueDeletes.clear();
    UserDB::setCatalogueDeleter([this](qint64 user) {
        // The user's catalogue items go in the same transaction as the rest.
        BXSqlQuery query("DELETE FROM custom_food_cats WHERE category_id = ?");
        query.bindValue(0, 0x1FFF000 + user);
        if (!query.exec())
            throw BXException("Cannot delete custom foods");
        m_catalogueDeletes.append(user);
    });
    // Each user comes with the roots of the custom catalogues.
    fill(0);
    fill(1);
}

void TestUserDeletion::cleanup()
{
    UserDB::setCatalogueDeleter(nullptr);
    StoreFixture::close();
}

void TestUserDeletion::deletesEveryRowOfTheUser()
{
    QCOMPARE(UserDB::instance()->deleteUser(0), 0);
    QCOMPARE(m_catalogueDeletes, QList<int>({0}));
    for (const char* table : UserTables) {
        QVERIFY2(rowsOf(table, 0) == 0, table);
        QVERIFY2(rowsOf(table, 1) > 0, table);
    }
    QCOMPARE(StoreFixture::scalar(firstUsersRoot).toInt(), 0);
    // The sync devices learn that the user's diary rows are gone.
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary_sync WHERE state = 2").toInt(), 3);
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::commitTransaction());

    // What was stored under the id after the deletion never passes to the next user given it.
    QVERIFY(StoreFixture::exec("INSERT INTO favorites(user_id, item_type, item_id) VALUES (0, 1, 10)"));
    QCOMPARE(StoreFixture::addUser("Cara"), 0);
    QCOMPARE(rowsOf("favorites", 0), 0);
    QCOMPARE(m_catalogueDeletes, QList<int>({0, 0}));
}

void TestUserDeletion::failedDeleteChangesNothing()
{
    QVERIFY(StoreFixture::exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON user_target BEGIN "
                               "SELECT RAISE(ABORT, 'refused'); END;"));
    try {
        UserDB::instance()->deleteTable(0, QStringLiteral("user_target"));
        QFAIL("deleteTable did not report the failure");
    } catch (const BXException& e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot delete user_target entries"));
    }

    QCOMPARE(UserDB::instance()->deleteUser(0), 1);
    for (const char* table : UserTables)
        QVERIFY2(rowsOf(table, 0) > 0, table);
    QCOMPARE(StoreFixture::scalar(firstUsersRoot).toInt(), 1);
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::commitTransaction());
}

void TestUserDeletion::failedCatalogueDeleteChangesNothing()
{
    UserDB::setCatalogueDeleter([](int) { throw BXException("Cannot delete custom foods"); });
    QCOMPARE(UserDB::instance()->deleteUser(1), 1);
    for (const char* table : UserTables)
        QVERIFY2(rowsOf(table, 1) > 0, table);
}

void TestUserDeletion::otherFailurePassesOnAfterRollback()
{
    UserDB::setCatalogueDeleter([](qint64 user) {
        BXSqlQuery query("DELETE FROM custom_food_cats WHERE category_id = ?");
        query.bindValue(0, 0x1FFF000 + user);
        query.exec();
        throw std::runtime_error("out of memory");
    });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, UserDB::instance()->deleteUser(0));
    QCOMPARE(StoreFixture::scalar(firstUsersRoot).toInt(), 1);
    for (const char* table : UserTables)
        QVERIFY2(rowsOf(table, 0) > 0, table);
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::commitTransaction());
}

// A deletion large enough to hold the file whole before it ends meets a damaged page: the
// damage is told as damage once the change has ended, never as another program's hold (the
// change's own), and nothing of the user goes.
void TestUserDeletion::damageInALargeDeletionIsToldAsDamage()
{
    QVERIFY(StoreFixture::exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
                               "INSERT INTO food_diary(user_id, date, status, food_name) "
                               "SELECT 0, '20060302', 1, printf('entry %d of a long diary', i) FROM n"));
    BXSqlDb::setBusyTimeout(100);
    {
        OtherReader damage(UserDbTestEnv::databaseFile(), OtherReader::Damaged, QStringLiteral("water_diary"));
        QVERIFY(damage.reading());
        const StoreAction action(StoreAction::Kind::Change);
        QCOMPARE(UserDB::instance()->deleteUser(0), 1);
        QCOMPARE(action.outcome().kind(), StoreResult::Kind::Damaged);
        QVERIFY(BXSqlDb::damageProven());
    }
    BXSqlDb::setBusyTimeout(10000);
    QCOMPARE(rowsOf("food_diary", 0), 12001);
    for (const char* table : UserTables)
        QVERIFY2(rowsOf(table, 0) > 0, table);
}

QTEST_GUILESS_MAIN(TestUserDeletion)
#include "tst_userdeletion.moc"
