// The upgrade chain from the oldest supported schema to the current one.

#include "userdbtestenv.h"

#include "core/bxsettings.h"
#include "core/workprogress.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryproof.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarystart.h"
#include "userdb/diaryversion.h"
#include "userdb/diaryrestore.h"
#include "userdb/filecopy.h"
#include "userdb/syncdevices.h"
#include "userdb/upgradechain.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

// The columns each format added to tables of the one before it.
struct AddedColumns
{
    int version;
    const char* tables;
    const char* columns;
};

const AddedColumns FormatColumns[] = {
    {205, "food_diary food_mealplan group_diary", "time TEXT"},
    {205, "exer_diary exer_mealplan", "time TEXT, group_id INTEGER"},
    {206, "user_checkins", "steps NUMERIC"},
    {300, "user_checkins_sync water_diary_sync food_diary_sync exer_diary_sync group_diary_sync", "lastModified TEXT"},
    {301, "user_users", "auto_publish INTEGER, ask_before_publish INTEGER"},
    {302, "userdata_sync_devices", "user_id INTEGER"},
    {303, "user_users", "tipOfTheDay INTEGER"},
    {304, "user_users", "hideNutrientAndFluid BOOL"},
    {305, "user_users", "backup_data_path TEXT"},
    {308, "custom_foods food_diary food_mealplan",
     "saturated_fat NUMERIC, cholesterol NUMERIC, sodium NUMERIC, sugar NUMERIC, calcium NUMERIC"},
    {308, "user_users", "diaryViewColumnSettings TEXT, diaryAdvancedMode INTEGER"},
    {309, "user_target", "target_saturated_fat NUMERIC, target_cholesterol NUMERIC, target_sodium NUMERIC, "
                         "target_sugar NUMERIC, target_calcium NUMERIC"},
    {309, "user_users", "energy_target_size INTEGER, carb_target_size INTEGER, fiber_target_size INTEGER, "
                        "protein_target_size INTEGER, fat_target_size INTEGER, sat_fat_target_size INTEGER, "
                        "cholesterol_target_size INTEGER, sugar_target_size INTEGER, calcium_target_size INTEGER, "
                        "sodium_target_size INTEGER"},
    {310, "user_misc", "custom_rmr NUMERIC, diet_plan TEXT"},
    {412, "user_users", "summaryOptions INTEGER"},
};

// The tables a format made and the rows the two users wrote into them, Ann (0) and Bob (1);
// the rows of the format's first tables beside those that every format holds.
struct FormatStatement
{
    int version;
    const char* sql;
};

const FormatStatement FormatStatements[] = {
    {204, "INSERT INTO user_checkins (user_id, date, weight, note) VALUES (1, '20050102', 90, 'Bob')"},
    {204, "INSERT INTO user_misc (user_id, date, height, activity, goal) VALUES (0, '20050101', 170, 1, 2), "
          "(1, '20050101', 180.5, 2, 1)"},
    {204, "INSERT INTO water_diary VALUES (0, '20050101', 4), (1, '20050102', 6.5)"},
    {204, "INSERT INTO food_diary (food_id, user_id, date, meal, ref_id, size, food_name, calories) VALUES "
          "(8, 1, '20050102', 2, 1234, 2, 'Bob''s apple', 160)"},
    {204, "INSERT INTO group_diary (group_id, user_id, name, status, date) VALUES (1, 0, 'Lunch', 1, NULL), "
          "(2, 1, 'Supper', 1, '20050102')"},
    {204, "INSERT INTO exer_mealplan (ex_id, user_id, date, duration, name) VALUES (4, 0, '20050103', 20, 'Swim')"},
    {300, "CREATE TABLE metrics_startStats (user_id INTEGER, date TEXT, count INTEGER, PRIMARY KEY (user_id, date))"},
    {300, "CREATE TABLE metrics_startStats_sync (device INTEGER, state INTEGER, user_id INTEGER, date TEXT, "
          "lastModified TEXT, palm_id INTEGER, PRIMARY KEY (user_id, date))"},
    {300, "CREATE INDEX metrics_sync_idx ON metrics_startStats_sync(user_id, date, device)"},
    {300, "INSERT INTO userdata_sync_tables VALUES ('metrics_startStats', 'metrics_startStats_sync', 'user_id, date')"},
    {300, "INSERT INTO userdata_sync_devices (id, name) VALUES (2, 'metrics')"},
    {300, "INSERT INTO metrics_startStats VALUES (0, '20050101', 3), (1, '20050102', 5)"},
    {302, "UPDATE userdata_sync_devices SET user_id = 0 WHERE id = 1"},
    {303, "CREATE TABLE user_firsttime_tips (user_id INTEGER, tip_index INTEGER, PRIMARY KEY (user_id, tip_index))"},
    {303, "INSERT INTO user_firsttime_tips VALUES (0, 1), (1, 2)"},
    {307, "CREATE TABLE favorites (user_id INTEGER, item_id INTEGER, item_type INTEGER, "
          "PRIMARY KEY (user_id, item_id, item_type))"},
    {307, "INSERT INTO favorites VALUES (0, 1234, 0), (1, 1234, 0)"},
};

