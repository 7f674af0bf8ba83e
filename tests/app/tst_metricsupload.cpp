// The usage report sent by the main window after start, over TLS to a server on 127.0.0.1
// with certificates made for the test: only an accepted report marks the data reported.

#include "app/mainwindow.h"
#include "core/brandengine.h"
#include "net/bxhttp.h"
#include "net/metrics.h"
#include "net/qtsslsocket.h"
#include "tests/app/mainwindowdoubles.h"
#include "tests/net/testcertificates.h"
#include "tests/net/testhttpsserver.h"
#include "tests/support/brandinfront.h"
#include "tests/support/processmemory.h"
#include "userdb/userdb.h"

#include <QPointer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace MainWindowTest;

namespace {

// The real main window and its real uploader, with message boxes recorded instead of shown.
class MetricsWindow : public MainWindow
{
public:
    MetricsWindow() : MainWindow(nullptr, "MainWindow") {}

    QPointer<QObject> uploader;
    int uploaders = 0;
    QList<bool> results;  // what each report ended with (true: failed)
    QStringList captions;
    QStringList texts;
    // Runs while a message is up, as the user reads it.
    std::function<void()> whileShown;
    // Made current once the report has been built.
    int switchTo = -1;

protected:
    QObject* createMetricsUploader() override
    {
        uploader = MainWindow::createMetricsUploader();
        ++uploaders;
        connect(static_cast<Metrics*>(uploader.data()), &Metrics::done, this,
                [this](bool error) { results << error; });
        return uploader;
    }
    void startMetricsUpload(QObject* metrics) override
    {
        MainWindow::startMetricsUpload(metrics);
        if (switchTo >= 0)
            UserDB::instance()->setCurrentUser(switchTo);
    }
    QMessageBox::StandardButton showMessage(QMessageBox::Icon, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons, QMessageBox::StandardButton,
                                            const QString&, const QString&) override
    {
        captions << caption;
        texts << text;
        if (whileShown)
            whileShown();
        return QMessageBox::Ok;
    }
};

QString brandFor(const TestHttpServer& server)
{
    return QStringLiteral("<brand>\n<bool id=\"metrics_enabled\" value=\"true\"/>\n"
                          "<bool id=\"feature.family\" value=\"true\"/>\n"
                          "<string id=\"metrics_auth_url\" value=\"%1\"/>\n</brand>\n")
        .arg(server.url(QStringLiteral("/usage?product=${PRODUCT}&amp;platform=${PLATFORM}")));
}

} // namespace

class TestMetricsUpload : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestCertificates> _certificates;
    qint64 _ann = -1;
    qint64 _bob = -1;

    // Starts the main window against a server presenting that certificate; the report goes
    // out on its own shortly after.
    std::unique_ptr<MetricsWindow> startWindow(TestHttpsServer& server)
    {
        if (!loadBrandInFront(brandFor(server)))
            qFatal("cannot load the test brand");
        UserDB::instance()->setCurrentUser(_ann);
        return std::make_unique<MetricsWindow>();
    }

    int unreported(qint64 user) { return UserDB::instance()->getLoginDays(user).value().size(); }

