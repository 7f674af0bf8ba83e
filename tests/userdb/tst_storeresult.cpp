// The store's one result: what SQLite's codes and the system's faults come to, what a failure of
// a transaction's control makes of them, what the user is told of a change they stopped, and
// how a reason is told apart from its report.

#include "userdb/storeresult.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

using Kind = StoreResult::Kind;

} // namespace

class TestStoreResult : public QObject
{
    Q_OBJECT

private slots:
    void judgedByItsKind_data();
    void judgedByItsKind();
    void changeTextTellsWhetherToTryAgain_data();
    void changeTextTellsWhetherToTryAgain();
    void reasonIsToldApartFromItsDetails_data();
    void reasonIsToldApartFromItsDetails();
};

void TestStoreResult::judgedByItsKind_data()
{
    QTest::addColumn<StoreResult>("result");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("lost");
    QTest::addColumn<bool>("systemFault");
    QTest::addColumn<bool>("unread");
    // The kind that the result takes as the failure of a transaction's begin or commit.
    QTest::addColumn<int>("ofTransaction");
    const auto code = [](int value) { return StoreResult::fromCode(value, QString::fromUtf8(sqlite3_errstr(value))); };
    QTest::newRow("done") << code(SQLITE_OK) << int(Kind::Done) << false << false << false << int(Kind::Unread);
    QTest::newRow("row") << code(SQLITE_ROW) << int(Kind::Done) << false << false << false << int(Kind::Unread);
    QTest::newRow("held") << code(SQLITE_BUSY) << int(Kind::Busy) << true << false << true << int(Kind::Busy);
    QTest::newRow("locked") << code(SQLITE_LOCKED_SHAREDCACHE) << int(Kind::Busy) << true << false << true
                            << int(Kind::Busy);
    QTest::newRow("read only") << code(SQLITE_READONLY) << int(Kind::ReadOnly) << true << true << true
                               << int(Kind::ReadOnly);
    QTest::newRow("disk full") << code(SQLITE_FULL) << int(Kind::DiskFull) << true << true << true
                               << int(Kind::DiskFull);
    QTest::newRow("damaged") << code(SQLITE_CORRUPT) << int(Kind::Damaged) << true << false << false
                             << int(Kind::Damaged);
    QTest::newRow("no database") << code(SQLITE_NOTADB) << int(Kind::Damaged) << true << false << false
                                 << int(Kind::Damaged);
    QTest::newRow("read failed") << code(SQLITE_IOERR_READ) << int(Kind::Unread) << true << true << true
                                 << int(Kind::Unread);
    QTest::newRow("out of memory") << code(SQLITE_NOMEM) << int(Kind::Unread) << true << true << true
                                   << int(Kind::Unread);
    QTest::newRow("cannot open") << code(SQLITE_CANTOPEN) << int(Kind::Unread) << true << true << true
                                 << int(Kind::Unread);
    QTest::newRow("constraint") << code(SQLITE_CONSTRAINT_UNIQUE) << int(Kind::Refused) << false << false
                                << false << int(Kind::Unread);
    QTest::newRow("no such table") << code(SQLITE_ERROR) << int(Kind::Refused) << false << false << false
                                   << int(Kind::Unread);
    QTest::newRow("system failure") << StoreResult::systemFailure(QStringLiteral("Input/output error"))
                                    << int(Kind::Unread) << true << true << true << int(Kind::Unread);
    QTest::newRow("refused step") << StoreResult(Kind::Refused, QStringLiteral("the brand cannot be imported"))
                                  << int(Kind::Refused) << false << false << false << int(Kind::Unread);
}

// Damage and another program's hold are told apart from a fault of the system, which says
// nothing of the file; a statement's refusal loses no change of the moment until it ends a
// transaction's control, and then keeps its text.
void TestStoreResult::judgedByItsKind()
{
    QFETCH(StoreResult, result);
    QFETCH(int, kind);
    QFETCH(bool, lost);
    QFETCH(bool, systemFault);
    QFETCH(bool, unread);
    QFETCH(int, ofTransaction);
    QCOMPARE(int(result.kind()), kind);
    QCOMPARE(result.ok(), kind == int(Kind::Done));
    QCOMPARE(result.busy(), kind == int(Kind::Busy));
    QCOMPARE(result.lost(), lost);
    QCOMPARE(result.systemFault(), systemFault);
    QCOMPARE(result.unread(), unread);
    const StoreResult ended = result.ofTransaction();
    QCOMPARE(int(ended.kind()), ofTransaction);
    QVERIFY(ended.lost());
    QCOMPARE(ended.message(), result.message());
}

void TestStoreResult::changeTextTellsWhetherToTryAgain_data()
{
    QTest::addColumn<StoreResult>("result");
    QTest::addColumn<QString>("told");
    QTest::newRow("done") << StoreResult::done(QStringLiteral("a note")) << QString();
    QTest::newRow("refused") << StoreResult::fromCode(SQLITE_CONSTRAINT, QStringLiteral("refused"))
                             << QStringLiteral("The change was not saved: refused.");
    QTest::newRow("refused, then its transaction ended")
        << StoreResult::fromCode(SQLITE_CONSTRAINT, QStringLiteral("refused")).ofTransaction()
        << QStringLiteral("The change was not saved: refused. Try again.");
    QTest::newRow("read failed") << StoreResult::systemFailure(QStringLiteral("disk I/O error"))
                                 << QStringLiteral("The change was not saved: disk I/O error. Try again.");
    QTest::newRow("disk full") << StoreResult::fromCode(SQLITE_FULL, QStringLiteral("database or disk is full"))
                               << QStringLiteral("The disk is full: the change was not saved.");
    QTest::newRow("read only")
        << StoreResult::fromCode(SQLITE_READONLY_DIRECTORY, QStringLiteral("attempt to write a readonly database"))
        << QStringLiteral("The diary could not be written (attempt to write a readonly database): the change "
                          "was not saved. Check that the diary may be written, then try again.");
}

void TestStoreResult::changeTextTellsWhetherToTryAgain()
{
    QFETCH(StoreResult, result);
    QFETCH(QString, told);
    QCOMPARE(result.changeText(), told);
}

void TestStoreResult::reasonIsToldApartFromItsDetails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("details");
    const QString mark = QLatin1String(StoreResult::DetailsMark);
    QTest::newRow("none") << QStringLiteral("the file is damaged") << QStringLiteral("the file is damaged")
                          << QString();
    QTest::newRow("a report") << QStringLiteral("the file is damaged") + mark + QStringLiteral("Page 5\nPage 7")
                              << QStringLiteral("the file is damaged") << QStringLiteral("Page 5\nPage 7");
    QTest::newRow("a report holding the mark") << QStringLiteral("why") + mark + QStringLiteral("a") + mark
                                               << QStringLiteral("why") << QStringLiteral("a") + mark;
}

void TestStoreResult::reasonIsToldApartFromItsDetails()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QFETCH(QString, details);
    QString report = QStringLiteral("left over");
    QCOMPARE(StoreResult::splitDetails(text, &report), reason);
    QCOMPARE(report, details);
    // The text may be split into itself.
    QCOMPARE(StoreResult::splitDetails(text, &text), reason);
    QCOMPARE(text, details);
}

QTEST_GUILESS_MAIN(TestStoreResult)
#include "tst_storeresult.moc"