// A value a format's added column holds, by its type.
QString valueOf(const QString& type)
{
    if (type == QLatin1String("TEXT"))
        return QStringLiteral("'kept'");
    return type == QLatin1String("NUMERIC") ? QStringLiteral("2.5") : QStringLiteral("1");
}

// The statements that write a diary of `version` as that format's program wrote it, its
// columns declared with their types or, as an earlier program may have, without (a key's
// type stays: it decides which column is the row's id).
QStringList formatDiary(int version, bool typed)
{
    QStringList statements = UserDbTestEnv::schema204(version);
    QStringList values;
    for (const AddedColumns& added : FormatColumns) {
        for (const QString& table : QString::fromLatin1(added.tables).split(u' ')) {
            for (QString& sql : statements) {
                const qsizetype key = sql.indexOf(QLatin1String(", PRIMARY KEY("));
                if (added.version <= version && sql.startsWith(QStringLiteral("CREATE TABLE %1 (").arg(table)))
                    sql.insert(key < 0 ? sql.size() - 1 : key, QStringLiteral(", ") + QLatin1String(added.columns));
            }
            for (const QString& column : QString::fromLatin1(added.columns).split(QStringLiteral(", "))) {
                if (added.version <= version && table != QLatin1String("userdata_sync_devices"))
                    values.append(QStringLiteral("UPDATE %1 SET %2 = %3")
                                      .arg(table, column.section(u' ', 0, 0), valueOf(column.section(u' ', 1))));
            }
        }
    }
    for (const FormatStatement& statement : FormatStatements) {
        if (statement.version <= version)
            statements.append(QString::fromLatin1(statement.sql));
    }
    statements += values;
    if (!typed) {
        static const QRegularExpression type(QStringLiteral(" (TEXT|INTEGER|NUMERIC|BOOL)(?=\\s*[,)])"));
        for (QString& sql : statements) {
            if (sql.startsWith(QLatin1String("CREATE TABLE")))
                sql.remove(type);
        }
    }
    return statements;
}

// The rows of each user in the diary file at `path`, in every table of `columns` (by table, the
// columns a format wrote), as text; empty when the file cannot be read.
QStringList rowsOfUsers(const QString& path, const QMap<QString, QStringList>& columns)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery read(db);
        for (auto table = columns.cbegin(); db.open() && table != columns.cend(); ++table) {
            const QString names = table.value().join(QStringLiteral(", "));
            if (!read.exec(QStringLiteral("SELECT user_id, %1 FROM %2 WHERE user_id IN (0, 1) ORDER BY %1")
                               .arg(names, table.key())))
                return {};
            while (read.next()) {
                QStringList values;
                for (int column = 1; column < read.record().count(); ++column)
                    values.append(read.isNull(column) ? QStringLiteral("NULL") : read.value(column).toString());
                rows.append(QStringLiteral("user %1 %2: %3").arg(read.value(0).toString(), table.key(), values.join(u'|')));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rows"));
    rows.sort();
    return rows;
}

// The columns of each table of the diary file at `path` that holds the users' rows.
QMap<QString, QStringList> usersColumns(const QString& path)
{
    QMap<QString, QStringList> columns;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("columns"));
        db.setDatabaseName(path);
        QSqlQuery read(db);
        if (db.open() && read.exec(QStringLiteral("SELECT m.name, c.name FROM sqlite_master m, "
                                                  "pragma_table_info(m.name) c WHERE m.type = 'table'"))) {
            while (read.next())
                columns[read.value(0).toString()].append(read.value(1).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("columns"));
    columns.removeIf([](const auto& table) { return !table.value().contains(QStringLiteral("user_id")); });
    return columns;
}

} // namespace

class TestUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void chainFrom204ReachesTemplateSchema();
    void chainFrom204KeepsAndCarriesData();
    void everyFormatStaysTheProgramsOwn_data();
    void everyFormatStaysTheProgramsOwn();
    void step304Or305AddsBackupPathOnce_data();
    void step304Or305AddsBackupPathOnce();
    void missingVersionRowIsAnError();
    void failedUpgradeLeavesFileAsItWas_data();
    void failedUpgradeLeavesFileAsItWas();
    void stoppedUpgradeLeavesFileAsItWas();

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
    QCOMPARE(DiaryVersion::read(), 412);
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
    QCOMPARE(SyncDevices::userOf(1), 0);
    QCOMPARE(SyncDevices::find("metrics"), 2);
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM userdata_sync_tables").toInt(), 6);
}

void TestUpgrade::everyFormatStaysTheProgramsOwn_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("typed");
    // 412 as the upgrades of earlier builds left it: declared as its earlier format wrote it.
    for (const int version : {204, 205, 206, 300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 411, 412}) {
        QTest::addRow("%d with types", version) << version << true;
        QTest::addRow("%d without types", version) << version << false;
    }
}

