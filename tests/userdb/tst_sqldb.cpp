// The SQL access layer: connection life cycle, statements, transactions, column addition.

#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarystart.h"
#include "userdb/filecopy.h"
#include "userdb/upgradechain.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestSqlDb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void lifeCycle();
    void connectionSettings();
    void transactionsCommitAndRollBack();
    void transactionPartGoesWithTheWhole();
    void ownedStatementsAreGivenBack();
    void keptStatementsAnswerAsNewOnes();
    void lastInsertIdOfFailedInsert();
    void addColumnPutsNewColumnFirst();
    void addColumnKeepsExistingColumn_data();
    void addColumnKeepsExistingColumn();
    void addColumnWithTableLevelKey();
    void copyFileBlocks();

private:
    QString createTable(const char* sql);
};

void TestSqlDb::initTestCase()
{
    UserDbTestEnv::loadBrand();
}

void TestSqlDb::init()
{
    QVERIFY(UserDbTestEnv::startFresh());
}

void TestSqlDb::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

QString TestSqlDb::createTable(const char* sql)
{
    BXSqlQuery create(sql);
    return create.exec() ? QString() : create->lastError().text();
}

void TestSqlDb::lifeCycle()
{
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(BXSqlDb::exists(), BXSqlDb::instance());

    const StoreResult again = DiaryStart::startUp(true);
    QVERIFY(!again);
    QCOMPARE(again.message(), QStringLiteral("startUp called twice? should never happen"));
    QVERIFY(BXSqlDb::isUp());

    BXSqlDb::cleanUp();
    QVERIFY(!BXSqlDb::isUp());
    QVERIFY(!BXSqlDb::exists());
    BXSqlDb::cleanUp();

    // Data written before a close is there after the next start.
    QVERIFY(UserDbTestEnv::startUp());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (4, 'Dee')");
    BXSqlDb::cleanUp();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(UserDbTestEnv::scalar("SELECT name FROM user_users WHERE user_id = 4").toString(),
             QStringLiteral("Dee"));
}

void TestSqlDb::connectionSettings()
{
    // The file is copied whole by backup and the handheld component: rollback journal,
    // full synchronisation.
    QCOMPARE(UserDbTestEnv::scalar("PRAGMA journal_mode").toString(), QStringLiteral("delete"));
    QCOMPARE(UserDbTestEnv::scalar("PRAGMA synchronous").toInt(), 2);
    QCOMPARE(BXSqlDb::instance()->database().databaseName(), UserDbTestEnv::databaseFile());
}

void TestSqlDb::transactionsCommitAndRollBack()
{
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (1, 'Kept')");
    QVERIFY(BXSqlDb::commitTransaction());

    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (2, 'Dropped')");
    QVERIFY(BXSqlDb::rollbackTransaction());

    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM user_users").toInt(), 1);
    // A new transaction may start after both ends.
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::rollbackTransaction());
}

