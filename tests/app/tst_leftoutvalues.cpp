// What the diary holds that no dialog writes: the window tells the user once a start, in words,
// and a profile that cannot be read whole is asked for again without ending the program.

#include "mainwindowdoubles.h"

#include "catalogue/fooddbdynamic.h"
#include "core/clock.h"
#include "core/displaydate.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/storedrange.h"
#include "widgets/shownday.h"

#include <QLabel>
#include <QStatusBar>
#include <QtTest>

using namespace MainWindowTest;

namespace {

bool exec(const QString& sql, const QVariantList& values = {})
{
    BXSqlQuery query(sql);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    return query.exec();
}

QStringList captions(const ScriptedMainWindow& window)
{
    QStringList all;
    for (const auto& [caption, text] : window.messages)
        all << caption;
    return all;
}

}  // namespace

class TestLeftOutValues : public QObject
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
        _bob = addUser(QStringLiteral("Bob"));
        _window = new ScriptedMainWindow;
    }

    void cleanup()
    {
        delete _window;
        _window = nullptr;
        FoodDBDynamic::cleanUp();
    }

    void cleanupTestCase()
    {
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void toldOnceInWords_data();
    void toldOnceInWords();
    void unreadProfileIsAskedAgain_data();
    void unreadProfileIsAskedAgain();
    void noProfileCompletedLeavesTheWindowOpen();

private:
    ScriptedMainWindow* _window = nullptr;
    qint64 _ann = -1;
    qint64 _bob = -1;
};

void TestLeftOutValues::toldOnceInWords_data()
{
    QTest::addColumn<QString>("craft");
    QTest::addColumn<QStringList>("told");
    const QString day = DisplayDate::textDate(Clock::today());
    QTest::newRow("an amount of -5")
        << "UPDATE food_diary SET size = -5 WHERE food_name = 'Apple'"
        << QStringList{"-5 in food_diary.size of Ann's entry 'Apple' of " + day, "left out of the day and its sums"};
    QTest::newRow("a burn rate past any")
        << "UPDATE exer_diary SET rate = 1e300 WHERE name = 'Rowing'"
        << QStringList{"1e+300 in exer_diary.rate of Ann's entry 'Rowing' of " + day, "left out of the day"};
    QTest::newRow("an entry name of ten million characters")
        << "UPDATE food_diary SET food_name = 'Apple' || printf('%.*c', 10000000, 'x') WHERE food_name = 'Apple'"
        << QStringList{"a text of 10000005 characters in food_diary.food_name of Ann's entry 'Applexxxx",
                       "cut to 32767 characters"};
    QTest::newRow("a food name of ten million characters")
        << "UPDATE custom_foods SET name = printf('%.*c', 10000000, 'y')"
        << QStringList{"a text of 10000000 characters in Foods.name of 'yyyy", "cut to 32767 characters"};
    // One box names what the start reads of several tables.
    QTest::newRow("values of several tables")
        << "UPDATE food_diary SET size = -5\nUPDATE exer_diary SET rate = 1e300\n"
           "INSERT INTO water_diary (user_id, date, cups) SELECT user_id, date, 1e300 FROM food_diary"
        << QStringList{"-5 in food_diary.size of Ann's entry 'Apple'", "1e+300 in exer_diary.rate of Ann's entry 'Rowing'",
                       "1e+300 in water_diary.cups"};
}

