#include "storefixture.h"

#include "core/fooddbbase.h"
#include "userdb/storednotices.h"
#include "userdb/bxsqldb.h"
#include "userdb/favoritesdb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/storeaction.h"
#include "userdb/userdb.h"

#include <QDate>
#include <QtTest>

#include <cstring>
#include <limits>

using DBTypes::UserPrefs;
using DBTypes::UserProfile;

class TestUserDB : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { StoreFixture::loadBrand(); }
    void init() { QVERIFY(StoreFixture::open()); }
    void cleanup() { StoreFixture::close(); }

    void givesTheSmallestFreeId();
    void acceptsFiveUsersInAHousehold();
    void addsUsersWithTheirHeight();
    void updatesProfileAndHeightHistory();
    void storesPreferences();
    void keepsPerUserSettings();
    void showsFirstTimeTipsOnce();
    void countsProgramStarts();
    void reportsMetricsChanges();
    void clearsSyncTables();
    void ensuresOneRowPerDate();
    void refusesNoUser();
    void storedIdsNameOnlyWholeNumbers_data();
    void storedIdsNameOnlyWholeNumbers();
    void settingsNoDialogWritesReadAsTheDefault_data();
    void settingsNoDialogWritesReadAsTheDefault();
};

void TestUserDB::givesTheSmallestFreeId()
{
    UserDB* users = UserDB::instance();
    QCOMPARE(users->getNextUserID(), 0);
    // An id no user may have leaves free the id its lower 32 bits make.
    for (qint64 id : {qint64(0), (qint64(1) << 32) + 1})
        QVERIFY(StoreFixture::exec("INSERT INTO user_users(user_id, name) VALUES (?, 'x')", {id}));
    QCOMPARE(users->getNextUserID(), 1);
    QVERIFY(StoreFixture::exec("DELETE FROM user_users"));
    for (int id : {0, 1, 3})
        QVERIFY(StoreFixture::exec("INSERT INTO user_users(user_id, name) VALUES (?, 'x')", {id}));
    QCOMPARE(users->getNextUserID(), 2);
    QVERIFY(StoreFixture::exec("INSERT INTO user_users(user_id, name) VALUES (2, 'x')"));
    QCOMPARE(users->getNextUserID(), 4);
    QCOMPARE(users->numUsers().value(), 4);
}

void TestUserDB::acceptsFiveUsersInAHousehold()
{
    for (int id = 0; id < 5; ++id)
        QCOMPARE(StoreFixture::addUser("Member"), id);
    QCOMPARE(UserDB::instance()->numUsers().value(), 5);

    // A sixth is refused with a reason, and nothing is stored.
    UserProfile sixth;
    sixth.name = QStringLiteral("Sixth");
    sixth.height = 170.0f;
    qint64 id = 42;
    QString error;
    QVERIFY(!UserDB::instance()->addUser(sixth, &id, &error));
    QCOMPARE(id, 42);
    QVERIFY(error.contains(QStringLiteral("at most 5 users")));
    QCOMPARE(UserDB::instance()->numUsers().value(), 5);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM user_misc WHERE user_id = 5").toInt(), 0);
}