private slots:
    void initTestCase()
    {
        _certificates = std::make_unique<TestCertificates>();
        QtSSLSocket::setDefaultCACertFile(_certificates->caFile());
        QHttps::Timeouts timeouts;
        timeouts.connect = 1000;
        timeouts.handshake = 1000;
        timeouts.stall = 1000;
        QHttps::setDefaultTimeouts(timeouts);
        BXHttp::setPreconnectWait(1000);
    }

    void init()
    {
        loadBrand(BrandSwitches());
        startFreshDatabase();
        _ann = addUser(QStringLiteral("Ann"));
        _bob = addUser(QStringLiteral("Bob"));
        UserDB::instance()->setCurrentUser(_bob);
        UserDB::instance()->incrementLogin();
        UserDB::instance()->setCurrentUser(_ann);
        UserDB::instance()->incrementLogin();
    }

    void cleanupTestCase()
    {
        QtSSLSocket::setDefaultCACertFile(QString());
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void acceptedReportMarksThatUsersDataReported()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        server.answer(TestHttpServer::ok("<response errno=\"0\"/>"));
        auto window = startWindow(server);
        // A user switch while the report is under way does not redirect its reset.
        window->switchTo = _bob;
        QTRY_COMPARE_WITH_TIMEOUT(window->results, QList<bool>({false}), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(window->uploader.isNull(), 2000);
        QCOMPARE(window->uploaders, 1);
        QCOMPARE(server.requests().size(), 1);
        const QByteArray request = server.requests().first();
        QVERIFY(request.startsWith("POST " + server.url(QStringLiteral("/usage?product=")).toUtf8()));
        QVERIFY(request.contains("xml=%3C%3Fxml"));
        QCOMPARE(unreported(_ann), 0);
        QCOMPARE(unreported(_bob), 1);
        QVERIFY(window->captions.isEmpty());
    }

    // A server whose certificate fails a check is sent nothing; the failure names it and why.
    void doubtfulCertificatesStopBeforeAnythingIsSent_data() { TestCertificates::addServiceTable(); }

    void doubtfulCertificatesStopBeforeAnythingIsSent()
    {
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Kind(kind)));
        server.answer(TestHttpServer::ok("<response errno=\"0\"/>"));
        auto window = startWindow(server);
        QTRY_COMPARE_WITH_TIMEOUT(window->results, QList<bool>({!refusal.isEmpty()}), 3000);
        if (refusal.isEmpty()) {
            QCOMPARE(unreported(_ann), 0);
            return;
        }
        QCOMPARE(static_cast<Metrics*>(window->uploader.data())->getLastError(), refusal);
        QVERIFY(server.received().isEmpty());
        QCOMPARE(unreported(_ann), 1);
    }

    void refusedRepliesLeaveTheDataUnreported_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QString>("error");
        QTest::newRow("server error with errno 0")
            << QList<QByteArray>{"HTTP/1.1 500 Oops\r\nContent-Length: 21\r\n\r\n<response errno=\"0\"/>"}
            << QStringLiteral("error - 500");
        QTest::newRow("empty body") << QList<QByteArray>{TestHttpServer::ok("")}
                                    << QStringLiteral("HTTPS error - No content");
        QTest::newRow("not xml") << QList<QByteArray>{TestHttpServer::ok("<html><br></html>")}
                                 << QStringLiteral("HTTPS error - Cannot interpret content");
        QTest::newRow("no response element") << QList<QByteArray>{TestHttpServer::ok("<reply errno=\"0\"/>")}
                                             << QStringLiteral("HTTPS error - Cannot interpret content");
        QTest::newRow("service error")
            << QList<QByteArray>{TestHttpServer::ok("<response errno=\"5\" errstr=\"Unknown product\"/>")}
            << QStringLiteral("Unknown product");
    }

    void refusedRepliesLeaveTheDataUnreported()
    {
        QFETCH(QList<QByteArray>, pieces);
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        server.answer({pieces, 0, TestHttpServer::Answer::Close, {}, 0});
        auto window = startWindow(server);
        QTRY_COMPARE_WITH_TIMEOUT(window->results, QList<bool>({true}), 3000);
        QTEST(static_cast<Metrics*>(window->uploader.data())->getLastError(), "error");
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(unreported(_ann), 1);
    }

    void thirdFailureIsShown()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        for (int attempt = 0; attempt < 3; ++attempt)
            server.answer(TestHttpServer::ok("<response errno=\"5\" errstr=\"Unknown product\"/>"));
        auto window = startWindow(server);
        QTRY_COMPARE_WITH_TIMEOUT(window->captions.size(), 1, 6000);
        QCOMPARE(window->results, QList<bool>({true, true, true}));
        QCOMPARE(window->captions.first(), QStringLiteral("Cannot send metrics"));
        QCOMPARE(window->texts.first(),
                 QStringLiteral("Please contact technical support with the following message\nError: Unknown product"));
        QCOMPARE(server.requests().size(), 3);
        QCOMPARE(unreported(_ann), 1);
    }

    // Replies of 10 GiB fail at the size limit; each failed request's connection is closed
    // before anyone hears of the failure, so nothing more is read while the failure is shown,
    // and memory stays bounded.
    void endlessRepliesLeaveMemoryBounded_data()
    {
        QTest::addColumn<int>("framing");
        QTest::newRow("until close") << int(TestHttpServer::Framing::UntilClose);
        QTest::newRow("chunked") << int(TestHttpServer::Framing::Chunked);
        QTest::newRow("counted") << int(TestHttpServer::Framing::Counted);
    }

    void endlessRepliesLeaveMemoryBounded()
    {
        QFETCH(int, framing);
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        for (int attempt = 0; attempt < 3; ++attempt)
            server.answer(TestHttpServer::tenGigabytes(TestHttpServer::Framing(framing)));
        const qint64 before = residentBytes();
        auto window = startWindow(server);
        qint64 grown = -1;
        int openWhileShown = -1;
        window->whileShown = [&] {
            QTest::qWait(1000);
            grown = residentBytes() - before;
            openWhileShown = server.openConnections();
        };
        QTRY_COMPARE_WITH_TIMEOUT(window->captions.size(), 1, 15000);
        QCOMPARE(window->results, QList<bool>({true, true, true}));
        QVERIFY2(window->texts.first().contains(QLatin1String("Response too large")), qPrintable(window->texts.first()));
        QCOMPARE(openWhileShown, 0);
        QVERIFY2(grown < BoundedGrowth, qPrintable(QString::number(grown)));
        QVERIFY(server.fillerSent() < qint64(1024) * 1024 * 1024);
        QCOMPARE(unreported(_ann), 1);
    }

    void replyInTwoPiecesIsAccepted()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        const QByteArray reply = TestHttpServer::ok("<response errno=\"0\" errstr=\"\"/>");
        server.answer({{reply.left(reply.size() - 8), reply.right(8)}, 100, TestHttpServer::Answer::KeepOpen, {}, 0});
        auto window = startWindow(server);
        QTRY_COMPARE_WITH_TIMEOUT(window->results, QList<bool>({false}), 3000);
        QCOMPARE(unreported(_ann), 0);
        QVERIFY(window->captions.isEmpty());
    }
};

QTEST_MAIN(TestMetricsUpload)
#include "tst_metricsupload.moc"
