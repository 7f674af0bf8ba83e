// The guard of a change: however the code that opened it leaves, the file is free again.

#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"
#include "userdb/storetransaction.h"

#include <QtTest>

#include <optional>
#include <stdexcept>

namespace {

enum class Leave { Kept, Refused, Returned, Thrown };

// One change that adds the user `id` and leaves as `leave` says; `sole` holds the file whole.
void change(qint64 id, Leave leave, bool sole)
{
    QString inUse;
    std::optional<StoreTransaction> guard;
    if (sole)
        guard.emplace(&inUse);
    else
        guard.emplace();
    QVERIFY2(*guard, qPrintable(inUse));
    BXSqlDb::perform(qPrintable(QStringLiteral("INSERT INTO user_users(user_id, name) VALUES (%1, 'Ann')").arg(id)));
    if (leave == Leave::Thrown)
        throw std::runtime_error("thrown inside the change");
    if (leave == Leave::Returned)
        return;
    guard->end(leave == Leave::Kept);
}

int users(qint64 id)
{
    return UserDbTestEnv::scalar(QStringLiteral("SELECT COUNT(*) FROM user_users WHERE user_id = %1").arg(id)).toInt();
}

}  // namespace

class TestStoreTransaction : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { UserDbTestEnv::loadBrand(); }
    void init() { QVERIFY(UserDbTestEnv::startFresh()); }
    void cleanupTestCase() { UserDbTestEnv::removeDatabase(); }

    void everyWayOutFreesTheFile_data();
    void everyWayOutFreesTheFile();
};

void TestStoreTransaction::everyWayOutFreesTheFile_data()
{
    QTest::addColumn<int>("leave");
    QTest::addColumn<bool>("sole");
    QTest::addColumn<bool>("stored");
    for (const bool sole : {false, true}) {
        const QByteArray kind = sole ? " (held whole)" : "";
        QTest::newRow("kept" + kind) << int(Leave::Kept) << sole << true;
        QTest::newRow("refused" + kind) << int(Leave::Refused) << sole << false;
        QTest::newRow("early return" + kind) << int(Leave::Returned) << sole << false;
        QTest::newRow("thrown" + kind) << int(Leave::Thrown) << sole << false;
    }
}

void TestStoreTransaction::everyWayOutFreesTheFile()
{
    QFETCH(int, leave);
    QFETCH(bool, sole);
    QFETCH(bool, stored);
    try {
        change(7, Leave(leave), sole);
    } catch (const std::runtime_error&) {
        QCOMPARE(Leave(leave), Leave::Thrown);
    }
    QCOMPARE(users(7), int(stored));

    // Another program's change goes through at once: nothing holds the file.
    QVERIFY(UserDbTestEnv::runOn(UserDbTestEnv::databaseFile(),
                                 {QStringLiteral("PRAGMA busy_timeout = 0"),
                                  QStringLiteral("INSERT INTO user_users(user_id, name) VALUES (8, 'Bob')")}));
    // ... and the store's next change stands on its own: kept when it ends, with the other's row.
    change(9, Leave::Kept, false);
    QCOMPARE(users(8) + users(9), 2);
    BXSqlDb::cleanUp();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(users(7) + users(8) + users(9), int(stored) + 2);
}

QTEST_GUILESS_MAIN(TestStoreTransaction)
#include "tst_storetransaction.moc"
