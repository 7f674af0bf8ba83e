// A full disk, or another program holding the file, stops a change, never the program: the
// change is rolled back, the user is told why, the database stays sound, and the next change
// works once there is room again or the other program is done.

#include "storefixture.h"
#include "userdbtestenv.h"

#include "tests/support/otherreader.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/usermeasurements.h"
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

// The changes a user makes, each in the store's own way: in one transaction or in one
// statement.
enum Change { Checkin, DiaryEntry, SavedMeal, NewUser };

DBTypes::FoodDiaryItem tea(int user)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = user;
    entry.setDate("20260301");
    entry.meal = 1;
    entry.refId = 0;
    entry.desc = QStringLiteral("Tea");
    return entry;
}

bool make(Change change, int user)
{
    DBTypes::FoodDiaryItem entry = tea(user);
    switch (change) {
    case Checkin: {
        UserMeasurements set;
        set.set(UserMeasurements::Weight, 70.0f, true);
        return UserDB::instance()->setDaysMeasurements(user, "20260310", set);
    }
    case DiaryEntry:
        return DiaryDB::instance()->addFoodEntry(entry, true) >= 0;
    case SavedMeal:
        return SavedMealDB::instance()->storeMeal(user, -1, "Breakfast", {entry}, true) >= 0;
    case NewUser: {
        DBTypes::UserProfile newcomer = profile(QStringLiteral("Newcomer"));
        return UserDB::instance()->addUser(newcomer, nullptr);
    }
    }
    return false;
}

bool journalLeft()
{
    return QFile::exists(UserDbTestEnv::databaseFile() + QStringLiteral("-journal"));
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
        // Short, so that the suite does not wait for readers that never finish.
        BXSqlDb::setBusyTimeout(100);
        DBTypes::UserProfile owner = profile(QStringLiteral("Owner"));
        QVERIFY(UserDB::instance()->addUser(owner, &_user));
    }

    void cleanupTestCase() { StoreFixture::close(); }

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

    void changeWhileAnotherProgramReads_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("count");
        QTest::newRow("check-in") << int(Checkin)
                                  << "SELECT count(*) FROM user_checkins WHERE weight IS NOT NULL";
        QTest::newRow("diary entry") << int(DiaryEntry)
                                     << "SELECT count(*) FROM food_diary WHERE date IS NOT NULL";
        QTest::newRow("saved meal") << int(SavedMeal) << "SELECT count(*) FROM group_diary";
        QTest::newRow("new user") << int(NewUser) << "SELECT count(*) FROM user_users";
    }

    void changeWhileAnotherProgramReads()
    {
        QFETCH(int, change);
        QFETCH(QString, count);
        const qint64 before = UserDbTestEnv::scalar(count).toLongLong();
        {
            OtherReader reader(UserDbTestEnv::databaseFile());
            QVERIFY(reader.reading());
            QVERIFY(!make(Change(change), _user));
            QCOMPARE(BXSqlDb::lastFailure(), BXSqlDb::Failure::Busy);
            QVERIFY(BXSqlDb::failureText().startsWith(
                QStringLiteral("The diary is in use by another program")));
            if (change == NewUser)
                QCOMPARE(UserDB::instance()->lastError(), BXSqlDb::failureText());
            QCOMPARE(UserDbTestEnv::scalar(count).toLongLong(), before);
            QVERIFY(!journalLeft());
        }
        // With the reader done, the same change goes through.
        QVERIFY(make(Change(change), _user));
        QVERIFY(!BXSqlDb::changeWasLost());
        QCOMPARE(UserDbTestEnv::scalar(count).toLongLong(), before + 1);
        QVERIFY(!journalLeft());
        QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
    }

private:
    int _user = -1;
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