void TestLeftOutValues::toldOnceInWords()
{
    QFETCH(QString, craft);
    QFETCH(QStringList, told);
    const QString today = Clock::today().toString(QStringLiteral("yyyyMMdd"));
    DBTypes::FoodDiaryItem apple;
    apple.desc = QStringLiteral("Apple");
    apple.userId = _ann;
    apple.meal = 1;
    apple.setDate(today.toStdString());
    QVERIFY(DiaryDB::instance()->addFoodEntry(apple, true) >= 0);
    QVERIFY(exec("INSERT INTO exer_diary (user_id, date, duration, rate, name, status) "
                 "VALUES (?, ?, 30, 5, 'Rowing', 1)", {_ann, today}));
    UserDB::instance()->setCurrentUser(_ann);
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    const qint64 food = foods->createFood(foods->getRootForUser(_ann), QStringLiteral("Pear"),
                                          QStringLiteral("each"), DBTypes::FoodItem());
    QVERIFY(food >= 0);
    for (const QString& statement : craft.split(QLatin1Char('\n')))
        QVERIFY(exec(statement));

    QVERIFY(_window->switchUser(_window, _ann));
    foods->reload(0, false);
    QVERIFY(foods->getFoodName(food).size() <= StoredRange::LineLength);
    QTRY_VERIFY(captions(*_window).contains(QStringLiteral("Values left out")));
    const QString text = _window->messages.at(captions(*_window).indexOf(QStringLiteral("Values left out"))).second;
    for (const QString& part : told)
        QVERIFY2(text.contains(part), qPrintable(text.left(2000)));
    QVERIFY(text.contains(QStringLiteral("Backup Data copies them")));

    // Once a start: Backup Data, which starts the diary again, and reading it all again tell
    // nothing more.
    _window->backupName = QDir::homePath() + QStringLiteral("/leftout.backup");
    _window->backupUserDB();
    QVERIFY(_window->switchUser(_window, _bob));
    QVERIFY(_window->switchUser(_window, _ann));
    foods->reload(0, false);
    QTest::qWait(50);
    QCOMPARE(captions(*_window).count(QStringLiteral("Values left out")), 1);
}

void TestLeftOutValues::unreadProfileIsAskedAgain_data()
{
    QTest::addColumn<QString>("craft");
    QTest::addColumn<QString>("unread");
    QTest::addColumn<bool>("enterAgain");
    QTest::newRow("a height of Inf")
        << "UPDATE user_misc SET height = 9e999 WHERE user_id = ?" << "height" << true;
    QTest::newRow("a sex of 2^40")
        << "UPDATE user_users SET sex = 1099511627776 WHERE user_id = ?" << "sex" << false;
    QTest::newRow("a date of birth that is no day")
        << "UPDATE user_users SET dob = '19801345' WHERE user_id = ?" << "date of birth" << true;
}

// Ann's profile is asked for again with the reason; not completed, the start goes on to Bob.
void TestLeftOutValues::unreadProfileIsAskedAgain()
{
    QFETCH(QString, craft);
    QFETCH(QString, unread);
    QFETCH(bool, enterAgain);
    QVERIFY(exec(craft, {_ann}));
    const std::optional<QList<DBTypes::UserProfile>> users = UserDB::instance()->getUsersList();
    QVERIFY(users && users->size() == 2);
    _window->wizardAccepts = false;
    _window->answers = {enterAgain ? QMessageBox::Ok : QMessageBox::Cancel};

    QVERIFY(_window->showFirstUser(*users));
    QCOMPARE(ShownDay::instance()->user(), _bob);
    QCOMPARE(_window->wizardRuns, int(enterAgain));
    QCOMPARE(captions(*_window).first(), QStringLiteral("Profile not complete"));
    const QString text = _window->messages.first().second;
    QVERIFY2(text.startsWith(QStringLiteral("Ann's profile has no %1 that this program can read").arg(unread)),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("of Ann's profile")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("or Cancel to go on to another user")));
    // What the box told is not told again in a box of its own.
    QTest::qWait(50);
    QVERIFY(!captions(*_window).contains(QStringLiteral("Values left out")));
}

void TestLeftOutValues::noProfileCompletedLeavesTheWindowOpen()
{
    QVERIFY(exec("UPDATE user_misc SET height = 9e999"));
    const std::optional<QList<DBTypes::UserProfile>> users = UserDB::instance()->getUsersList();
    QVERIFY(users && users->size() == 2);
    _window->wizardAccepts = false;
    QVERIFY(_window->showFirstUser(*users));
    QCOMPARE(_window->wizardRuns, 2);
    QCOMPARE(ShownDay::instance()->user(), qint64(-1));
    QStringList told;
    for (const QLabel* label : _window->statusBar()->findChildren<QLabel*>())
        told << label->text();
    QVERIFY2(told.join('|').contains(QStringLiteral("No profile is complete")), qPrintable(told.join('|')));
}

QTEST_MAIN(TestLeftOutValues)
#include "tst_leftoutvalues.moc"
