// What the store makes of a failed read of the diary: another program's hold, a fault of the
// system or damage, each from that failure alone, with the reads of a failing disk and another
// process holding the diary.

#include "userdbtestenv.h"

#include "userdb/bxsqlquery.h"
#include "userdb/failurecause.h"
#include "userdb/readwatch.h"
#include "tests/support/failingreads.h"
#include "tests/support/otherprocess.h"
#include "tests/support/otherreader.h"

#include <QtTest>

#include <optional>

#include <sqlite3.h>

namespace {

// From the first page of the table on, reads of the diary fail with `error` (0: end short; -1:
// end short, and the file's size cannot be read then either).
void failReads(const char* table, int error, bool once)
{
    s_unreadUnsized = error < 0;
    error = std::max(error, 0);
    BXSqlQuery page("SELECT (rootpage - 1) * (SELECT page_size FROM pragma_page_size) "
                    "FROM sqlite_master WHERE name = ?");
    page.bindValue(0, QString::fromLatin1(table));
    s_unreadFrom = page.first().value_or(false) ? page.value(0).toLongLong() : -1;
    s_unreadError = error;
    s_unreadOnce = once;
    s_unreadEnding = "/userdata.db";
}

StoreResult readUsers()
{
    BXSqlQuery users("SELECT count(*) FROM user_users");
    return users.first() ? StoreResult() : users.outcome();
}

} // namespace

class TestFailureCause : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { UserDbTestEnv::loadBrand(); }
    void init() { QVERIFY(UserDbTestEnv::startFresh()); }
    void cleanup()
    {
        s_unreadEnding.clear();
        s_beforeRead = nullptr;
        BXSqlDb::setBusyTimeout(10000);
    }
    void cleanupTestCase() { UserDbTestEnv::removeDatabase(); }

    void judgedFromTheFactsAlone_data();
    void judgedFromTheFactsAlone();
    void integrityJudgedFromItsFindings_data();
    void integrityJudgedFromItsFindings();
    void eachReadIsJudgedByItsOwnFailure_data();
    void eachReadIsJudgedByItsOwnFailure();
    void startTellsHoldsAndFaultsApartFromDamage_data();
    void startTellsHoldsAndFaultsApartFromDamage();
};

void TestFailureCause::judgedFromTheFactsAlone_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("lastRead");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("systemFault");
    QTest::addColumn<QString>("told");
    using R = StoreResult::Kind;
    QTest::newRow("held") << SQLITE_BUSY << true << 0 << 0 << int(R::Busy) << false << "";
    QTest::newRow("locked") << SQLITE_LOCKED << true << 0 << 0 << int(R::Busy) << false << "";
    QTest::newRow("damaged") << SQLITE_CORRUPT << true << 0 << 0 << int(R::Damaged) << false << "";
    QTest::newRow("no database") << SQLITE_NOTADB << true << 0 << 0 << int(R::Damaged) << false << "";
    QTest::newRow("disk full") << SQLITE_FULL << true << 0 << 0 << int(R::DiskFull) << true << "";
    QTest::newRow("refused") << SQLITE_CONSTRAINT << true << 0 << 0 << int(R::Refused) << false << "";
    QTest::newRow("read failed") << SQLITE_IOERR_READ << true << EIO << 0 << int(R::Unread) << true
                                 << "disk I/O error: Input/output error";
    QTest::newRow("read short") << SQLITE_IOERR_SHORT_READ << true << int(ReadWatch::ShortRead) << 0
                                << int(R::Unread) << true << "a read ended short of what the file holds";
    QTest::newRow("write failed") << SQLITE_IOERR_WRITE << true << 0 << ENOSPC << int(R::Unread) << true
                                  << "disk I/O error: No space left on device";
    QTest::newRow("too many open") << SQLITE_CANTOPEN << true << EIO << EMFILE << int(R::Unread) << true
                                   << "unable to open database file: Too many open files";
    QTest::newRow("no connection") << SQLITE_CANTOPEN << false << 0 << EMFILE << int(R::Unread) << true
                                   << "unable to open database file";
}

// Each verdict stands on the facts of its own call: no file is read to reach it.
void TestFailureCause::judgedFromTheFactsAlone()
{
    QFETCH(int, code);
    QFETCH(bool, connected);
    QFETCH(int, lastRead);
    QFETCH(int, systemError);
    QFETCH(int, reason);
    QFETCH(bool, systemFault);
    QFETCH(QString, told);
    const StoreResult outcome =
        FailureCause::of({code, code, QString::fromUtf8(sqlite3_errstr(code)), connected, lastRead, systemError});
    QCOMPARE(int(outcome.kind()), reason);
    QCOMPARE(outcome.systemFault(), systemFault);
    QVERIFY2(outcome.message().endsWith(told), qPrintable(outcome.message()));
}