void TestUserDB::addsUsersWithTheirHeight()
{
    UserDB* users = UserDB::instance();
    QCOMPARE(StoreFixture::addUser("Ann"), 0);
    QCOMPARE(StoreFixture::addUser("Bob"), 1);

    UserProfile noHeight;
    noHeight.name = QStringLiteral("Cléo");
    std::strcpy(noHeight.created, "20060101");
    std::strcpy(noHeight.dob, "19800101");
    noHeight.sex = 1;
    qint64 id = 77;
    QVERIFY(users->addUser(noHeight, &id));
    QCOMPARE(noHeight.userId, 2);
    QCOMPARE(id, 2);
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM user_misc WHERE user_id = 2").toInt(), 0);

    const auto cleo = users->getProfile(2);
    QVERIFY(cleo.has_value());
    QCOMPARE(cleo->name, QStringLiteral("Cléo"));
    QCOMPARE(QByteArray(cleo->dob), QByteArray("19800101"));
    QCOMPARE(cleo->sex, 1);
    QCOMPARE(cleo->height, -1.0f);
    QCOMPARE(users->getProfile(0)->height, 180.0f);
    QVERIFY(!users->getProfile(9).has_value());
    QCOMPARE(users->getUsersList().value().size(), 3);

    // Rows of ids no user of the program can have (a damaged or foreign file) are left out,
    // so they can never become the current user, nor pass for the user their lower 32 bits name.
    for (qint64 id : {4096LL, 70000LL, -2LL, (qint64(1) << 32) + 1})
        QVERIFY(StoreFixture::exec("INSERT INTO user_users(user_id, name) VALUES (?, 'Far')", {id}));
    StoredNotices::take();
    QCOMPARE(users->getUsersList().value().size(), 3);
    const QStringList told = StoredNotices::take();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().startsWith(QStringLiteral("A user of the diary is left out: its user_id ")),
             qPrintable(told.first()));
    // Told once a start, not at every reading.
    QCOMPARE(users->getUsersList().value().size(), 3);
    QVERIFY(StoredNotices::take().isEmpty());
    QVERIFY(!users->getProfile(4096).has_value());
    QVERIFY(StoreFixture::exec("DELETE FROM user_users WHERE name = 'Far'"));

    // A height that the diary's rules refuse leaves no user behind.
    QVERIFY(StoreFixture::exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON user_misc "
                               "BEGIN SELECT RAISE(ABORT, 'height refused'); END;"));
    UserProfile dora = noHeight;
    dora.name = QStringLiteral("Dora");
    dora.height = 170.0f;
    {
        const StoreAction action(StoreAction::Kind::Change);
        QVERIFY(!users->addUser(dora, nullptr));
        // The rule of the diary that refused it, in SQLite's words, and no advice about the disk.
        const QString error = action.outcome().changeText();
        QVERIFY2(error.startsWith(QStringLiteral("The change was not saved: height refused")),
                 qPrintable(error));
    }
    QVERIFY(StoreFixture::exec("DROP TRIGGER refuse"));
    QCOMPARE(users->numUsers().value(), 3);

    // New users start with the brand's units and every panel option.
    const UserPrefs prefs = users->getUserPrefs(2).value();
    QCOMPARE(prefs.measurementUnits, 0);
    QCOMPARE(prefs.energyUnits, 1);
    QCOMPARE(prefs.summaryOptions, 255);
    QVERIFY(prefs.showNutrientAndFluid);

    // A deleted user's id goes to the next user added.
    QCOMPARE(users->deleteUser(1), 0);
    QCOMPARE(StoreFixture::addUser("Dan"), 1);
}

void TestUserDB::updatesProfileAndHeightHistory()
{
    UserDB* users = UserDB::instance();
    StoreFixture::addUser("Ann");
    UserProfile ann = *users->getProfile(0);
    ann.name = QStringLiteral("Anne");
    ann.height = 175.0f;
    QVERIFY(users->updateUser(ann));

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QCOMPARE(StoreFixture::scalar("SELECT height FROM user_misc WHERE user_id = 0 AND date = ?",
                                  {today})
                 .toFloat(),
             175.0f);
    QCOMPARE(StoreFixture::scalar("SELECT height FROM user_misc WHERE user_id = 0 AND date = "
                                  "'20060101'")
                 .toFloat(),
             180.0f);
    const UserProfile read = *users->getProfile(0);
    QCOMPARE(read.name, QStringLiteral("Anne"));
    QCOMPARE(read.height, 175.0f);
}

void TestUserDB::storesPreferences()
{
    UserDB* users = UserDB::instance();
    StoreFixture::addUser("Ann");
    UserPrefs prefs = users->getUserPrefs(0).value();
    prefs.webUserName = QStringLiteral("ann");
    prefs.webPassword = QStringLiteral("secret");
    prefs.measurementUnits = 1;
    prefs.energyUnits = 0;
    prefs.autoPublish = true;
    prefs.snackDisplay = DBTypes::SNACKS_NUMBERED;
    prefs.summaryOptions = 17;
    prefs.showNutrientAndFluid = false;
    prefs.setTargetSize(DBTypes::SODIUM, UserPrefs::Large);
    prefs.setTargetSize(DBTypes::CARBS, UserPrefs::Small);
    QVERIFY(users->setUserPrefs(0, prefs));

    QCOMPARE(StoreFixture::scalar("SELECT sodium_target_size FROM user_users").toInt(), 3);
    QCOMPARE(StoreFixture::scalar("SELECT carb_target_size FROM user_users").toInt(), 1);
    QCOMPARE(StoreFixture::scalar("SELECT hideNutrientAndFluid FROM user_users").toInt(), 1);

    const UserPrefs read = users->getUserPrefs(0).value();
    QCOMPARE(read.webUserName, prefs.webUserName);
    QCOMPARE(read.webPassword, prefs.webPassword);
    QCOMPARE(read.measurementUnits, 1);
    QCOMPARE(read.energyUnits, 0);
    QVERIFY(read.autoPublish);
    QVERIFY(!read.askBeforePublish);
    QCOMPARE(read.snackDisplay, int(DBTypes::SNACKS_NUMBERED));
    QCOMPARE(read.summaryOptions, 17);
    QVERIFY(!read.showNutrientAndFluid);
    QCOMPARE(read.targetSize(DBTypes::SODIUM), UserPrefs::Large);
    QCOMPARE(read.targetSize(DBTypes::CARBS), UserPrefs::Small);
    QCOMPARE(read.targetSize(DBTypes::FAT), UserPrefs::None);

    prefs.showNutrientAndFluid = true;
    QVERIFY(users->setUserPrefs(0, prefs));
    QCOMPARE(StoreFixture::scalar("SELECT hideNutrientAndFluid FROM user_users").toInt(), 0);
    QVERIFY(users->getUserPrefs(0).value().showNutrientAndFluid);
}

