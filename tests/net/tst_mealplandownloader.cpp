// Meal-plan downloads from a service on 127.0.0.1: which days are asked for, what is stored,
// and how failures are reported.

#include "core/brandengine.h"
#include "core/clock.h"
#include "core/diaryday.h"
#include "net/mealplandownloader.h"
#include "testbrand.h"
#include "net/qtsslsocket.h"
#include "testcertificates.h"
#include "testhttpsserver.h"
#include "tests/support/testsession.h"
#include "userdb/diarystart.h"
#include "userdb/mealplandb.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QDate TODAY(2026, 12, 7);

QByteArray code(const QDate& day)
{
    return day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

QByteArray food(const QString& name, const QDate& day, const char* meal = "Breakfast",
                const QString& dateFormat = QStringLiteral("yyyy-MM-dd"))
{
    return "<food food_name=\"" + name.toUtf8() + "\" serv_name=\"cup\" qty=\"2\" meal=\"" + meal + "\" date=\""
           + day.toString(dateFormat).toLatin1()
           + "\" calories=\"120\" carbohydrate=\"20\" fat=\"3\" fiber=\"4\" protein=\"5\"/>";
}

bool loadBrand(const TestHttpServer& server)
{
    BrandEngine::cleanUp();
    return importBrandWithOverrides(
        {{QStringLiteral("mealplan_auth_url"), server.url(QStringLiteral("/mealplan?user=${USERNAME}&pwhash=${PWHASH}&"))}},
        {{QStringLiteral("mealplans_enabled"), true}});
}

QByteArray plan(const QByteArray& foods)
{
    return TestHttpServer::ok("<?xml version=\"1.0\"?><mealplan>" + foods + "</mealplan>");
}

} // namespace

class TestMealPlanDownloader : public QObject
{
    Q_OBJECT

private:
    TestHttpServer _server;
    qint64 _user = -1;

    QStringList storedNames(const QDate& day, qint64 user = -1) const
    {
        QStringList names;
        const std::optional<DBTypes::DiaryDay> stored =
            MealPlanDB::instance()->getDay(user < 0 ? _user : user, code(day).constData(), false);
        for (const DBTypes::FoodDiaryItem& item : stored.value().foods)
            names << item.desc;
        return names;
    }

    void storePlanFood(const QDate& day)
    {
        DBTypes::FoodDiaryItem item;
        item.desc = QStringLiteral("Stored");
        item.userId = _user;
        item.meal = 1;
        item.setDate(code(day).toStdString());
        QVERIFY(MealPlanDB::instance()->addFoodEntry(item, false) > 0);
    }

    // The begin and end dates of the last request.
    QString requestedRange() const
    {
        const QByteArray line = _server.requests().last().split('\r').first();
        const int at = line.indexOf("begindate=");
        return QString::fromLatin1(line.mid(at, line.indexOf(' ', at) - at));
    }

