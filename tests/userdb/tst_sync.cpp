// Sync devices and the change-tracking triggers.

#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"
#include "userdb/syncdevices.h"

#include <QDateTime>
#include <QtTest>

namespace {

QString today()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd"));
}

int count(const QString& sql)
{
    return UserDbTestEnv::scalar(sql).toInt();
}

QString triggerText(int number)
{
    return UserDbTestEnv::scalar(QStringLiteral("SELECT sql FROM sqlite_temp_master WHERE name = "
                                                "'bxtmp_%1'")
                                     .arg(number, 4, 10, QLatin1Char('0')))
        .toString();
}

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void triggerText();
    void triggersPerTableWhateverTheDevices();
    void insertMarksEveryDeviceOfTheGroup();
    void updateAndDeleteMarkRows();
    void keyWithoutDeviceKeepsOneRow();
    void deviceLookups();
    void createSyncDeviceSeedsItsUser();
    void storedRowsNameOnlyOwnTables_data();
    void storedRowsNameOnlyOwnTables();
};

void TestSync::initTestCase()
{
    UserDbTestEnv::loadBrand();
}

void TestSync::init()
{
    QString error;
    QVERIFY2(UserDbTestEnv::startFresh(&error), qPrintable(error));
}

void TestSync::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

void TestSync::triggerText()
{
    int counter = 2;
    const QString text = SyncDevices::triggerQuery({"food_diary", "food_diary_sync", "food_id", true},
                                      "AFTER INSERT", "new", 1, counter, false);
    QCOMPARE(counter, 3);
    QCOMPARE(text, QStringLiteral(
                       "CREATE TEMP TRIGGER bxtmp_0002 AFTER INSERT ON \"food_diary\" BEGIN\n"
                       "  INSERT OR REPLACE INTO \"food_diary_sync\"(device, state, lastModified, "
                       "\"food_id\") SELECT id, 1, strftime('%Y%m%d', 'now'), new.\"food_id\" FROM "
                       "userdata_sync_devices WHERE typeof(id) = 'integer' AND (user_id IS NULL OR "
                       "user_id = new.user_id) ORDER BY rowid;\n"
                       "END;"));

    const QString update = SyncDevices::triggerQuery({"user_checkins", "user_checkins_sync", "user_id, date", false},
                                        "AFTER DELETE", "old", 2, counter, true);
    QCOMPARE(update, QStringLiteral(
                         "CREATE TEMP TRIGGER bxtmp_0003 AFTER DELETE ON \"user_checkins\" BEGIN\n"
                         "  UPDATE \"user_checkins_sync\" SET state = 2, lastModified = "
                         "strftime('%Y%m%d', 'now') WHERE device IN (SELECT id FROM "
                         "userdata_sync_devices WHERE typeof(id) = 'integer' AND (user_id IS NULL OR "
                         "user_id = old.user_id))  AND \"user_id\" = old.\"user_id\" AND \"date\" = "
                         "old.\"date\";\nEND;"));
}

// Three triggers a tracked table, however many devices and users the file holds; each change
// marks the devices of its row's user and those of every user.
void TestSync::triggersPerTableWhateverTheDevices()
{
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger'"), 18);
    BXSqlDb::perform("WITH RECURSIVE n(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM n WHERE i < 209) "
                     "INSERT INTO userdata_sync_devices(id, name, user_id) SELECT i, 'reader', i - 10 FROM n");
    // Every start makes them anew, numbered from 0.
    BXSqlDb::cleanUp();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger'"), 18);
    QVERIFY(!::triggerText(0).isEmpty());
    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (10, 7, '20240101', 1)");
    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (11, 0, '20240101', 1)");
    BXSqlDb::perform("UPDATE food_diary_sync SET state = 0");
    BXSqlDb::perform("DELETE FROM food_diary");
    const auto deletedFor = [](int food) {
        return UserDbTestEnv::scalar(QStringLiteral("SELECT group_concat(device) FROM (SELECT device FROM "
                                                    "food_diary_sync WHERE food_id = %1 AND state = 2 "
                                                    "ORDER BY device)").arg(food)).toString();
    };
    QCOMPARE(deletedFor(10), QStringLiteral("0,2,17"));
    QCOMPARE(deletedFor(11), QStringLiteral("0,1,2,10"));
}

