// The upgrade chain from the oldest supported schema to the current one.

#include "userdbtestenv.h"

#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"

#include <QDir>
#include <QtTest>

class TestUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void chainFrom204ReachesTemplateSchema();
    void chainFrom204KeepsAndCarriesData();
    void step304Or305AddsBackupPathOnce_data();
    void step304Or305AddsBackupPathOnce();
    void missingVersionRowIsAnError();
    void failedUpgradeLeavesFileAsItWas_data();
    void failedUpgradeLeavesFileAsItWas();

private:
    QMap<QString, QSet<QString>> templateSchema();
    void start204(int claimedVersion);
    void setVersion(int version);
};

void TestUpgrade::initTestCase()
{
    UserDbTestEnv::loadBrand();
}

void TestUpgrade::init()
{
    UserDbTestEnv::removeDatabase();
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
}

void TestUpgrade::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

QMap<QString, QSet<QString>> TestUpgrade::templateSchema()
{
    UserDbTestEnv::removeDatabase();
    if (!UserDbTestEnv::startUp())
        return {};
    const auto schema = UserDbTestEnv::schema();
    UserDbTestEnv::removeDatabase();
    return schema;
}

// Opens a version-204 database that claims `claimedVersion`, without triggers, so that
// single steps can run on it.
void TestUpgrade::start204(int claimedVersion)
{
    // No start opens such a diary as it is: the running connection's tables are made anew.
    QVERIFY(UserDbTestEnv::startFresh());
    for (const QString& table : UserDbTestEnv::schema().keys())
        BXSqlDb::perform(qPrintable(QStringLiteral("DROP TABLE ") + table));
    for (const QString& sql : UserDbTestEnv::schema204(claimedVersion))
        BXSqlDb::perform(qPrintable(sql));
}

void TestUpgrade::setVersion(int version)
{
    BXSqlQuery update("UPDATE userdata_meta SET itemvalue = ? WHERE itemkey = 'schema_version'");
    update.bindValue(0, version);
    QVERIFY(update.exec());
}

void TestUpgrade::chainFrom204ReachesTemplateSchema()
{
    const auto expected = templateSchema();
    QVERIFY(!expected.isEmpty());

    QVERIFY(UserDbTestEnv::create204Database(UserDbTestEnv::databaseFile()));
    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    QCOMPARE(BXSqlDb::getVersion(), 412);
    QCOMPARE(UserDbTestEnv::safetyCopies().size(), 1);

    const auto upgraded = UserDbTestEnv::schema();
    QCOMPARE(upgraded.keys(), expected.keys());
    for (auto table = expected.cbegin(); table != expected.cend(); ++table)
        QVERIFY2(upgraded.value(table.key()) == table.value(), qPrintable(table.key()));

    // Indexes survive the table rebuilds, and the triggers were made after the chain.
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' "
                                   "AND name IN ('food_diary_user_date', 'food_diary_group', "
                                   "'metrics_sync_idx')").toInt(),
             3);
    QVERIFY(UserDbTestEnv::scalar("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger'")
                .toInt() > 0);
    QCOMPARE(UserDbTestEnv::scalar("SELECT itemvalue FROM userdata_meta WHERE itemkey = "
                                   "'software_modified_version'").toString(),
             QStringLiteral("4.1.0"));
}

void TestUpgrade::chainFrom204KeepsAndCarriesData()
{
    {
        BXSettings settings;
        settings.writeEntry(QStringLiteral("/sync/uploadOnExit"), true);
        settings.writeEntry(QStringLiteral("/sync/confirmUploadOnExit"), false);
    }
    QVERIFY(UserDbTestEnv::create204Database(UserDbTestEnv::databaseFile()));
    // A root that an older version made keeps its name.
    QVERIFY(UserDbTestEnv::runOn(UserDbTestEnv::databaseFile(),
                                 {QStringLiteral("INSERT INTO custom_food_cats VALUES "
                                                 "(33550336, 0, 'Ann''s foods')")}));
    QVERIFY(UserDbTestEnv::startUp());

    // Every user, and all of them together, have a root in both custom catalogues, so that
    // showing a catalogue never has to make one.
    const char* const roots = "SELECT group_concat(category_id || ' ' || %1, ', ') FROM "
                              "(SELECT * FROM %2 WHERE parent_id = 0 ORDER BY category_id)";
    QCOMPARE(UserDbTestEnv::scalar(QString::fromLatin1(roots).arg("name", "custom_food_cats"))
                 .toString(),
             QStringLiteral("33550336 Ann's foods, 33550337 My Foods, 33554432 Shared Foods"));
    QCOMPARE(UserDbTestEnv::scalar(
                 QString::fromLatin1(roots).arg("description", "custom_exercise_cats")).toString(),
             QStringLiteral("33550336 My Exercises, 33550337 My Exercises, "
                            "33554432 Shared Exercises"));

    // Old rows keep their values; added columns are NULL.
    QCOMPARE(UserDbTestEnv::scalar("SELECT food_name FROM food_diary WHERE food_id = 7").toString(),
             QStringLiteral("Apple"));
    QCOMPARE(UserDbTestEnv::scalar("SELECT fiber FROM food_diary WHERE food_id = 7").toDouble(), 3.7);
    QVERIFY(UserDbTestEnv::scalar("SELECT calcium FROM food_diary WHERE food_id = 7").isNull());
    QCOMPARE(UserDbTestEnv::scalar("SELECT name FROM exer_diary WHERE ex_id = 3").toString(),
             QStringLiteral("Walking"));
    QCOMPARE(UserDbTestEnv::scalar("SELECT note FROM user_checkins WHERE user_id = 0").toString(),
             QStringLiteral("start"));

    // The publishing settings went to the user with a web diary account only.
    QCOMPARE(UserDbTestEnv::scalar("SELECT auto_publish FROM user_users WHERE user_id = 0").toInt(), 1);
    QCOMPARE(UserDbTestEnv::scalar("SELECT ask_before_publish FROM user_users WHERE user_id = 0")
                 .toInt(),
             0);
    QVERIFY(UserDbTestEnv::scalar("SELECT auto_publish FROM user_users WHERE user_id = 1").isNull());
    {
        BXSettings settings;
        bool stored = true;
        settings.readBoolEntry(QStringLiteral("/sync/uploadOnExit"), false, &stored);
        QVERIFY(!stored);
    }

    // Default target sizes from the latest set targets: energy 1800 -> large; fat and
    // protein medium; nothing for targets never set or for a user without targets.
    const auto size = [](const char* column, qint64 user) {
        return UserDbTestEnv::scalar(
            QStringLiteral("SELECT %1 FROM user_users WHERE user_id = %2").arg(column).arg(user));
    };
    QCOMPARE(size("energy_target_size", 0).toInt(), 3);
    QCOMPARE(size("fat_target_size", 0).toInt(), 2);
    QCOMPARE(size("protein_target_size", 0).toInt(), 2);
    QVERIFY(size("fiber_target_size", 0).isNull());
    QVERIFY(size("sodium_target_size", 0).isNull());
    QVERIFY(size("energy_target_size", 1).isNull());

    // Sync devices: the handheld device follows user 0; metrics is device 2.
    QCOMPARE(BXSqlDb::getDeviceUser(1), 0);
    QCOMPARE(BXSqlDb::getSyncDevice("metrics"), 2);
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM userdata_sync_tables").toInt(), 6);
}