void TestUserDB::keepsPerUserSettings()
{
    UserDB* users = UserDB::instance();
    StoreFixture::addUser("Ann");
    QCOMPARE(users->getColumnSettings(0), QStringLiteral("0:2:"));
    users->saveColumnSettings(0, QString());
    QCOMPARE(users->getColumnSettings(0), QStringLiteral("0:2:"));
    users->saveColumnSettings(0, QStringLiteral("1:3:"));
    QCOMPARE(users->getColumnSettings(0), QStringLiteral("1:3:"));
    QCOMPARE(users->getColumnSettings(-1), QStringLiteral("0:2:"));

    users->setBackupPath(0, QStringLiteral("/home/ann//backups/./old/../"));
    QCOMPARE(StoreFixture::scalar("SELECT backup_data_path FROM user_users").toString(),
             QStringLiteral("/home/ann/backups"));

    QCOMPARE(users->getTipOfTheDay(5), -1);
    QVERIFY(users->setTipOfTheDay(0, -4));
    QCOMPARE(users->getTipOfTheDay(0), -4);
}

void TestUserDB::showsFirstTimeTipsOnce()
{
    UserDB* users = UserDB::instance();
    StoreFixture::addUser("Ann");
    QCOMPARE(users->getTopicsShown(0).value(), QSet<int>());
    users->setTipForTopic(0, 3);
    users->setTipForTopic(0, 3);
    QCOMPARE(users->getTopicsShown(0).value(), QSet<int>{3});
    QCOMPARE(users->getTopicsShown(1).value(), QSet<int>());
    QVERIFY(users->resetTipForTopic(0));
    QCOMPARE(users->getTopicsShown(0).value(), QSet<int>());
}

