// A full disk stops a change, never the program: the change is rolled back, the user is told
// why, the database stays sound, and the next change works once there is room again.

#include "storefixture.h"
#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"

#include <QtTest>

namespace {

// Lets the database grow by no page at all: every change that needs room fails as on a
// full disk.
void fillTheDisk(bool full)
{
    const qint64 pages = UserDbTestEnv::scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(full ? pages : 1000000);
    BXSqlDb::perform(sql.constData());
}

DBTypes::UserProfile profile(const QString& name)
{
    DBTypes::UserProfile user;
    user.name = name;
    qstrcpy(user.created, "20260101");
    qstrcpy(user.dob, "19800101");
    user.sex = 1;
    user.height = 170.0f;
    return user;
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        StoreFixture::loadBrand();
        QString error;
        QVERIFY2(UserDbTestEnv::startFresh(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
    }

    void newUserOnAFullDiskIsRefusedWithTheReason()
    {
        UserDB* users = UserDB::instance();
        const int before = users->numUsers();
        fillTheDisk(true);
        // A name long enough to need pages of its own.
        DBTypes::UserProfile big = profile(QString(200000, QLatin1Char('x')));
        QVERIFY(!users->addUser(big, nullptr));
        QVERIFY(BXSqlDb::diskWasFull());
        QCOMPARE(users->lastError(), QStringLiteral("The disk is full: the change was not saved."));
        QCOMPARE(users->numUsers(), before);
        QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));

        // With room again, the same change goes through.
        fillTheDisk(false);
        QVERIFY2(users->addUser(big, nullptr), qPrintable(users->lastError()));
        QVERIFY(!BXSqlDb::diskWasFull());
        QCOMPARE(users->numUsers(), before + 1);
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