void TestUpgrade::step304Or305AddsBackupPathOnce_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("hasColumn");
    QTest::newRow("304") << 304 << false;
    QTest::newRow("305 without the column") << 305 << false;
    QTest::newRow("305 with the column") << 305 << true;
}

void TestUpgrade::step304Or305AddsBackupPathOnce()
{
    QFETCH(int, version);
    QFETCH(bool, hasColumn);
    start204(version);
    if (hasColumn)
        BXSqlDb::instance()->addColumn("user_users", "backup_data_path", "TEXT");
    BXSqlDb::upgrade304or305to306();
    QCOMPARE(BXSqlDb::getVersion(), 306);
    QCOMPARE(UserDbTestEnv::columns("user_users").count(QStringLiteral("backup_data_path")), 1);
    QCOMPARE(UserDbTestEnv::scalar("SELECT name FROM user_users WHERE user_id = 1").toString(),
             QStringLiteral("Bob"));
}

void TestUpgrade::missingVersionRowIsAnError()
{
    start204(412);
    BXSqlDb::perform("DELETE FROM userdata_meta WHERE itemkey = 'schema_version'");
    BXSqlDb::beginTransaction();
    QVERIFY_THROWS_EXCEPTION(BXException, BXSqlDb::instance()->upgradeSchema(300));
    BXSqlDb::rollbackTransaction();
    QVERIFY_THROWS_EXCEPTION(BXException, BXSqlDb::getVersion());
}

void TestUpgrade::failedUpgradeLeavesFileAsItWas_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("lacking");
    QTest::newRow("file of another program") << "309 -> 310" << "user_misc";
    QTest::newRow("version 204 without its targets") << "308 -> 309" << "user_target";
}

// A diary that lacks a table an upgrade step changes: another program's file that claims
// version 309, or a version-204 diary. Every start refuses it, naming the step and the table,
// and leaves it as it was, with no safety copy.
void TestUpgrade::failedUpgradeLeavesFileAsItWas()
{
    QFETCH(QString, step);
    QFETCH(QString, lacking);
    const QString path = UserDbTestEnv::databaseFile();
    if (step.startsWith(QLatin1String("309")))
        QVERIFY(UserDbTestEnv::runOn(
            path, {QStringLiteral("CREATE TABLE user_users (user_id INTEGER, name TEXT)"),
                   QStringLiteral("INSERT INTO user_users VALUES (0, 'Ann')"),
                   QStringLiteral("CREATE TABLE userdata_meta (itemkey TEXT, itemvalue)"),
                   QStringLiteral("INSERT INTO userdata_meta VALUES ('schema_version', 309)"),
                   QStringLiteral("INSERT INTO userdata_meta VALUES ('software_modified_version', '')")}));
    else
        QVERIFY(UserDbTestEnv::create204Database(path)
                && UserDbTestEnv::runOn(path, {QStringLiteral("DROP TABLE ") + lacking}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    for (int start = 0; start < 2; ++start) {
        QString error;
        QVERIFY(!UserDbTestEnv::startUp(&error));
        QVERIFY2(error.contains(path) && error.contains(step + QStringLiteral(" failed"))
                     && error.contains(QStringLiteral("lacks the table ") + lacking),
                 qPrintable(error));
        QVERIFY(!BXSqlDb::isUp());
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(UserDbTestEnv::safetyCopies(), QStringList());
}

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