// A diary of every format the program has made is brought up to date at its first start, and
// from then on is one of the program's own to every start, Backup Data and Restore Data; each
// user's rows stay as they were.
void TestUpgrade::everyFormatStaysTheProgramsOwn()
{
    QFETCH(int, version);
    QFETCH(bool, typed);
    const QString path = UserDbTestEnv::databaseFile();
    QFile::remove(path);
    QVERIFY(UserDbTestEnv::runOn(path, formatDiary(version, typed)));
    const QMap<QString, QStringList> columns = usersColumns(path);
    const QStringList rows = rowsOfUsers(path, columns);
    QVERIFY(rows.filter(QRegularExpression(QStringLiteral("^user 1 "))).size() > 2);
    // The file as that format's program left it, as a backup it wrote.
    const QString earlierBackup = QDir::homePath() + QStringLiteral("/earlier.ptBackup");
    QFile::remove(earlierBackup);
    QVERIFY(QFile::copy(path, earlierBackup));

    const auto start = [&](const char* step) {
        QString error;
        QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(QStringLiteral("%1: %2").arg(step, error)));
        QCOMPARE(DiaryVersion::read(), DiaryVersion::Current);
        BXSqlDb::cleanUp();
        QCOMPARE(rowsOfUsers(path, columns), rows);
    };
    for (const char* step : {"first start", "second start", "third start"}) {
        start(step);
        if (QTest::currentTestFailed())
            return;
    }

    // Backup Data: the copy is proven as Restore Data proves it before it is kept.
    const QString backup = QDir::homePath() + QStringLiteral("/format.ptBackup");
    QFile::remove(backup);
    QString reason;
    const auto proveAsRestore = [](const QString& written, QString* findings) {
        const StoreResult proof = DiaryProof::proveFile(written, DiaryProof::Proof::Restore);
        *findings = proof.message();
        return proof.ok();
    };
    QVERIFY2(FileCopy::copy(path, backup, &reason, proveAsRestore), qPrintable(reason));
    QCOMPARE(rowsOfUsers(backup, columns), rows);

    // Restore Data of that backup and of the earlier one, each with a start after it.
    const auto restore = [&](const QString& file) {
        StoreResult restored = DiaryRestore::install(file);
        QVERIFY2(restored, qPrintable(restored.message()));
        restored = DiaryStart::startUp(true);
        QVERIFY2(restored, qPrintable(restored.message()));
        restored = BXSqlDb::checkIntegrity();
        QVERIFY2(restored, qPrintable(restored.message()));
        restored = DiaryRestore::end(true);
        QVERIFY2(restored, qPrintable(restored.message()));
        BXSqlDb::cleanUp();
        QCOMPARE(rowsOfUsers(path, columns), rows);
        start("start after the restore");
    };
    for (const QString& file : {backup, earlierBackup}) {
        restore(file);
        if (QTest::currentTestFailed())
            return;
    }
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
        UpgradeChain::addColumn("user_users", "backup_data_path", "TEXT");
    UpgradeChain::upgrade304or305to306();
    QCOMPARE(DiaryVersion::read(), 306);
    QCOMPARE(UserDbTestEnv::columns("user_users").count(QStringLiteral("backup_data_path")), 1);
    QCOMPARE(UserDbTestEnv::scalar("SELECT name FROM user_users WHERE user_id = 1").toString(),
             QStringLiteral("Bob"));
}

void TestUpgrade::missingVersionRowIsAnError()
{
    start204(412);
    BXSqlDb::perform("DELETE FROM userdata_meta WHERE itemkey = 'schema_version'");
    BXSqlDb::beginTransaction();
    QVERIFY_THROWS_EXCEPTION(BXException, UpgradeChain::upgradeSchema(300));
    BXSqlDb::rollbackTransaction();
    QVERIFY_THROWS_EXCEPTION(BXException, DiaryVersion::read());
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

// The upgrade of an older diary at the start is heard by the start's progress: stopped there,
// the start is refused and the diary left as it was, and a later start upgrades it.
void TestUpgrade::stoppedUpgradeLeavesFileAsItWas()
{
    struct StopAtFirstStep : WorkProgress
    {
        bool report(qint64, qint64) override { return false; }
    } stop;
    const QString path = UserDbTestEnv::databaseFile();
    QVERIFY(UserDbTestEnv::create204Database(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const StoreResult stopped = DiaryStart::startUp(true, &stop);
    QVERIFY(!stopped);
    QVERIFY2(stopped.message().contains(QStringLiteral("could not be brought up to date and has been left as it was")),
             qPrintable(stopped.message()));
    BXSqlDb::cleanUp();
    QVERIFY(stop.stopped());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    QCOMPARE(UserDbTestEnv::safetyCopies(), QStringList());
    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
}

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