void TestUserDB::countsProgramStarts()
{
    UserDB* users = UserDB::instance();
    users->setCurrentUser(StoreFixture::addUser("Ann"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QCOMPARE(users->getLoginsForDay(0, today), 0);
    QCOMPARE(users->incrementLogin(), 1);
    QCOMPARE(users->incrementLogin(), 2);
    QCOMPARE(users->getLoginsForDay(0, today), 2);
    QCOMPARE(users->getLoginDays(0), QStringList({today}));
}

void TestUserDB::reportsMetricsChanges()
{
    UserDB* users = UserDB::instance();
    const int ann = StoreFixture::addUser("Ann");
    UserDB::instance()->setCurrentUser(ann);
    DBTypes::CheckinItem weighed;
    weighed.userId = ann;
    std::strcpy(weighed.date, "20060301");
    weighed.weight = 80.0f;
    weighed.hasWeight = true;
    QVERIFY(users->addCheckin(weighed, false));
    DBTypes::CheckinItem noted = weighed;
    std::strcpy(noted.date, "20060302");
    noted.weight = -1.0f;
    noted.hasWeight = false;
    noted.hasSteps = true;
    noted.steps = 4000.0f;
    QVERIFY(users->addCheckin(noted, false));
    QVERIFY(StoreFixture::exec("INSERT INTO food_diary(user_id, date, status) VALUES (?, '20060301', 1)",
                               {ann}));
    users->incrementLogin();

    // Only weighed check-ins count; the text is the change date followed by the check-in date.
    const QStringList checkins = users->getCheckinDays(ann).value();
    QCOMPARE(checkins.size(), 1);
    QCOMPARE(checkins.first().right(8), QStringLiteral("20060301"));
    QCOMPARE(checkins.first().size(), 16);
    const auto stats = users->getFoodStats(ann).value();
    QCOMPARE(stats.size(), 1);
    QCOMPARE(stats.first().value(QStringLiteral("20060301")), 1);

    users->resetMetrics(ann);
    QVERIFY(users->getCheckinDays(ann).value().isEmpty());
    QVERIFY(users->getFoodStats(ann).value().isEmpty());
    QVERIFY(users->getLoginDays(ann).value().isEmpty());
    // The web diary's marks are untouched.
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM food_diary_sync WHERE device = 0 AND state = 1")
                 .toInt(),
             1);
}

void TestUserDB::clearsSyncTables()
{
    UserDB* users = UserDB::instance();
    for (const char* date : {"20060301", "20060302", "20060303"}) {
        QVERIFY(users->setFluid(0, date, 2));
        QVERIFY(users->setFluid(1, date, 2));
    }
    QVERIFY(StoreFixture::exec("DELETE FROM water_diary WHERE user_id = 0 AND date = '20060301'"));
    const char* states = "SELECT COUNT(*) FROM water_diary_sync WHERE user_id = ? AND device = ? "
                         "AND state = ?";

    users->clearSyncTable(QStringLiteral("water_diary_sync"), 0, 0, "20060302", "20060302");
    QCOMPARE(StoreFixture::scalar(states, {0, 0, 0}).toInt(), 1);
    QCOMPARE(StoreFixture::scalar(states, {0, 0, 2}).toInt(), 1);

    users->clearSyncTable(QStringLiteral("water_diary_sync"), 0, 0, nullptr, nullptr);
    QCOMPARE(StoreFixture::scalar(states, {0, 0, 0}).toInt(), 2);
    QCOMPARE(StoreFixture::scalar(states, {0, 0, 2}).toInt(), 0);
    // Other devices and users keep their marks.
    QCOMPARE(StoreFixture::scalar(states, {0, 2, 2}).toInt(), 1);
    QCOMPARE(StoreFixture::scalar(states, {1, 0, 1}).toInt(), 3);
}

void TestUserDB::ensuresOneRowPerDate()
{
    UserDB* users = UserDB::instance();
    users->ensureRecordExists(UserDB::Target, 4, "20060301");
    users->ensureRecordExists(UserDB::Target, 4, "20060301");
    users->ensureRecordExists(UserDB::Water, 4, "20060301");
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM user_target").toInt(), 1);
    QVERIFY(StoreFixture::scalar("SELECT target_calories FROM user_target").isNull());
    QCOMPARE(StoreFixture::scalar("SELECT COUNT(*) FROM water_diary").toInt(), 1);
}

// A reading or change asked for no user (a window on none), or while the diary is closed, is
// refused and told.
void TestUserDB::refusesNoUser()
{
    for (const bool change : {false, true}) {
        const StoreAction action(change ? StoreAction::Kind::Change : StoreAction::Kind::Read);
        QVERIFY(change ? !UserDB::instance()->setDaysMeasurements(-1, "20240105", {})
                       : !UserDB::instance()->getWeight(-1, "20240105", nullptr));
        const QString told = change ? action.outcome().changeText() : action.outcome().readText();
        QVERIFY2(told.contains(QStringLiteral("no user is chosen")), qPrintable(told));
    }
    // A click queued while the diary is closed (copied, or not restored) reaches nothing of it.
    StoreFixture::close();
    for (const bool change : {false, true}) {
        const StoreAction action(change ? StoreAction::Kind::Change : StoreAction::Kind::Read);
        const QString told = change ? action.outcome().changeText() : action.outcome().readText();
        QVERIFY2(!action.outcome().ok() && told.contains(QStringLiteral("not open now")), qPrintable(told));
    }
}

void TestUserDB::storedIdsNameOnlyWholeNumbers_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("read");
    QTest::newRow("a whole number") << QVariant(qint64(7)) << qint64(7);
    QTest::newRow("past 32 bits, never cut") << QVariant((qint64(1) << 32) + 5) << qint64(-1);
    QTest::newRow("past the catalogue") << QVariant(qint64(FoodDBBase::IdSpaceEnd)) << qint64(-1);
    QTest::newRow("NULL, never 0") << QVariant() << qint64(-1);
    QTest::newRow("a real, never rounded") << QVariant(1.5) << qint64(-1);
    QTest::newRow("a text") << QVariant(QStringLiteral("seven")) << qint64(-1);
}

// A stored favourite names a shipped item only when it is a whole number within the
// catalogue's id space; anything else is left out (-1: nothing read).
void TestUserDB::storedIdsNameOnlyWholeNumbers()
{
    QFETCH(QVariant, stored);
    QFETCH(qint64, read);
    QVERIFY(StoreFixture::exec("INSERT INTO favorites(user_id, item_id, item_type) VALUES (0, ?, ?)",
                               {stored, int(FavoritesDB::FoodFavorite)}));
    std::set<qint64> ids;
    QVERIFY(FavoritesDB(0).findFavorites(FavoritesDB::ItemFlags(1), ids));
    QCOMPARE(ids, read < 0 ? std::set<qint64>{} : std::set<qint64>{read});
}

