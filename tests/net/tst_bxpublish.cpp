// Publishing the diary: the document built from a real user database, and whole publishes
// against a web server on 127.0.0.1 that answers from a script, under the progress dialog.

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/diaryday.h"
#include "net/bxhttp.h"
#include "net/bxpublish.h"
#include "net/publishprogressdialog.h"
#include "publishfixture.h"
#include "testbrand.h"
#include "net/qtsslsocket.h"
#include "outdatedtlsserver.h"
#include "testcertificates.h"
#include "testhttpsserver.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <optional>

using namespace PublishFixture;
using DBTypes::DiaryDay;

namespace {

// The row of a server that offers only TLS 1.0, beside the certificate kinds.
constexpr int OutdatedProtocol = -1;

const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n";
const QString WebAddress = QStringLiteral("diary.example");

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool loadBrand(const QString& publishUrl)
{
    BrandEngine::cleanUp();
    return importBrandWithOverrides({{QStringLiteral("publish_auth_url"), publishUrl},
                                     {QStringLiteral("web_address"), WebAddress}},
                                    {{QStringLiteral("publish_enabled"), true}});
}

QString lastSyncDate()
{
    return BXSettings().readEntry(QStringLiteral("LastSyncDate"));
}

// How one run of the progress dialog ended, read just before the dialog closed.
struct Outcome
{
    QStringList texts;   // the five step texts
    QList<bool> crosses; // per step: whether it shows the cross rather than the tick
    bool finished = false;
};

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

class TestBxPublish : public QObject
{
    Q_OBJECT

private:
    TestHttpServer _server;
    QImage _cross;

    QString publishUrl() const { return _server.url(QStringLiteral("/update?user=${USERNAME}&pw=${PWHASH}")); }