void TestSqlDb::transactionPartGoesWithTheWhole()
{
    const auto users = [] { return UserDbTestEnv::scalar("SELECT COUNT(*) FROM user_users").toInt(); };
    // A part that is kept is stored when the whole is.
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (1, 'Whole')");
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (2, 'Part')");
    QVERIFY(BXSqlDb::commitTransaction());
    QVERIFY(BXSqlDb::commitTransaction());
    QCOMPARE(users(), 2);

    // A part that is dropped drops the whole, whatever the outer change asks for.
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (3, 'Before')");
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (4, 'Refused')");
    QVERIFY(BXSqlDb::rollbackTransaction());
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(!BXSqlDb::commitTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (5, 'After')");
    QVERIFY(!BXSqlDb::commitTransaction());
    QCOMPARE(users(), 2);

    // The next change stands on its own again.
    QVERIFY(BXSqlDb::beginTransaction());
    BXSqlDb::perform("INSERT INTO user_users(user_id, name) VALUES (6, 'Next')");
    QVERIFY(BXSqlDb::commitTransaction());
    QCOMPARE(users(), 3);
}

void TestSqlDb::ownedStatementsAreGivenBack()
{
    BXSqlQuery owned("SELECT COUNT(*) FROM user_users");
    QVERIFY(owned.exec());
    QVERIFY(owned.next());
    QCOMPARE(owned.value(0).toInt(), 0);

    BXSqlQuery moved(std::move(owned));
    QVERIFY(owned.isNull());
    QVERIFY(!moved.isNull());

    QVERIFY(!owned.exec());
    QVERIFY(!owned.next());

    // A handle that outlives the connection is still given back safely.
    BXSqlQuery late("SELECT 1");
    BXSqlDb::cleanUp();
}

// Statements given back are kept for their text; whatever was done with one before, the
// next request of that text behaves as a statement just prepared.
void TestSqlDb::keptStatementsAnswerAsNewOnes()
{
    QCOMPARE(createTable("CREATE TABLE sample (id INTEGER, name TEXT)"), QString());
    for (int id = 1; id <= 3; ++id) {
        BXSqlQuery insert("INSERT INTO sample (id, name) VALUES (?, ?)");
        insert.bindValue(0, id);
        insert.bindValue(1, QStringLiteral("name %1").arg(id));
        QVERIFY(insert.exec());
        QCOMPARE(insert.lastInsertId(), qint64(id));
    }
    const char* const byId = "SELECT name FROM sample WHERE id >= ? ORDER BY id";
    {
        // Given back in the middle of its rows: it must not hold the table.
        BXSqlQuery unfinished(byId);
        unfinished.bindValue(0, 1);
        QVERIFY(unfinished.exec());
        QVERIFY(unfinished.next());
    }
    {
        BXSqlQuery again(byId);
        again.bindValue(0, 3);
        QVERIFY(again.exec());
        QVERIFY(again.next());
        QCOMPARE(again.value(0).toString(), QStringLiteral("name 3"));
        QVERIFY(!again.next());

        // The same text twice at once: two independent statements.
        BXSqlQuery nested(byId);
        nested.bindValue(0, 2);
        QVERIFY(nested.exec());
        QVERIFY(nested.next());
        QCOMPARE(nested.value(0).toString(), QStringLiteral("name 2"));
    }
    QCOMPARE(createTable("ALTER TABLE sample ADD COLUMN extra TEXT"), QString());
    {
        BXSqlQuery widened("SELECT * FROM sample WHERE id = 1");
        QVERIFY(widened.exec());
        QVERIFY(widened.next());
        QCOMPARE(widened->record().count(), 3);
    }
    QCOMPARE(createTable("DROP TABLE sample"), QString());

    // A text the driver refused says SQLite's reason, and is prepared anew once it makes sense.
    const char* const later = "SELECT COUNT(*) FROM later WHERE id > ?";
    {
        BXSqlQuery refused(later);
        refused.bindValue(0, 0);
        QVERIFY(!refused.exec());
        QCOMPARE(refused.outcome().message(), QStringLiteral("no such table: later"));
    }
    QCOMPARE(createTable("CREATE TABLE later (id INTEGER)"), QString());
    BXSqlQuery count(later);
    count.bindValue(0, 0);
    QVERIFY(count.exec());
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 0);
    count = BXSqlQuery(QString());

    // A new connection prepares its own statements.
    QCOMPARE(createTable("DROP TABLE later"), QString());
    BXSqlDb::cleanUp();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(createTable("CREATE TABLE later (id INTEGER)"), QString());
    BXSqlQuery reopened(later);
    reopened.bindValue(0, 0);
    QVERIFY(reopened.exec());
    QVERIFY(reopened.next());
    QCOMPARE(reopened.value(0).toInt(), 0);
}

void TestSqlDb::lastInsertIdOfFailedInsert()
{
    BXSqlQuery insert("INSERT INTO food_diary(food_id, user_id, food_name) VALUES (?, 0, 'x')");
    insert.bindValue(0, QVariant());
    QVERIFY(insert.exec());
    const qint64 first = insert.lastInsertId();
    QVERIFY(first > 0);

    // A key that exists already: the insert fails and hands back no id.
    insert.bindValue(0, first);
    QVERIFY(!insert.exec());
    QCOMPARE(insert.lastInsertId(), qint64(-1));

    BXSqlQuery ignored("INSERT OR IGNORE INTO food_diary(food_id, user_id) VALUES (?, 0)");
    ignored.bindValue(0, first);
    QVERIFY(ignored.exec());
    QCOMPARE(ignored.lastInsertId(), qint64(-1));

    BXSqlQuery update("UPDATE food_diary SET size = 2 WHERE food_id = ?");
    update.bindValue(0, first);
    QVERIFY(update.exec());
    QCOMPARE(update.lastInsertId(), qint64(-1));
}