void TestUserDB::settingsNoDialogWritesReadAsTheDefault_data()
{
    QTest::addColumn<QString>("change"); // of Ann's row, or a row added for her today
    QTest::addColumn<QVariant>("stored");
    const QString users = QStringLiteral("UPDATE user_users SET %1 = ? WHERE user_id = 0");
    const QVariant huge(qint64(1) << 31);
    QTest::newRow("units 2") << users.arg("measurement_units") << QVariant(2);
    QTest::newRow("energy units -1") << users.arg("energy_units") << QVariant(-1);
    QTest::newRow("sex 2^31") << users.arg("sex") << huge;
    QTest::newRow("birth on no day") << users.arg("dob") << QVariant(QStringLiteral("19761345"));
    QTest::newRow("target size 2^31") << users.arg("sodium_target_size") << huge;
    QTest::newRow("snacks 1.5") << users.arg("diaryAdvancedMode") << QVariant(1.5);
    QTest::newRow("summary 256") << users.arg("summaryOptions") << QVariant(256);
    QTest::newRow("published 2^31") << users.arg("auto_publish") << huge;
    QTest::newRow("hidden Inf") << users.arg("hideNutrientAndFluid") << QVariant(std::numeric_limits<double>::infinity());
    QTest::newRow("columns of a million characters") << users.arg("diaryViewColumnSettings") << QVariant(QString(1000000, u'3'));
    QTest::newRow("tip of the day -2^31") << users.arg("tipOfTheDay") << QVariant(-huge.toLongLong());
    QTest::newRow("topic 2^31") << QStringLiteral("INSERT INTO user_firsttime_tips VALUES (0, ?)") << huge;
    const QString starts = QStringLiteral("INSERT INTO metrics_startStats(user_id, date, count) VALUES (0, '%1', ?)")
                               .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QTest::newRow("starts 2^31-1") << starts << QVariant(std::numeric_limits<int>::max());
    QTest::newRow("name of ten million characters") << users.arg("name") << QVariant(QString(10000000, u'n'));
    QTest::newRow("password past a line") << users.arg("password") << QVariant(QString(32768, u'p'));
    QTest::newRow("added on no day") << users.arg("created") << QVariant(QStringLiteral("20061345"));
    QTest::newRow("web name past a line") << users.arg("web_username") << QVariant(QString(32768, u'w'));
    QTest::newRow("web password past a line") << users.arg("web_password") << QVariant(QString(32768, u'p'));
    QTest::newRow("backup folder past a path") << users.arg("backup_data_path") << QVariant(QString(4096, u'b'));
    QTest::newRow("diet plan past a line")
        << QStringLiteral("INSERT INTO user_misc(user_id, date, diet_plan) VALUES (0, '20060101', ?) "
                          "ON CONFLICT DO UPDATE SET diet_plan = excluded.diet_plan")
        << QVariant(QString(32768, u'd'));
}

// A setting, tip or count that no dialog writes reads as Ann's default, as nothing given or
// not there: never as an enum, index or count outside what the program takes.
void TestUserDB::settingsNoDialogWritesReadAsTheDefault()
{
    QFETCH(QString, change);
    QFETCH(QVariant, stored);
    UserDB* users = UserDB::instance();
    users->setCurrentUser(StoreFixture::addUser("Ann", "", -1));
    // Her name and the day she was added not given either, as a diary may hold her.
    QVERIFY(StoreFixture::exec("UPDATE user_users SET name = NULL, created = NULL WHERE user_id = 0"));
    const UserPrefs prefs = users->getUserPrefs(0).value();
    const UserProfile profile = users->getProfile(0).value();
    QVERIFY(StoreFixture::exec(change.toLatin1().constData(), {stored}));

    QVERIFY(users->getUserPrefs(0).value() == prefs);
    QVERIFY(users->getProfile(0).value() == profile);
    QCOMPARE(users->getColumnSettings(0).value(), QStringLiteral("0:2:"));
    QCOMPARE(users->getBackupPaths().value(), QStringList());
    QCOMPARE(users->getCheckin(0, "20060101").value().dietPlan(), QString());
    QCOMPARE(users->getTipOfTheDay(0).value(), 0);
    QCOMPARE(users->getTopicsShown(0).value(), QSet<int>());
    QCOMPARE(users->getLoginCounts(0).value(), (QMap<QString, int>()));
    QCOMPARE(users->incrementLogin(), 1);
}

QTEST_GUILESS_MAIN(TestUserDB)
#include "tst_userdb.moc"