    // Runs one download and returns the downloadDone arguments.
    QList<QVariant> download(const QByteArray& answer)
    {
        _server.answer(answer);
        QSignalSpy done(MealPlanDownloader::instance(), &MealPlanDownloader::downloadDone);
        if (!MealPlanDownloader::instance()->getMore())
            return {};
        done.wait(5000);
        QTest::qWait(50);
        return done.size() == 1 ? done.at(0) : QList<QVariant>{QStringLiteral("signals"), done.size()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(loadBrand(_server));
        const StoreResult start = DiaryStart::startUp(true);
        QVERIFY2(start, qPrintable(start.message()));
        _user = addCompleteUser(QStringLiteral("Planner"));
        QVERIFY(_user >= 0);
        UserDB::instance()->setCurrentUser(_user);
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(_user).value();
        prefs.webUserName = QStringLiteral("planner");
        prefs.webPassword = QStringLiteral("secret");
        QVERIFY(UserDB::instance()->setUserPrefs(_user, prefs));
        Clock::setNow(QDateTime(TODAY, QTime(9, 0)));
    }

    void init()
    {
        MealPlanDownloader::cleanUp();
        UserDB::instance()->setCurrentUser(_user);
        for (int i = -3; i <= 10; ++i)
            MealPlanDB::instance()->deleteDay(_user, code(TODAY.addDays(i)).constData(), true);
    }

    void cleanupTestCase()
    {
        MealPlanDownloader::cleanUp();
        MealPlanDB::cleanUp();
        Clock::reset();
        endSession();
    }

    void rangeStartsAfterTheLatestStoredDay()
    {
        QDate start;
        QDate end;
        QVERIFY(MealPlanDownloader::instance()->getDownloadRange(start, end));
        QCOMPARE(start, TODAY);
        QCOMPARE(end, TODAY.addDays(7));
        storePlanFood(TODAY.addDays(2));
        QVERIFY(MealPlanDownloader::instance()->getDownloadRange(start, end));
        QCOMPARE(start, TODAY.addDays(3));
        QVERIFY(!MealPlanDownloader::instance()->getMore(TODAY.addDays(2)));
        QVERIFY(!MealPlanDownloader::instance()->getMore(TODAY.addDays(8)));
        QCOMPARE(_server.requests().size(), 0);
        storePlanFood(TODAY.addDays(7));
        QVERIFY(!MealPlanDownloader::instance()->getDownloadRange(start, end));
        QVERIFY(!MealPlanDownloader::instance()->getMore());
    }

    void downloadsAndStoresTheWeek()
    {
        storePlanFood(TODAY.addDays(1));
        const QList<QVariant> done = download(plan(food(QStringLiteral("Oatmeal"), TODAY.addDays(2))
                                                   + food(QStringLiteral("Rice"), TODAY.addDays(2), "Dinner")
                                                   + food(QStringLiteral("Soup"), TODAY.addDays(3), "Lunch", "yyyyMMdd")
                                                   + food(QStringLiteral("Toast"), TODAY.addDays(5), "breakfast")
                                                   + food(QStringLiteral("Stew"), TODAY.addDays(5), "DINNER")
                                                   + food(QStringLiteral("Past"), TODAY.addDays(1))
                                                   + food(QStringLiteral("Beyond"), TODAY.addDays(8))
                                                   + "<food food_name=\"Undated\" meal=\"lunch\"/>"
                                                   + "<other><food food_name=\"Deep\" meal=\"lunch\" date=\""
                                                   + TODAY.addDays(4).toString(Qt::ISODate).toLatin1() + "\"/></other>"));
        QCOMPARE(done, (QList<QVariant>{false, QString()}));
        QCOMPARE(requestedRange(), QStringLiteral("begindate=2026-12-09&enddate=2026-12-14"));
        QVERIFY(_server.requests().last().contains("user=planner&pwhash=5ebe2294ecd0e0f08eab7690d2a6ee69&begindate"));
        QCOMPARE(storedNames(TODAY.addDays(2)), (QStringList{QStringLiteral("Oatmeal"), QStringLiteral("Rice")}));
        QCOMPARE(storedNames(TODAY.addDays(3)), QStringList{QStringLiteral("Soup")});
        QCOMPARE(storedNames(TODAY.addDays(4)), QStringList{QStringLiteral("Deep")});
        QCOMPARE(storedNames(TODAY.addDays(1)), QStringList{QStringLiteral("Stored")});
        QCOMPARE(storedNames(TODAY.addDays(8)), QStringList());
        const DBTypes::FoodDiaryItem soup = MealPlanDB::instance()->getDay(_user, code(TODAY.addDays(3)).constData(), false).value().foods.at(0);
        QCOMPARE(soup.meal, 3);
        QCOMPARE(soup.getNutrient(DBTypes::ENERGY), 120.0f);
        // The meal is read whatever its case.
        QList<int> meals;
        const std::optional<DBTypes::DiaryDay> planned =
            MealPlanDB::instance()->getDay(_user, code(TODAY.addDays(5)).constData(), false);
        for (const DBTypes::FoodDiaryItem& item : planned.value().foods)
            meals << item.meal;
        std::sort(meals.begin(), meals.end());
        QCOMPARE(meals, QList<int>({1, 5}));
        QCOMPARE(MealPlanDB::instance()->getDay(_user, code(TODAY.addDays(4)).constData(), false).value().foods.at(0).meal, 3);
        QVERIFY(!MealPlanDownloader::instance()->stillGoing());
    }

    // An https address is fetched over TLS from a server with the right certificate; one
    // whose certificate fails a check is sent nothing, and the failure names it and why.
    void downloadsOverTls_data() { TestCertificates::addServiceTable(); }

    void downloadsOverTls()
    {
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer server(certificates.serverConfiguration(TestCertificates::Kind(kind)));
        QVERIFY(loadBrand(server));
        server.answer(plan(food(QStringLiteral("Oatmeal"), TODAY.addDays(2))));
        QSignalSpy done(MealPlanDownloader::instance(), &MealPlanDownloader::downloadDone);
        const bool started = MealPlanDownloader::instance()->getMore();
        const bool ended = started && done.wait(5000);
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrand(_server));
        QVERIFY(ended);
        QTest::qWait(50);
        QCOMPARE(done.size(), 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(done.at(0), (QList<QVariant>{true, refusal}));
            QVERIFY(server.received().isEmpty());
            QCOMPARE(storedNames(TODAY.addDays(2)), QStringList());
            return;
        }
        QCOMPARE(done.at(0), (QList<QVariant>{false, QString()}));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().contains("user=planner&pwhash="));
        QCOMPARE(storedNames(TODAY.addDays(2)), QStringList{QStringLiteral("Oatmeal")});
    }

    // A listener that runs an event loop on the first progress report, while the service sends
    // the rest of a long plan, misses nothing, over TLS as over plain TCP.
    void downloadsWhateverTheListenersDo_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("waitingListener");
        QTest::newRow("plain, waiting listener") << false << true;
        QTest::newRow("TLS, waiting listener") << true << true;
    }

    void downloadsWhateverTheListenersDo()
    {
        QFETCH(bool, tls);
        QFETCH(bool, waitingListener);
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : _server;
        QVERIFY(loadBrand(server));
        const QByteArray whole = plan("<!--" + QByteArray(440 * 1000, 'x') + "-->" + food(QStringLiteral("Oatmeal"), TODAY.addDays(2)));
        const qsizetype split = whole.indexOf("<!--") + 1000;
        server.answer(waitingListener ? whole.left(split) : whole);
        bool waited = false;
        QMetaObject::Connection listener;
        if (waitingListener) {
            listener = connect(MealPlanDownloader::instance(), &MealPlanDownloader::downloadProgress, this,
                               server.slowListener(whole.mid(split), &waited));
        }
        QSignalSpy done(MealPlanDownloader::instance(), &MealPlanDownloader::downloadDone);
        const bool started = MealPlanDownloader::instance()->getMore();
        const bool ended = started && done.wait(5000);
        disconnect(listener);
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrand(_server));
        QVERIFY(ended);
        QCOMPARE(waited, waitingListener);
        QCOMPARE(done.at(0), (QList<QVariant>{false, QString()}));
        QVERIFY(server.requests().last().contains("user=planner&pwhash="));
        QCOMPARE(storedNames(TODAY.addDays(2)), QStringList{QStringLiteral("Oatmeal")});
    }

    void duplicatesAreStoredOnce()
    {
        const QByteArray oatmeal = food(QStringLiteral("Oatmeal"), TODAY.addDays(5));
        QCOMPARE(download(plan(oatmeal + oatmeal)), (QList<QVariant>{false, QString()}));
        QCOMPARE(storedNames(TODAY.addDays(5)), QStringList{QStringLiteral("Oatmeal")});
    }

    void failuresStoreNothing_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("text");
        const QString unknown = QStringLiteral("Unknown error. Please make sure you're connected to the internet, "
                                               "and your username/password are set correctly.");
        const QByteArray oatmeal = food(QStringLiteral("Oatmeal"), TODAY.addDays(2));
        QTest::newRow("service error") << TestHttpServer::ok("<mealplan><day>" + oatmeal
                                                             + "</day><mealplan errno=\"17\" errstr=\"Bad login\"/>"
                                                               "</mealplan>")
                                       << QStringLiteral("Bad login (17)");
        QTest::newRow("status 500") << QByteArray("HTTP/1.1 500 Oops\r\nContent-Length: 35\r\n\r\n<mealplan>" + QByteArray(25, ' ') + "")
                                    << unknown;
        QTest::newRow("malformed") << TestHttpServer::ok("<mealplan>" + oatmeal + "<food")
                                   << QStringLiteral("The meal plan service sent a reply that could not be read. "
                                                     "Please try again later.");
    }

    void failuresStoreNothing()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, text);
        QCOMPARE(download(answer), (QList<QVariant>{true, text}));
        QCOMPARE(storedNames(TODAY.addDays(2)), QStringList());
        QVERIFY(!MealPlanDownloader::instance()->stillGoing());
    }

    void foodsGoToTheUserWhoAsked()
    {
        const int other = addCompleteUser(QStringLiteral("Other"));
        QVERIFY(other >= 0);
        _server.answer(plan(food(QStringLiteral("Oatmeal"), TODAY.addDays(2))), TestHttpServer::Answer::KeepOpen);
        QSignalSpy done(MealPlanDownloader::instance(), &MealPlanDownloader::downloadDone);
        QVERIFY(MealPlanDownloader::instance()->getMore());
        UserDB::instance()->setCurrentUser(other);
        QVERIFY(done.wait(5000));
        QCOMPARE(storedNames(TODAY.addDays(2)), QStringList{QStringLiteral("Oatmeal")});
        QCOMPARE(storedNames(TODAY.addDays(2), other), QStringList());
    }

    void missingLoginStartsNothingAndStaysIdle()
    {
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(_user).value();
        const DBTypes::UserPrefs saved = prefs;
        prefs.webPassword.clear();
        QVERIFY(UserDB::instance()->setUserPrefs(_user, prefs));
        const int requests = _server.requests().size();
        const bool started = MealPlanDownloader::instance()->getMore();
        QVERIFY(UserDB::instance()->setUserPrefs(_user, saved));
        QVERIFY(!started);
        QVERIFY(MealPlanDownloader::instance()->errorString().contains(QStringLiteral("You have not set your username")));
        QVERIFY(!MealPlanDownloader::instance()->stillGoing());
        QCOMPARE(_server.requests().size(), requests);
        // Once the login is back, a download starts.
        QCOMPARE(download(plan(QByteArray())), (QList<QVariant>{false, QString()}));
    }

    void connectionFailureReportedOnce()
    {
        _server.answer(QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort"), TestHttpServer::Answer::Abort);
        QSignalSpy done(MealPlanDownloader::instance(), &MealPlanDownloader::downloadDone);
        QVERIFY(MealPlanDownloader::instance()->getMore());
        QVERIFY(done.wait(5000));
        QTest::qWait(100);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QVERIFY(!done.at(0).at(1).toString().isEmpty());
        QVERIFY(!MealPlanDownloader::instance()->stillGoing());
    }
};

QTEST_MAIN(TestMealPlanDownloader)
#include "tst_mealplandownloader.moc"