void TestFailureCause::integrityJudgedFromItsFindings_data()
{
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<int>("stopped");
    QTest::addColumn<int>("failedRead");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("told");
    using K = StoreResult::Kind;
    const QStringList whole{QStringLiteral("ok")};
    QTest::newRow("whole") << whole << 0 << 0 << int(K::Done) << "";
    QTest::newRow("damaged page") << QStringList{"Page 5: btreeInitPage() returns error code 11"} << 0 << 0
                                  << int(K::Damaged) << "the file is damaged";
    QTest::newRow("page not read") << QStringList{"Page 5: btreeInitPage() returns error code 10"} << 0 << 0
                                   << int(K::Unread) << "could not be read (disk I/O error)";
    QTest::newRow("chain not read") << QStringList{"On tree page 3 cell 0: failed to get page 7"} << 0 << 0
                                    << int(K::Unread) << "could not be read";
    QTest::newRow("a read failed") << whole << 0 << EIO << int(K::Unread) << "(disk I/O error: Input/output error)";
    QTest::newRow("held") << QStringList() << SQLITE_BUSY << 0 << int(K::Unread) << "another program holds";
    QTest::newRow("stopped by damage") << QStringList() << SQLITE_CORRUPT << 0 << int(K::Damaged) << "damaged";
    QTest::newRow("out of memory") << QStringList() << SQLITE_NOMEM << 0 << int(K::Unread) << "cannot run: ";
}

void TestFailureCause::integrityJudgedFromItsFindings()
{
    QFETCH(QStringList, findings);
    QFETCH(int, stopped);
    QFETCH(int, failedRead);
    QFETCH(int, kind);
    QFETCH(QString, told);
    const StoreResult ended = StoreResult::fromCode(stopped, QString::fromUtf8(sqlite3_errstr(stopped)));
    const StoreResult found = FailureCause::judgeIntegrity(findings, ended, failedRead);
    QCOMPARE(int(found.kind()), kind);
    QVERIFY2(found.message().contains(told), qPrintable(found.message()));
}

void TestFailureCause::eachReadIsJudgedByItsOwnFailure_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("damaged");
    // A fault of the system is told with its reason and says nothing of the next read: damage
    // found then is damage, and a page that read short is read again.
    const QString shortRead = QStringLiteral("disk I/O error: a read ended short of what the file holds");
    QTest::newRow("one read failed, then damage") << EIO << "disk I/O error: Input/output error" << true;
    QTest::newRow("one read out of memory, then damage") << ENOMEM << "disk I/O error: Cannot allocate memory" << true;
    QTest::newRow("one short read, then a whole one") << 0 << shortRead << false;
    QTest::newRow("one short read, then damage") << 0 << shortRead << true;
    QTest::newRow("one short read of a file of unknown size") << -1 << shortRead << false;
}

void TestFailureCause::eachReadIsJudgedByItsOwnFailure()
{
    QFETCH(int, error);
    QFETCH(QString, told);
    QFETCH(bool, damaged);
    failReads("user_users", error, true);
    const StoreResult failed = readUsers();
    QVERIFY(failed.systemFault());
    QCOMPARE(failed.message(), told);
    std::optional<OtherReader> damage;
    if (damaged)
        QVERIFY(damage.emplace(UserDbTestEnv::databaseFile(), OtherReader::Damaged, QStringLiteral("user_users")).reading());
    QCOMPARE(readUsers().kind(), damaged ? StoreResult::Kind::Damaged : StoreResult::Kind::Done);
    QCOMPARE(BXSqlDb::damageProven(), damaged);
    damage.reset();
    QVERIFY(readUsers().ok() && !BXSqlDb::damageProven());
}

void TestFailureCause::startTellsHoldsAndFaultsApartFromDamage_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("told");
    // Another process takes the diary as the start reads that table, and holds it on; or every
    // read from the format version on fails until the disk reads whole again.
    const QString inUse = QStringLiteral("is in use by another program");
    QTest::newRow("held from the format version on") << "userdata_meta" << 0 << true << inUse;
    QTest::newRow("held from the tracked tables on") << "userdata_sync_tables" << 0 << true << inUse;
    QTest::newRow("reads end short") << "userdata_meta" << 0 << false << ": disk I/O error: a read ended short";
    QTest::newRow("reads fail") << "userdata_meta" << EIO << false << ": disk I/O error: Input/output error.";
}

// Neither a hold nor a fault of the system is called damage at the start: the start says why,
// and starts once the diary is free or reads whole again.
void TestFailureCause::startTellsHoldsAndFaultsApartFromDamage()
{
    QFETCH(QString, table);
    QFETCH(int, error);
    QFETCH(bool, held);
    QFETCH(QString, told);
    failReads(table.toLatin1().constData(), error, held);
    BXSqlDb::cleanUp();
    std::optional<OtherProcess> other;
    if (held) {
        other.emplace(UserDbTestEnv::databaseFile());
        s_beforeRead = [&other] { QVERIFY(other->take()); };
        BXSqlDb::setBusyTimeout(100);
    }
    QString text;
    StoreResult::Kind kind = StoreResult::Kind::Done;
    QVERIFY(!UserDbTestEnv::startUp(&text, &kind));
    QVERIFY2(text.contains(told) && !text.contains(QStringLiteral("corrupted")), qPrintable(text));
    QVERIFY((kind == StoreResult::Kind::Busy) == held && kind != StoreResult::Kind::Damaged && !s_beforeRead);
    BXSqlDb::cleanUp();
    other.reset();
    s_unreadEnding.clear();
    QVERIFY2(UserDbTestEnv::startUp(&text), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestFailureCause)
#include "tst_failurecause.moc"