void TestSync::insertMarksEveryDeviceOfTheGroup()
{
    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (10, 3, '20240101', 1)");
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE food_id = 10"), 2);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM food_diary_sync WHERE food_id = 10 AND "
                                  "state = 1 AND device IN (0, 2) AND lastModified = '%1'")
                       .arg(today())),
             2);

    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (11, 0, '20240101', 1)");
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE food_id = 11"), 3);
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE food_id = 11 AND device = 1"), 1);
}

void TestSync::updateAndDeleteMarkRows()
{
    BXSqlDb::perform("INSERT INTO user_checkins(user_id, date, weight) VALUES (3, '20240101', 80)");
    BXSqlDb::perform("UPDATE user_checkins_sync SET state = 0, lastModified = NULL");
    BXSqlDb::perform("UPDATE user_checkins SET weight = 79 WHERE user_id = 3");
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM user_checkins_sync WHERE state = 1 AND "
                                  "lastModified = '%1'").arg(today())),
             2);

    BXSqlDb::perform("DELETE FROM user_checkins WHERE user_id = 3");
    QCOMPARE(count("SELECT COUNT(*) FROM user_checkins_sync WHERE state = 2"), 2);

    // A row without sync rows leaves the sync table as it is.
    BXSqlDb::perform("INSERT INTO water_diary(user_id, date, cups) VALUES (3, '20240101', 4)");
    BXSqlDb::perform("DELETE FROM water_diary_sync");
    BXSqlDb::perform("DELETE FROM water_diary");
    QCOMPARE(count("SELECT COUNT(*) FROM water_diary_sync"), 0);
}

void TestSync::keyWithoutDeviceKeepsOneRow()
{
    BXSqlDb::perform("INSERT INTO metrics_startStats(user_id, date, count) VALUES (3, '20240101', 1)");
    QCOMPARE(count("SELECT COUNT(*) FROM metrics_startStats_sync"), 1);
    QCOMPARE(count("SELECT device FROM metrics_startStats_sync"), 2);
}

void TestSync::deviceLookups()
{
    QCOMPARE(SyncDevices::find("website"), 0);
    QCOMPARE(SyncDevices::find("metrics"), 2);
    QCOMPARE(SyncDevices::find("nothing"), -1);
    // A name is matched as a value, never as a column.
    QCOMPARE(SyncDevices::find("name"), -1);
    QCOMPARE(SyncDevices::userOf(99), -1);
}