    // Publishes once. Before it starts, `before` may listen to the publisher; while the dialog
    // runs, `during` may act (it returns true once it has); once the run has finished, the
    // dialog's state is read and its button pressed.
    Outcome publish(const std::function<bool(PublishProgressDialog*)>& during = {}, const char* picture = nullptr,
                    const std::function<void(BxPublish&)>& before = {})
    {
        QWidget window;
        BxPublish publisher(&window);
        if (before)
            before(publisher);
        PublishProgressDialog* dialog = publisher.progressDialog();
        Outcome outcome;
        bool acted = false;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!dialog->isVisible())
                return;
            if (during && !acted && !dialog->isFinished()) {
                acted = during(dialog);
                return;
            }
            if (!dialog->isFinished())
                return;
            poll.stop();
            for (QLabel* text : {dialog->connectingLabel, dialog->sendingLabel, dialog->readingLabel,
                                 dialog->closingLabel, dialog->doneLabel})
                outcome.texts << text->text();
            for (QLabel* tick : {dialog->connectingTickLabel, dialog->sendingTickLabel, dialog->readingTickLabel,
                                 dialog->disconnectingTickLabel, dialog->doneTickLabel})
                outcome.crosses << (tick->pixmap().toImage() == _cross);
            outcome.finished = true;
            if (picture)
                saveWidgetPicture(dialog, QLatin1String(picture));
            QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
        });
        poll.start();
        if (publisher.prepare())
            publisher.publish();
        return outcome;
    }

    // A diary day, a check-in and water, all waiting for the web diary.
    void addChanges()
    {
        addFood("20260302", DiaryDay::BREAKFAST, QStringLiteral("Crème brûlée"));
        addExercise("20260302", 30.0f, 5.5f, QStringLiteral("Walking"));
        weigh("20260302", 70.5f);
        UserDB::instance()->setFluid(UserDB::instance()->getCurrentUser(), "20260302", 4);
    }

    bool nothingPublished()
    {
        return webRowsNotInStep("food_diary") == 1 && webRowsNotInStep("exer_diary") == 1
            && webRowsNotInStep("user_checkins") == 1 && webRowsNotInStep("water_diary") == 1
            && lastSyncDate().isEmpty();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(loadBrand(publishUrl()));
        _cross = BrandEngine::instance()->getPixmap("graphics.icon.cross").toImage();
        QHttps::Timeouts timeouts;
        timeouts.connect = 1000;
        timeouts.stall = 1000;
        QHttps::setDefaultTimeouts(timeouts);
        Clock::setNow(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
    }

    void init()
    {
        startUserDatabase();
        BXSettings().writeEntry(QStringLiteral("LastSyncDate"), QString());
    }

    void cleanupTestCase()
    {
        stopUserDatabase();
        BrandEngine::cleanUp();
        Clock::reset();
    }

    void documentHoldsEveryKindOfChange()
    {
        const qint64 user = UserDB::instance()->getCurrentUser();
        addFood("20260302", DiaryDay::BREAKFAST, QStringLiteral("Tom's \"Fish\" & Chips"));
        addFood("20260302", DiaryDay::MORNING_SNACK, QStringLiteral("Nuts"), 250.0f);
        addExercise("20260302", 30.0f, 5.5f, QStringLiteral("Walking"));
        addFood("20010115", DiaryDay::DINNER, QStringLiteral("Soup"), 80.0f);
        // A day whose entries were all deleted.
        const int gone = addFood("20260301", DiaryDay::LUNCH, QStringLiteral("Bread"));
        DiaryDB::instance()->removeFoodEntry(user, gone, false);
        weigh("20260303", 70.5f);
        weigh("20260304", 71.0f);
        QVERIFY(UserDB::instance()->setDaysMeasurements(user, "20260304", UserMeasurements()));
        UserDB::instance()->setFluid(user, "20260302", 4);

        BxPublish publisher(nullptr);
        const std::string food = "qty=\"1.5\" desc=\"%1\" serving=\"cup\" calories=\"%2\" fat=\"2.5\" "
                                 "fiber=\"-999\" protein=\"0.333333\" carbs=\"-999\" "
                                 "saturated_fatty_acids=\"-999\" cholesterol=\"-999\" sodium=\"1e+06\" "
                                 "sugars=\"-999\" calcium=\"-999\" />\n";
        auto foodLine = [&](const char* desc, const char* energy) {
            return QString::fromStdString(food).arg(QLatin1String(desc), QLatin1String(energy)).toStdString();
        };
        const std::string expected = std::string(Declaration)
            + "<diaryupdate protocol=\"1.1\" platform=\"WINDOWS\" os=\"WIN32\" locate=\"US\" >\n"
              "  <diary >\n"
              "    <diaryday date=\"2026-03-02\" >\n"
              "      <group id=\"66\" date=\"2026-03-02\" meal=\"B\" desc=\"Breakfast\" >\n"
              "        <food " + foodLine("Tom's &quot;Fish&quot; &amp; Chips", "100")
            + "      </group>\n"
              "      <group id=\"83\" date=\"2026-03-02\" meal=\"S\" desc=\"Snack\" >\n"
              "        <food " + foodLine("Nuts", "250")
            + "      </group>\n"
              "      <group id=\"69\" date=\"2026-03-02\" meal=\"E\" desc=\"Exercise\" >\n"
              "        <exercise duration=\"30\" desc=\"Walking\" calories=\"165\" />\n"
              "      </group>\n"
              "    </diaryday>\n"
              "    <diaryday date=\"2026-03-01\" />\n"
              "    <diaryday date=\"2001-01-15\" >\n"
              "      <group id=\"68\" date=\"2001-01-15\" meal=\"D\" desc=\"Dinner\" >\n"
              "        <food " + foodLine("Soup", "80")
            + "      </group>\n"
              "    </diaryday>\n"
              "  </diary>\n"
              "  <checkins >\n"
              "    <checkin date=\"2026-03-03\" weight=\"70.5\" />\n"
              "    <checkin date=\"2026-03-04\" />\n"
              "  </checkins>\n"
              "  <waters >\n"
              "    <water date=\"2026-03-02\" cups=\"4\" />\n"
              "  </waters>\n"
              "</diaryupdate>\n";
        QCOMPARE(QString::fromStdString(publisher.publishXML()), QString::fromStdString(expected));
    }

    void nothingChangedGivesEmptySections()
    {
        BxPublish publisher(nullptr);
        QCOMPARE(publisher.publishXML(),
                 std::string(Declaration)
                     + "<diaryupdate protocol=\"1.1\" platform=\"WINDOWS\" os=\"WIN32\" locate=\"US\" >\n"
                       "  <diary />\n  <checkins />\n  <waters />\n</diaryupdate>\n");
    }

    void entryLimitKeepsOlderDaysBack()
    {
        addFoods("20260301", 600);
        addFoods("20260302", 1500);
        std::string document = BxPublish(nullptr).publishXML();
        QCOMPARE(count(document, "<diaryday "), 1);
        QCOMPARE(count(document, "<diaryday date=\"2026-03-02\""), 1);

        init();
        addFoods("20260301", 600);
        addFoods("20260302", 1400);
        document = BxPublish(nullptr).publishXML();
        QCOMPARE(count(document, "<diaryday "), 2);
        QCOMPARE(count(document, "<food "), 2000);

        init();
        addFoods("20260302", 2001);
        weigh("20260303", 70.0f);
        document = BxPublish(nullptr).publishXML();
        QVERIFY(document.find("  <diary />\n") != std::string::npos);
        QCOMPARE(count(document, "<checkin "), 1);
    }

    void acceptedReplyMarksThePublishedDataInStep()
    {
        addChanges();
        _server.answer(TestHttpServer::ok("<response errno=\"0\" show=\"yes\"/>"));
        const int before = _server.requests().size();
        const Outcome outcome = publish({}, "publish-progress-succeeded");
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.texts.at(2), QStringLiteral("Reading (Publish completed!)"));
        QCOMPARE(outcome.crosses, QList<bool>({false, false, false, false, false}));
        QCOMPARE(lastSyncDate(), QStringLiteral("20260310"));
        for (const char* table : {"food_diary", "exer_diary", "user_checkins", "water_diary"})
            QCOMPARE(webRowsNotInStep(table), 0);

        // The body is the form field of the exact UTF-8 document, with its counted zero byte.
        QCOMPARE(_server.requests().size(), before + 1);
        const QByteArray request = _server.requests().last();
        QVERIFY(request.startsWith("POST " + _server.url(QStringLiteral("/update?user=pat&pw=")).toUtf8()));
        const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
        QVERIFY(request.contains("\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n")
                || request.contains("\r\ncontent-length: " + QByteArray::number(body.size()) + "\r\n"));
        QVERIFY(body.startsWith("xml="));
        QVERIFY(body.endsWith('\0'));
        const QByteArray document = QByteArray::fromPercentEncoding(body.mid(4).chopped(1));
        QVERIFY(document.contains("desc=\"Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9" "e\""));
        QVERIFY(document.startsWith(Declaration));
        QVERIFY(document.endsWith("</diaryupdate>\n"));
    }

    void refusedRepliesPublishNothing_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("readingText");
        QTest::addColumn<bool>("diaryHeld");
        const QString cannot = QStringLiteral("Reading (FAILED!! Cannot interpret reply from %1)").arg(WebAddress);
        QTest::newRow("service error")
            << TestHttpServer::ok("<response errno=\"12\" errstr=\"Wrong password\"/>")
            << QStringLiteral("Reading (FAILED!! Error message from %1 <Wrong password>)").arg(WebAddress)
            << false;
        QTest::newRow("server error with errno 0")
            << QByteArray("HTTP/1.1 500 Oops\r\nContent-Length: 21\r\n\r\n<response errno=\"0\"/>") << cannot << false;
        QTest::newRow("html page") << TestHttpServer::ok("<html><body>Not found<br></body></html>") << cannot << false;
        QTest::newRow("no response element") << TestHttpServer::ok("<reply errno=\"0\"/>") << cannot << false;
        QTest::newRow("errno not a number") << TestHttpServer::ok("<response errno=\"abc\"/>") << cannot << false;
        // The server took the diary, but another program holds it: the user is offered Retry
        // and cancels; what was sent is offered again next time and the run is no success.
        QTest::newRow("diary held while marking")
            << TestHttpServer::ok("<response errno=\"0\" show=\"yes\"/>")
            << QStringLiteral("Reading (FAILED!! The sent entries were not marked in your diary: they "
                              "are offered again next time.)")
            << true;
    }

    void refusedRepliesPublishNothing()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, diaryHeld);
        addChanges();
        _server.answer(reply);
        std::optional<OtherReader> other;
        std::optional<BusyWaits> waits;
        ScriptedPrompter prompter;
        const Outcome outcome = publish(
            {}, QTest::currentDataTag() == QLatin1String("service error") ? "publish-progress-refused" : nullptr,
            [&](BxPublish& publisher) {
                if (!diaryHeld)
                    return;
                // The other program takes the diary as the reply comes in.
                connect(publisher.findChild<BXHttp*>(), &BXHttp::readyRead, this, [&] {
                    if (other)
                        return;
                    other.emplace(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"),
                                  OtherReader::Exclusive);
                    waits.emplace(100);
                });
            });
        QCOMPARE(other && other->reading(), diaryHeld);
        QCOMPARE(waits ? waits->count() : 0, diaryHeld ? 1 : 0);
        QCOMPARE(prompter.asked.size(), diaryHeld ? 1 : 0);
        QVERIFY(!diaryHeld || prompter.asked.at(0).options.contains(QStringLiteral("Retry")));
        waits.reset();
        other.reset();
        QVERIFY(outcome.finished);
        QTEST(outcome.texts.at(2), "readingText");
        QCOMPARE(outcome.texts.mid(3), QStringList({QStringLiteral("Skipped"), QStringLiteral("Skipped")}));
        QCOMPARE(outcome.crosses, QList<bool>({false, false, true, true, true}));
        QVERIFY(nothingPublished());
    }

    void unreachableServerCrossesEveryStep()
    {
        QVERIFY(loadBrand(QStringLiteral("http://127.0.0.1:%1/update?user=${USERNAME}").arg(closedPort())));
        addChanges();
        const Outcome outcome = publish({}, "publish-progress-failed");
        QVERIFY(loadBrand(publishUrl()));
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.texts.at(0),
                 QStringLiteral("Connection to %1 failed. Check proxy and Internet settings.").arg(WebAddress));
        QCOMPARE(outcome.texts.mid(1), QStringList(4, QStringLiteral("Skipped")));
        QCOMPARE(outcome.crosses, QList<bool>(5, true));
        QVERIFY(nothingPublished());
    }

    // An https address publishes over TLS, login and all, to a server with the right
    // certificate. One whose certificate fails a check is sent nothing, not even the login,
    // and the dialog names it and why. So is a server that offers only an outdated protocol,
    // without sending the user to the proxy settings.
    void publishesOverTls_data()
    {
        TestCertificates::addServiceTable();
        QTest::newRow("TLS 1.0 only")
            << QString() << OutdatedProtocol
            << QStringLiteral("The secure connection to 127.0.0.1 failed: the server offers only an outdated protocol.");
    }

    void publishesOverTls()
    {
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        const bool outdated = kind == OutdatedProtocol;
        TestHttpsServer server(certificates.serverConfiguration(outdated ? TestCertificates::Good
                                                                         : TestCertificates::Kind(kind)));
        OutdatedTlsServer oldServer(certificates.serverConfiguration(TestCertificates::Good));
        const QString site = outdated ? QStringLiteral("https://127.0.0.1:%1").arg(oldServer.port()) : server.url(QString());
        QVERIFY(loadBrand(site + QStringLiteral("/update?user=${USERNAME}&pw=${PWHASH}")));
        addChanges();
        server.answer(TestHttpServer::ok("<response errno=\"0\"/>"));
        const Outcome outcome = publish({}, nullptr);
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrand(publishUrl()));
        QVERIFY(outcome.finished);
        if (!refusal.isEmpty()) {
            QCOMPARE(outcome.texts.at(0), refusal);
            QCOMPARE(outcome.texts.mid(1), QStringList(4, QStringLiteral("Skipped")));
            QCOMPARE(outcome.crosses, QList<bool>(5, true));
            QVERIFY(server.received().isEmpty());
            QVERIFY(nothingPublished());
            return;
        }
        QCOMPARE(outcome.crosses, QList<bool>({false, false, false, false, false}));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().startsWith("POST " + server.url(QStringLiteral("/update?user=pat")).toUtf8()));
        QCOMPARE(webRowsNotInStep("food_diary"), 0);
    }

    // A listener that runs an event loop on the first bytes of the reply, while the server
    // sends the rest of a long one, leaves the publish to finish, over TLS as over plain TCP.
    void publishesWhateverTheListenersDo_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("waitingListener");
        QTest::newRow("plain, waiting listener") << false << true;
        QTest::newRow("TLS, waiting listener") << true << true;
    }

    void publishesWhateverTheListenersDo()
    {
        QFETCH(bool, tls);
        QFETCH(bool, waitingListener);
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : plain;
        QVERIFY(loadBrand(server.url(QStringLiteral("/update?user=${USERNAME}&pw=${PWHASH}"))));
        addChanges();
        const QByteArray reply =
            TestHttpServer::ok("<!--" + QByteArray(440 * 1000, 'x') + "--><response errno=\"0\"/>");
        const qsizetype split = reply.indexOf("<!--") + 1000;
        server.answer(waitingListener ? reply.left(split) : reply);
        bool waited = false;
        const Outcome outcome = publish({}, nullptr, [&](BxPublish& publisher) {
            if (waitingListener)
                connect(publisher.findChild<BXHttp*>(), &BXHttp::readyRead, this,
                        server.slowListener(reply.mid(split), &waited));
        });
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrand(publishUrl()));
        QVERIFY(outcome.finished);
        QCOMPARE(waited, waitingListener);
        QCOMPARE(outcome.crosses, QList<bool>({false, false, false, false, false}));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().startsWith("POST " + server.url(QStringLiteral("/update?user=pat")).toUtf8()));
        QCOMPARE(webRowsNotInStep("food_diary"), 0);
    }

    void cancelWhileTheServerStallsAborts()
    {
        addChanges();
        TestHttpServer::Answer stall;
        stall.end = TestHttpServer::Answer::Stall;
        _server.answer(stall);
        const int before = _server.requests().size();
        bool pictured = false;
        const Outcome outcome = publish([&](PublishProgressDialog* dialog) {
            if (_server.requests().size() == before)
                return false;
            if (!pictured)
                saveWidgetPicture(dialog, QStringLiteral("publish-progress-running"));
            pictured = true;
            QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
            return true;
        });
        QVERIFY(!outcome.finished);
        QVERIFY(nothingPublished());
        _server.closeAll();
    }

    void daysHeldBackGoOutNextTime()
    {
        addFoods("20260301", 600);
        addFoods("20260302", 1500);
        _server.answer(TestHttpServer::ok("<response errno=\"0\"/>"));
        QVERIFY(publish().finished);
        QCOMPARE(DiaryDB::instance()->getChangedDayList(), std::set<std::string>({"20260301"}));
        QCOMPARE(webRowsNotInStep("food_diary"), 600);

        _server.answer(TestHttpServer::ok("<response errno=\"0\"/>"));
        QVERIFY(publish().finished);
        const QByteArray body = _server.requests().last();
        QVERIFY(body.contains(QByteArray("date%3D%222026-03-01%22")));
        QVERIFY(DiaryDB::instance()->getChangedDayList().value().empty());
    }

    void missingWebLoginIsExplainedBeforeAnythingIsSent()
    {
        const qint64 user = UserDB::instance()->getCurrentUser();
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(user).value();
        prefs.webUserName.clear();
        UserDB::instance()->setUserPrefs(user, prefs);
        ScriptedPrompter prompter;
        BxPublish publisher(nullptr);
        const int before = _server.requests().size();
        QVERIFY(!publisher.prepare());
        publisher.publish();
        QCOMPARE(prompter.asked.size(), 2);
        QCOMPARE(prompter.asked.at(0).caption, QStringLiteral("Publish Diary"));
        QVERIFY(prompter.asked.at(0).text.contains(QStringLiteral("You have not set your username or password")));
        QCOMPARE(_server.requests().size(), before);
    }
};

QTEST_MAIN(TestBxPublish)
#include "tst_bxpublish.moc"
