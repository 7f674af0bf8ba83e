// A change lost to a full disk is told to the user once, and the program goes on: a new user
// from the wizard, and an entry added to the diary.

#include "mainwindowdoubles.h"

#include "catalogue/catalogueservices.h"
#include "core/fooddiaryitem.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"

#include <QTest>

using namespace MainWindowTest;

namespace {

const QString DiskFull = QStringLiteral("The disk is full: the change was not saved.");

qint64 scalar(const char* sql)
{
    BXSqlQuery query(sql);
    return query.exec() && query.next() ? query.value(0).toLongLong() : -1;
}

// Lets the database grow by no page at all, as on a full disk.
void fillTheDisk(bool full)
{
    const QByteArray limit = full ? QByteArray::number(scalar("PRAGMA page_count")) : "1000000";
    BXSqlDb::perform(("PRAGMA max_page_count = " + limit).constData());
}

bool databaseIsSound()
{
    BXSqlQuery check("PRAGMA integrity_check");
    return check.exec() && check.next() && check.value(0).toString() == QStringLiteral("ok");
}

} // namespace

class TestFullDiskWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        BrandSwitches switches;
        switches.family = true;
        loadBrand(switches);
    }

    void init()
    {
        startFreshDatabase();
        _ann = addUser(QStringLiteral("Ann"));
        _window = new ScriptedMainWindow;
        UserDB::instance()->setCurrentUser(_ann);
        QVERIFY(_window->switchUser(_window, _ann));
        _window->messages.clear();
    }

    void cleanup()
    {
        fillTheDisk(false);
        delete _window;
        _window = nullptr;
        CatalogueServices::cleanUp();
    }

    void cleanupTestCase()
    {
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void newUserOnAFullDisk()
    {
        const qint64 users = scalar("SELECT count(*) FROM user_users");
        _window->wizardName = QString(200000, QLatin1Char('n'));
        fillTheDisk(true);
        QVERIFY(!_window->switchUser(_window, -1));
        QCoreApplication::processEvents();
        QCOMPARE(_window->messages.size(), 1);
        QCOMPARE(_window->lastText(), DiskFull);
        QCOMPARE(scalar("SELECT count(*) FROM user_users"), users);
        QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
        QVERIFY(databaseIsSound());

        fillTheDisk(false);
        QVERIFY(_window->switchUser(_window, -1));
        QCOMPARE(scalar("SELECT count(*) FROM user_users"), users + 1);
    }

    void diaryEntryOnAFullDisk()
    {
        DBTypes::FoodDiaryItem entry;
        entry.userId = _ann;
        entry.setDate("20260301");
        entry.meal = 1;
        entry.refId = 0;
        entry.desc = QString(200000, QLatin1Char('d'));
        fillTheDisk(true);
        QCOMPARE(DiaryDB::instance()->addFoodEntry(entry, true), -1);
        QVERIFY(_window->messages.isEmpty()); // told once the change has returned
        QCoreApplication::processEvents();
        QCOMPARE(_window->messages.size(), 1);
        QCOMPARE(_window->lastText(), DiskFull);
        QVERIFY(databaseIsSound());
    }

private:
    ScriptedMainWindow* _window = nullptr;
    int _ann = -1;
};

QTEST_MAIN(TestFullDiskWindow)
#include "tst_fulldiskwindow.moc"