void TestSync::createSyncDeviceSeedsItsUser()
{
    for (const char* sql : {
             "INSERT INTO food_diary(food_id, user_id, date, status) VALUES (1, 5, '20240101', 1)",
             "INSERT INTO food_diary(food_id, user_id, date, status) VALUES (2, 5, '20240101', 2)",
             "INSERT INTO food_diary(food_id, user_id, date, status) VALUES (3, 6, '20240101', 1)",
             "INSERT INTO group_diary(group_id, user_id, name, status) VALUES (4, 5, 'Lunch', 1)",
             "INSERT INTO user_checkins(user_id, date) VALUES (5, '20240101')",
             "INSERT INTO user_checkins(user_id, date) VALUES (6, '20240101')",
             "INSERT INTO water_diary(user_id, date, cups) VALUES (5, '20240102', 2)",
             "INSERT INTO metrics_startStats(user_id, date, count) VALUES (5, '20240101', 1)",
         })
        BXSqlDb::perform(sql);

    const int id = SyncDevices::create("reader", -1, 5);
    QCOMPARE(id, 3);
    QCOMPARE(SyncDevices::userOf(id), 5);
    QCOMPARE(count("SELECT food_id FROM food_diary_sync WHERE device = 3"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE device = 3"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM group_diary_sync WHERE device = 3"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM user_checkins_sync WHERE device = 3 AND user_id = 5"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM user_checkins_sync WHERE device = 3"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM water_diary_sync WHERE device = 3 AND state = 1"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM metrics_startStats_sync WHERE device = 3"), 1);

    // Re-seeding an existing device replaces its rows.
    BXSqlDb::perform("UPDATE food_diary_sync SET state = 0 WHERE device = 3");
    QCOMPARE(SyncDevices::create(nullptr, 3, -1), 3);
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE device = 3 AND state = 1"), 1);

    // Its changes are marked from then on.
    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (20, 5, '20240103', 1)");
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary_sync WHERE food_id = 20"), 3);

    // Past the last id an int holds, the next device is named by its whole id.
    BXSqlDb::perform("INSERT INTO userdata_sync_devices(id, name) VALUES (2147483647, 'past 31 bits')");
    QCOMPARE(SyncDevices::create("wide", -1, 5), qint64(2147483648));
    // Past the last id a row may have, no device is made rather than one named by a wrapped id.
    BXSqlDb::perform("INSERT INTO userdata_sync_devices(id, name) VALUES (9223372036854775806, 'last')");
    QCOMPARE(SyncDevices::create("another", -1, 5), -1);
    QCOMPARE(count("SELECT COUNT(*) FROM userdata_sync_devices WHERE id < 0 OR name = 'another'"), 0);
}

void TestSync::storedRowsNameOnlyOwnTables_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("refusal");
    // A tracked table whose trigger cannot be made: the start fails rather than run with
    // changes going unrecorded, and tells why.
    QTest::newRow("a tracked table the diary lacks") << "DROP TABLE water_diary"
                                                     << "it lacks what this program reads: the table water_diary";
    // A row naming what the program does not track is passed over; its own tables stay tracked.
    QTest::newRow("a row naming no table")
        << "INSERT INTO userdata_sync_tables VALUES ('no_such_table', 'no_such_table_sync', 'id')" << "";
    QTest::newRow("a row holding statements")
        << "INSERT INTO userdata_sync_tables VALUES ('water_diary BEGIN DELETE FROM food_diary; END /*', "
           "'water_diary_sync', 'user_id, date')"
        << "";
    // Rows of its own tables written otherwise are written anew: the tables stay tracked.
    QTest::newRow("a blank after a name")
        << "UPDATE userdata_sync_tables SET source_table = 'water_diary ' WHERE source_table = 'water_diary'" << "";
    QTest::newRow("the key columns in another order")
        << "UPDATE userdata_sync_tables SET fields = 'date, user_id' WHERE source_table = 'water_diary'" << "";
    QTest::newRow("no rows") << "DELETE FROM userdata_sync_tables" << "";
}

void TestSync::storedRowsNameOnlyOwnTables()
{
    QFETCH(QString, statement);
    QFETCH(QString, refusal);
    BXSqlDb::perform("INSERT INTO food_diary(food_id, user_id, date, status) VALUES (10, 3, '20240101', 1)");
    BXSqlDb::perform(statement.toUtf8().constData());
    BXSqlDb::cleanUp();
    QString error;
    QCOMPARE(UserDbTestEnv::startUp(&error), refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QVERIFY(error.startsWith(QStringLiteral("Your diary")));
        QVERIFY2(error.contains(refusal) && !error.contains(QStringLiteral("disk")), qPrintable(error));
        QVERIFY(!BXSqlDb::isUp());
        return;
    }
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger'"), 18);
    QCOMPARE(count("SELECT COUNT(*) FROM userdata_sync_tables"), 6);
    QCOMPARE(count("SELECT COUNT(*) FROM userdata_sync_tables WHERE fields = 'user_id, date' AND "
                   "source_table = 'water_diary' AND dest_table = 'water_diary_sync'"), 1);
    BXSqlDb::perform("INSERT INTO water_diary(user_id, date, cups) VALUES (3, '20240101', 4)");
    QCOMPARE(count("SELECT COUNT(*) FROM food_diary"), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM water_diary_sync"), 2);
}

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