void TestSqlDb::addColumnPutsNewColumnFirst()
{
    QCOMPARE(createTable("CREATE TABLE sample (id INTEGER PRIMARY KEY, name TEXT, size NUMERIC)"),
             QString());
    QCOMPARE(createTable("CREATE INDEX sample_name ON sample(name)"), QString());
    BXSqlDb::perform("INSERT INTO sample VALUES (1, 'one', 1.5)");
    BXSqlDb::perform("INSERT INTO sample VALUES (2, 'two', NULL)");

    BXSqlDb::beginTransaction();
    UpgradeChain::addColumn("sample", "added", "INTEGER");
    BXSqlDb::commitTransaction();

    QCOMPARE(UserDbTestEnv::columns("sample"),
             QStringList({"added", "id", "name", "size"}));
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM sample WHERE added IS NULL").toInt(), 2);
    QCOMPARE(UserDbTestEnv::scalar("SELECT size FROM sample WHERE name = 'one'").toDouble(), 1.5);
    QCOMPARE(UserDbTestEnv::scalar(
                 "SELECT COUNT(*) FROM sqlite_master WHERE type='index' AND name='sample_name'")
                 .toInt(),
             1);
    // The key column is still the row id: a NULL key is assigned.
    BXSqlDb::perform("INSERT INTO sample(id, name) VALUES (NULL, 'three')");
    QCOMPARE(UserDbTestEnv::scalar("SELECT id FROM sample WHERE name = 'three'").toInt(), 3);
    // No temporary table is left behind.
    QCOMPARE(UserDbTestEnv::scalar(
                 "SELECT COUNT(*) FROM sqlite_temp_master WHERE name = 'xxx_yyy_temp_table'")
                 .toInt(),
             0);
}

void TestSqlDb::addColumnKeepsExistingColumn_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("expected");
    const QStringList existing{"user_id", "sat_fat_target_size", "fat"};
    QTest::newRow("same name") << "fat" << existing;
    QTest::newRow("same name in other case") << "FAT" << existing;
    QTest::newRow("part of a longer name") << "fat_target" << QStringList("fat_target") + existing;
    QTest::newRow("longer than a name") << "fatty" << QStringList("fatty") + existing;
}

void TestSqlDb::addColumnKeepsExistingColumn()
{
    QFETCH(QString, column);
    QFETCH(QStringList, expected);
    QCOMPARE(createTable("CREATE TABLE sizes (user_id INTEGER, sat_fat_target_size INTEGER, fat NUMERIC)"),
             QString());
    UpgradeChain::addColumn("sizes", column.toUtf8().constData(), "INTEGER");
    QCOMPARE(UserDbTestEnv::columns("sizes"), expected);
}

void TestSqlDb::addColumnWithTableLevelKey()
{
    BXSqlDb::perform("INSERT INTO metrics_startStats VALUES (0, '20240101', 3)");
    BXSqlDb::beginTransaction();
    UpgradeChain::addColumn("metrics_startStats", "extra", "TEXT");
    BXSqlDb::commitTransaction();
    QCOMPARE(UserDbTestEnv::columns("metrics_startStats"),
             QStringList({"extra", "user_id", "date", "count"}));
    QCOMPARE(UserDbTestEnv::scalar("SELECT count FROM metrics_startStats").toInt(), 3);
    // The key clause survives the rebuild.
    BXSqlQuery duplicate("INSERT INTO metrics_startStats(user_id, date, count) VALUES (0, '20240101', 4)");
    QVERIFY(!duplicate.exec());
}

void TestSqlDb::copyFileBlocks()
{
    QTemporaryDir dir;
    QString reason;
    const QString empty = dir.filePath("empty");
    const QString copy = dir.filePath("copy");
    QFile(empty).open(QIODevice::WriteOnly);
    QVERIFY(FileCopy::copy(empty, copy, &reason));
    QCOMPARE(QFileInfo(copy).size(), 0);

    // A longer file already at the destination is replaced, not patched.
    const QString source = dir.filePath("source");
    QByteArray data(3000, 'a');
    data[2999] = 'z';
    QFile sourceFile(source);
    QVERIFY(sourceFile.open(QIODevice::WriteOnly));
    sourceFile.write(data);
    sourceFile.close();
    QFile longer(copy);
    QVERIFY(longer.open(QIODevice::WriteOnly));
    longer.write(QByteArray(5000, 'b'));
    longer.close();
    QVERIFY(FileCopy::copy(source, copy, &reason));
    QFile result(copy);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), data);

    QVERIFY(!FileCopy::copy(dir.filePath("missing"), dir.filePath("other"), &reason));
    QVERIFY(!FileCopy::copy(source, dir.filePath("no/such/folder/file"), &reason));
    QVERIFY2(reason.contains(QString::fromLocal8Bit(std::strerror(ENOENT))), qPrintable(reason));

    // A pipe would block the copy for ever: it is refused before it is opened.
    const QString pipe = dir.filePath("pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!FileCopy::copy(pipe, dir.filePath("from-pipe"), &reason));
    QCOMPARE(reason, pipe + QStringLiteral(" is not a file"));
    QVERIFY(!QFile::exists(dir.filePath("from-pipe")));
}

QTEST_MAIN(TestSqlDb)
#include "tst_sqldb.moc"
