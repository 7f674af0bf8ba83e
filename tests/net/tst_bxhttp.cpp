// The request wrapper against web servers on 127.0.0.1: what every request carries, the
// texts for the user, and the connection made ahead for TLS.

#include "core/brandengine.h"
#include "net/bxhttp.h"
#include "net/qtsslsocket.h"
#include "outdatedtlsserver.h"
#include "testbrand.h"
#include "testcertificates.h"
#include "testhttpsserver.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

const QString s_connectionAdvice = QStringLiteral(
    ".\n\nThis could be caused by a problem with your Internet connection. "
    "Please make sure that your connection is working, and your proxy settings are correct.");

} // namespace

class TestBXHttp : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestCertificates> _certificates;
    TestHttpServer _feed;

private slots:
    void initTestCase()
    {
        QVERIFY(importBrandWithOverrides({{QStringLiteral("update_rss_url"), _feed.url(QStringLiteral("/feed.rss"))}},
                                         {{QStringLiteral("update_enabled"), true}}));
        _certificates = std::make_unique<TestCertificates>();
        QtSSLSocket::setDefaultCACertFile(_certificates->caFile());
        QHttps::Timeouts timeouts;
        timeouts.connect = 1000;
        timeouts.handshake = 1000;
        timeouts.stall = 1000;
        QHttps::setDefaultTimeouts(timeouts);
        BXHttp::setPreconnectWait(1000);
    }

    void cleanupTestCase()
    {
        QtSSLSocket::setDefaultCACertFile(QString());
        BrandEngine::cleanUp();
    }

    void overridesComeBeforeTheShippedBrand()
    {
        QCOMPARE(BrandEngine::instance()->getString("update_rss_url"), _feed.url(QStringLiteral("/feed.rss")));
        QVERIFY(BrandEngine::instance()->getBool("update_enabled"));
        QVERIFY(!BrandEngine::instance()->getBool("publish_enabled"));
    }

    void getCarriesTheWholeAddress()
    {
        _feed.answer(TestHttpServer::ok("<rss/>"));
        BXHttp http(_feed.url());
        QSignalSpy done(&http, &BXHttp::done);
        const int id = http.doGet(_feed.url(QStringLiteral("/feed.rss?a=1&b=x y")));
        QVERIFY(id > 0);
        QVERIFY(done.wait(2000));
        QCOMPARE(done.at(0).at(0).toBool(), false);
        QCOMPARE(http.readAll(), QByteArray("<rss/>"));
        const QByteArray port = QByteArray::number(_feed.port());
        const QByteArray agent = BrandEngine::instance()->getString("app_name_short").toUtf8();
        QCOMPARE(_feed.requests().last(),
                 "GET http://127.0.0.1:" + port + "/feed.rss?a=1&b=x%20y HTTP/1.1\r\n"
                 "host: 127.0.0.1:" + port + "\r\n"
                 "user-agent: " + agent + " Pantrel (WIN32; 4.1.0)\r\n\r\n");
    }

    void postEndsWithACountedZeroByte()
    {
        _feed.answer(TestHttpServer::ok("<response/>"));
        BXHttp http(_feed.url());
        QSignalSpy done(&http, &BXHttp::done);
        http.doPost(_feed.url(QStringLiteral("/publish")), QStringLiteral("xml=a"));
        QVERIFY(done.wait(2000));
        const QByteArray request = _feed.requests().last();
        QVERIFY(request.contains("content-length: 6\r\n"));
        QVERIFY(request.contains("content-type: application/x-www-form-urlencoded\r\n"));
        QVERIFY(request.endsWith(QByteArray("\r\n\r\nxml=a") + '\0'));
        QCOMPARE(http.readAll(), QByteArray("<response/>"));
    }

    void anErrorStatusIsNoFailure()
    {
        _feed.answer("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        BXHttp http(_feed.url());
        QSignalSpy done(&http, &BXHttp::done);
        QSignalSpy headers(&http, &BXHttp::responseHeaderReceived);
        http.doGet(_feed.url(QStringLiteral("/missing")));
        QVERIFY(done.wait(2000));
        QCOMPARE(done.at(0).at(0).toBool(), false);
        QCOMPARE(headers.at(0).at(0).value<QHttpsResponseHeader>().statusCode(), 404);
    }

    // Advice about the connection comes only where none could be made.
    void onlyAFailedConnectionCarriesAdvice()
    {
        const QString refusedUrl = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
        BXHttp refused(refusedUrl);
        QSignalSpy refusedDone(&refused, &BXHttp::done);
        refused.doGet(refusedUrl);
        QVERIFY(refusedDone.wait(2000));
        QCOMPARE(refused.errorString(),
                 QStringLiteral("The server 127.0.0.1 refused the connection.\n\n"
                                "This is most likely due to a problem with your proxy, "
                                "or proxy configuration. It could also be caused by any "
                                "problem with your Internet connection."));

        TestHttpServer silent;
        TestHttpServer::Answer stall;
        stall.end = TestHttpServer::Answer::Stall;
        silent.answer(stall);
        BXHttp stalled(silent.url());
        QSignalSpy stalledDone(&stalled, &BXHttp::done);
        stalled.doGet(silent.url());
        QVERIFY(stalledDone.wait(3000));
        QCOMPARE(stalled.errorString(),
                 QStringLiteral("The connection to 127.0.0.1 timed out: the server stopped answering."));
        QVERIFY(!stalled.couldNotConnect());
    }

    // The address alone decides: https goes over TLS, http in plain, anything else nowhere.
    void theSchemeDecidesTheConnection_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("reached");
        QTest::newRow("https") << "https" << true;
        QTest::newRow("upper-case HTTPS") << "HTTPS" << true;
        QTest::newRow("http") << "http" << true;
        QTest::newRow("ftp") << "ftp" << false;
        QTest::newRow("file") << "file" << false;
        QTest::newRow("no scheme") << "" << false;
    }

    void theSchemeDecidesTheConnection()
    {
        QFETCH(QString, scheme);
        QFETCH(bool, reached);
        TestHttpsServer secure(_certificates->serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        const bool tls = scheme.toLower() == QLatin1String("https");
        TestHttpServer& server = tls ? secure : plain;
        server.answer(TestHttpServer::ok("answer"));
        const QString url = QStringLiteral("%1://127.0.0.1:%2/doc").arg(scheme).arg(server.port());
        BXHttp http(scheme.isEmpty() ? QStringLiteral("127.0.0.1/doc") : url);
        QSignalSpy finished(&http, &BXHttp::requestFinished);
        const int id = http.doGet(url);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() && finished.last().at(0).toInt() == id, 2000);
        QCOMPARE(finished.last().at(1).toBool(), !reached);
        if (reached) {
            QCOMPARE(http.readAll(), QByteArray("answer"));
            QCOMPARE(server.requests().size(), 1);
            QCOMPARE(http.client()->isSSL(), tls);
        } else {
            QVERIFY(http.errorString().contains(QStringLiteral("only http and https addresses")));
            QTest::qWait(50);
            QCOMPARE(plain.acceptCount() + secure.acceptCount(), 0);
        }
    }

    void tlsRequestWithATrustedCertificate()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        server.answer(TestHttpServer::ok("<response status=\"ok\"/>"));
        server.answer(TestHttpServer::ok("again"));
        BXHttp http(server.url(QStringLiteral("/usage")));
        QSignalSpy reports(&http, &BXHttp::certCheckFailed);
        QSignalSpy done(&http, &BXHttp::done);
        const QString body(64 * 1024, QLatin1Char('m'));
        http.doPost(server.url(QStringLiteral("/usage")), body);
        QVERIFY(done.wait(2000));
        QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(http.errorString()));
        QVERIFY(reports.isEmpty());
        QCOMPARE(http.readAll(), QByteArray("<response status=\"ok\"/>"));
        QVERIFY(server.requests().at(0).endsWith(body.toLatin1() + '\0'));
        // A second request goes over the same connection.
        http.doGet(server.url(QStringLiteral("/again")));
        QVERIFY(done.wait(2000));
        QCOMPARE(done.at(1).at(0).toBool(), false);
        QCOMPARE(http.readAll(), QByteArray("again"));
        QCOMPARE(server.acceptCount(), 1);
    }

    // The client refuses the server itself: no listener is needed, nothing of the request is
    // written, and the text names the host and the reason without advice about the
    // connection. The socket's report still reaches listeners. A later request connects anew
    // and is refused the same way, as is every server when the trust list cannot be read.
    void aDoubtfulServerIsSentNothing()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::SelfSigned));
        server.answer(TestHttpServer::ok("secret"));
        for (const QString& trusted : {_certificates->caFile(), QStringLiteral("/nonexistent/ca.pem")}) {
            QtSSLSocket::setDefaultCACertFile(trusted);
            BXHttp http(server.url());
            QSignalSpy done(&http, &BXHttp::done);
            QSignalSpy reports(&http, &BXHttp::certCheckFailed);
            http.doGet(server.url());
            QVERIFY(done.wait(2000));
            QTest::qWait(100);
            QCOMPARE(done.size(), 1);
            QCOMPARE(done.at(0).at(0).toBool(), true);
            QCOMPARE(reports.size(), 1);
            const QString reason = reports.at(0).at(1).toString();
            QCOMPARE(reason, trusted == _certificates->caFile() ? QStringLiteral("Self signed certificate")
                                                                 : QStringLiteral("Cannot read root certificates"));
            const QString refusal =
                QStringLiteral("The identity of the server 127.0.0.1 could not be verified: %1.").arg(reason);
            QCOMPARE(http.errorString(), refusal);
            http.doGet(server.url());
            QVERIFY(done.wait(2000));
            QCOMPARE(done.at(1).at(0).toBool(), true);
            QCOMPARE(http.errorString(), refusal);
        }
        QtSSLSocket::setDefaultCACertFile(_certificates->caFile());
        QVERIFY(server.received().isEmpty());
    }

    // Over TLS a body that runs to the close is whole only when the server says so.
    void aBodyUntilCloseNeedsTheClosingNotice()
    {
        for (const auto end : {TestHttpServer::Answer::Close, TestHttpServer::Answer::Abort}) {
            TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
            TestHttpServer::Answer answer;
            answer.pieces = {"HTTP/1.0 200 OK\r\n\r\nall", " of it"};
            answer.pauseMs = 50;
            answer.end = end;
            server.answer(answer);
            BXHttp http(server.url());
            QSignalSpy done(&http, &BXHttp::done);
            http.doGet(server.url());
            QVERIFY(done.wait(2000));
            const bool clean = end == TestHttpServer::Answer::Close;
            QCOMPARE(done.at(0).at(0).toBool(), !clean);
            if (clean)
                QCOMPARE(http.readAll(), QByteArray("all of it"));
        }
    }

    // Whatever goes wrong in the handshake, the text names the server and the reason, and
    // gives no advice about the connection, which was made. Plain servers on the https port
    // answer the greeting as a broken request, say nothing, or close.
    void tlsFailuresNameTheServerAndTheReason_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("text");
        const QString failed = QStringLiteral("The secure connection to 127.0.0.1 failed: %1.");
        const QString unverified = QStringLiteral("The identity of the server 127.0.0.1 could not be verified: %1.");
        QTest::newRow("plain HTTP answer") << "plain answer" << failed.arg("the server does not speak TLS");
        QTest::newRow("plain HTTP, silent") << "plain silent" << failed.arg("the server did not answer the handshake");
        QTest::newRow("plain HTTP, closed") << "plain close"
                                            << failed.arg("the server closed the connection during the handshake");
        QTest::newRow("TLS 1.0 only") << "outdated" << failed.arg("the server offers only an outdated protocol");
        QTest::newRow("wrong host")
            << "wrong host"
            << unverified.arg("The host name \"127.0.0.1\" doesn't match the certificate name \"wrong.example\"");
        QTest::newRow("self-signed") << "self-signed" << unverified.arg("Self signed certificate");
    }

    void tlsFailuresNameTheServerAndTheReason()
    {
        QFETCH(QString, server);
        TestHttpServer plain;
        OutdatedTlsServer outdated(_certificates->serverConfiguration(TestCertificates::Good));
        TestHttpsServer wrongHost(_certificates->serverConfiguration(TestCertificates::WrongName));
        TestHttpsServer selfSigned(_certificates->serverConfiguration(TestCertificates::SelfSigned));
        const quint16 port = server == QLatin1String("outdated")      ? outdated.port()
                           : server == QLatin1String("wrong host")    ? wrongHost.port()
                           : server == QLatin1String("self-signed")   ? selfSigned.port()
                                                                      : plain.port();
        const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(port);
        BXHttp http(url);
        QSignalSpy done(&http, &BXHttp::done);
        http.doGet(url);
        if (server.startsWith(QLatin1String("plain "))) {
            QTRY_VERIFY_WITH_TIMEOUT(!plain.received().isEmpty(), 2000);
            if (server == QLatin1String("plain answer"))
                plain.sendToAll("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            else if (server == QLatin1String("plain close"))
                plain.closeAll();
        }
        QVERIFY(done.wait(3000));
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QTEST(http.errorString(), "text");
        QVERIFY(!http.couldNotConnect());
        QVERIFY(wrongHost.received().isEmpty() && selfSigned.received().isEmpty());
    }

    // The request itself fails, so that a service waiting for its end hears of it.
    void aRefusedConnectionAheadFailsTheRequest()
    {
        const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(closedPort());
        BXHttp http(url);
        QSignalSpy finished(&http, &BXHttp::requestFinished);
        QSignalSpy done(&http, &BXHttp::done);
        const int id = http.doGet(url);
        QVERIFY(done.wait(2000));
        QTest::qWait(50);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0), QVariantList({id, true}));
        QCOMPARE(http.errorString(), QStringLiteral("The server 127.0.0.1 refused the connection."));
    }
};

QTEST_GUILESS_MAIN(TestBXHttp)
#include "tst_bxhttp.moc"
