// The client against a web server on 127.0.0.1: what goes on the wire, the queue, kept-alive
// connections, failures and aborts from inside every signal.

#include "memorysocket.h"
#include "net/qhttps.h"
#include "net/qtsslsocket.h"
#include "testcertificates.h"
#include "testhttpsserver.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

namespace {

QHttpsRequestHeader getHeader(const QString& path)
{
    QHttpsRequestHeader header(QStringLiteral("GET"), path);
    header.setValue(QStringLiteral("Host"), QStringLiteral("127.0.0.1"));
    return header;
}

// A port nothing listens on.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class TestQHttps : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QHttps::Timeouts timeouts;
        timeouts.connect = 1000;
        timeouts.handshake = 1000;
        timeouts.stall = 600;
        QHttps::setDefaultTimeouts(timeouts);
    }

    void cleanup() { QtSSLSocket::setDefaultCACertFile(QString()); }

    void requestsShareOneConnectionInOrder()
    {
        TestHttpServer server;
        server.answer(TestHttpServer::ok("first"));
        server.answer(TestHttpServer::ok("second"));
        QHttps http(false, server.url(), server.port());
        QSignalSpy started(&http, &QHttps::requestStarted);
        QSignalSpy finished(&http, &QHttps::requestFinished);
        QSignalSpy done(&http, &QHttps::done);
        QByteArray bodies;
        connect(&http, &QHttps::requestFinished, this, [&] { bodies += http.readAll() + '|'; });
        const int first = http.request(getHeader(QStringLiteral("/a")));
        const int second = http.request(getHeader(QStringLiteral("/b")));
        QCOMPARE(second, first + 1);
        QCOMPARE(started.size(), 0);  // nothing starts inside the call that queues
        QVERIFY(done.wait(2000));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), false);
        QCOMPARE(started.size(), 2);
        QCOMPARE(started.at(1).at(0).toInt(), second);
        QCOMPARE(finished.at(0).at(0).toInt(), first);
        QCOMPARE(bodies, QByteArray("first|second|"));
        QCOMPARE(server.acceptCount(), 1);
        QVERIFY(server.requests().at(0).startsWith("GET /a HTTP/1.1\r\nhost: 127.0.0.1\r\n\r\n"));
        QCOMPARE(http.state(), QHttps::Connected);
        QCOMPARE(http.currentId(), 0);
    }

    void postBodyGoesWithItsLength()
    {
        TestHttpServer server;
        server.answer(TestHttpServer::ok("ok"));
        QHttps http(false, server.url(), server.port());
        QSignalSpy done(&http, &QHttps::done);
        http.post(QStringLiteral("/p"), QByteArray("x=1&y=2"));
        QVERIFY(done.wait(2000));
        QVERIFY(server.requests().at(0).endsWith("content-length: 7\r\nhost: 127.0.0.1\r\n\r\nx=1&y=2"));
    }

    void deviceBodyIsSentInBlocks()
    {
        TestHttpServer server;
        server.answer(TestHttpServer::ok("ok"));
        QByteArray payload(10000, 'p');
        QBuffer source(&payload);
        QHttps http(false, server.url(), server.port());
        QSignalSpy done(&http, &QHttps::done);
        QSignalSpy progress(&http, &QHttps::dataSendProgress);
        http.post(QStringLiteral("/p"), &source);
        QVERIFY(done.wait(2000));
        QVERIFY(server.requests().at(0).endsWith("\r\n\r\n" + payload));
        QVERIFY(!progress.isEmpty());
    }

    // Over TLS a second request is written on the same connection, and a device body is
    // sent in blocks as the socket reports its bytes written.
    void tlsKeepsTheConnectionAndSendsDevices()
    {
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer server(certificates.serverConfiguration(TestCertificates::Good));
        server.answer(TestHttpServer::ok("first"));
        server.answer(TestHttpServer::ok("second"));
        QByteArray payload(20000, 'd');
        QBuffer source(&payload);
        QHttps http(true, QStringLiteral("127.0.0.1"), server.port());
        QSignalSpy done(&http, &QHttps::done);
        QSignalSpy reports(&http, &QHttps::certCheckFailed);
        QSignalSpy progress(&http, &QHttps::dataSendProgress);
        http.post(QStringLiteral("/upload"), &source);
        QVERIFY(done.wait(2000));
        QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(http.errorString()));
        QCOMPARE(http.readAll(), QByteArray("first"));
        http.request(getHeader(QStringLiteral("/next")));
        QVERIFY(done.wait(2000));
        QVERIFY2(!done.at(1).at(0).toBool(), qPrintable(http.errorString()));
        QCOMPARE(http.readAll(), QByteArray("second"));
        QVERIFY(reports.isEmpty());
        QVERIFY(!progress.isEmpty());
        QVERIFY(server.requests().at(0).endsWith("\r\n\r\n" + payload));
        QCOMPARE(server.acceptCount(), 1);
    }

    void aFailureEmptiesTheQueue()
    {
        const quint16 port = closedPort();
        QHttps http(false, QStringLiteral("127.0.0.1"), port);
        QSignalSpy started(&http, &QHttps::requestStarted);
        QSignalSpy done(&http, &QHttps::done);
        http.request(getHeader(QStringLiteral("/")));
        http.request(getHeader(QStringLiteral("/never")));
        QVERIFY(done.wait(2000));
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(http.error(), QHttps::ConnectionRefused);
        QCOMPARE(http.errorString(), QStringLiteral("The server 127.0.0.1 refused the connection."));
        QTest::qWait(100);
        QCOMPARE(started.size(), 1);
        QCOMPARE(done.size(), 1);
    }

    void unknownHostIsNamed()
    {
        auto* socket = new MemorySocket;
        socket->failConnect(1);
        QHttps http(socket, QStringLiteral("nowhere.example"), 80);
        QSignalSpy done(&http, &QHttps::done);
        http.request(getHeader(QStringLiteral("/")));
        QVERIFY(done.wait(2000));
        QCOMPARE(http.error(), QHttps::HostNotFound);
        QCOMPARE(http.errorString(), QStringLiteral("The server nowhere.example could not be found."));
    }

    // A server that stops sending fails the request at the stall time; one that keeps
    // sending a byte now and then, at the request's deadline, which depends on where the
    // answer goes. On TLS as in plain.
    void slowServersTimeOut_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("trickle");
        QTest::addColumn<bool>("toDevice");
        QTest::addColumn<QString>("text");
        const QString stalled = QStringLiteral("The connection to 127.0.0.1 timed out: the server stopped answering.");
        const QString tooLong = QStringLiteral("The server took too long to answer");
        QTest::newRow("plain, stalled") << false << false << false << stalled;
        QTest::newRow("TLS, stalled") << true << false << false << stalled;
        QTest::newRow("plain, trickling") << false << true << false << tooLong;
        QTest::newRow("TLS, trickling") << true << true << false << tooLong;
        QTest::newRow("TLS, trickling into a file") << true << true << true << tooLong;
    }

    void slowServersTimeOut()
    {
        QFETCH(bool, tls);
        QFETCH(bool, trickle);
        QFETCH(bool, toDevice);
        QHttps::Timeouts timeouts = QHttps::defaultTimeouts();
        // Only the deadline that applies is short.
        timeouts.document = toDevice ? 60000 : 1000;
        timeouts.download = toDevice ? 1000 : 60000;
        QHttps::setDefaultTimeouts(timeouts);
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : plain;
        TestHttpServer::Answer slow;
        slow.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nabc"};
        if (trickle) {
            for (int i = 0; i < 60; ++i)
                slow.pieces << "d";
        }
        slow.pauseMs = 100;  // well inside the stall time
        slow.end = TestHttpServer::Answer::Stall;
        server.answer(slow);
        QHttps http(tls, QStringLiteral("127.0.0.1"), server.port());
        QBuffer file;
        QSignalSpy done(&http, &QHttps::done);
        http.request(getHeader(QStringLiteral("/")), nullptr, toDevice ? &file : nullptr);
        QVERIFY(done.wait(4000));
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QTEST(http.errorString(), "text");
        QCOMPARE(http.error(), QHttps::UnknownError);
        if (toDevice)
            QVERIFY(file.data().startsWith("abcd"));
    }

    void aBodyInPiecesWithPauses()
    {
        TestHttpServer server;
        TestHttpServer::Answer slow;
        slow.pieces = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nab", "c\r\n", "0\r\n", "\r\n"};
        slow.pauseMs = 250;  // each pause is shorter than the stall time-out, together longer
        server.answer(slow);
        QHttps http(false, server.url(), server.port());
        QSignalSpy done(&http, &QHttps::done);
        http.request(getHeader(QStringLiteral("/")));
        QVERIFY(done.wait(2000));
        QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(http.errorString()));
        QCOMPARE(http.readAll(), QByteArray("abc"));
    }

    // A listener that runs an event loop on the first progress report, while the server sends
    // the rest, still gets the whole body: plain and TLS, in every framing, with a tail that
    // fits the socket's buffer and one that fills it, with the connection kept or closed.
    void aListenerRunningAnEventLoopMissesNothing_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<int>("framing");
        QTest::addColumn<int>("tailSize");
        QTest::addColumn<bool>("closes");
        const int counted = int(TestHttpServer::Framing::Counted);
        const int chunked = int(TestHttpServer::Framing::Chunked);
        const int untilClose = int(TestHttpServer::Framing::UntilClose);
        for (const bool tls : {false, true}) {
            const char* scheme = tls ? "TLS" : "plain";
            QTest::addRow("%s, counted, small tail", scheme) << tls << counted << 1000 << false;
            QTest::addRow("%s, counted, large tail, closed", scheme) << tls << counted << 440 * 1000 << true;
            QTest::addRow("%s, chunked, small tail", scheme) << tls << chunked << 1000 << false;
            QTest::addRow("%s, chunked, large tail", scheme) << tls << chunked << 440 * 1000 << false;
            QTest::addRow("%s, until close, large tail", scheme) << tls << untilClose << 440 * 1000 << true;
        }
    }

    void aListenerRunningAnEventLoopMissesNothing()
    {
        QFETCH(bool, tls);
        QFETCH(int, framing);
        QFETCH(int, tailSize);
        QFETCH(bool, closes);
        const QByteArray head(1000, 'h');
        QByteArray tail(tailSize, 't');
        tail[tailSize - 1] = 'z';
        QByteArray header = "HTTP/1.1 200 OK\r\n";
        QByteArray rest = tail;
        switch (TestHttpServer::Framing(framing)) {
        case TestHttpServer::Framing::Counted:
            header += "Content-Length: " + QByteArray::number(head.size() + tail.size()) + "\r\n\r\n" + head;
            break;
        case TestHttpServer::Framing::Chunked:
            header += "Transfer-Encoding: chunked\r\n\r\n" + QByteArray::number(head.size(), 16) + "\r\n" + head + "\r\n";
            rest = QByteArray::number(tail.size(), 16) + "\r\n" + tail + "\r\n0\r\n\r\n";
            break;
        case TestHttpServer::Framing::UntilClose:
            header += "Connection: close\r\n\r\n" + head;
            break;
        }
        TestCertificates certificates;
        QtSSLSocket::setDefaultCACertFile(certificates.caFile());
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : plain;
        server.answer(header);
        QHttps http(tls, QStringLiteral("127.0.0.1"), server.port());
        bool waited = false;
        connect(&http, &QHttps::dataReadProgress, this, server.slowListener(rest, &waited, closes));
        QSignalSpy done(&http, &QHttps::done);
        http.request(getHeader(QStringLiteral("/")));
        QVERIFY(done.wait(3000));
        QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(http.errorString()));
        QVERIFY(waited);
        QCOMPARE(http.readAll(), head + tail);
    }

    // Bytes on, or the close of, an idle kept-alive connection report nothing, and the next
    // request gets its own answer on a new connection.
    void anIdleConnectionSpoilsNothing()
    {
        for (const bool stray : {true, false}) {
            TestHttpServer server;
            server.answer(TestHttpServer::ok("one"));
            server.answer(TestHttpServer::ok("two"));
            QHttps http(false, server.url(), server.port());
            QSignalSpy done(&http, &QHttps::done);
            QSignalSpy finished(&http, &QHttps::requestFinished);
            QSignalSpy bodies(&http, &QHttps::readyRead);
            http.request(getHeader(QStringLiteral("/1")));
            QVERIFY(done.wait(2000));
            if (stray)
                server.sendToAll("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nstray");
            else
                server.closeAll();
            QTRY_COMPARE_WITH_TIMEOUT(http.state(), QHttps::Unconnected, 2000);
            QCOMPARE(done.size(), 1);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(bodies.size(), 1);
            http.request(getHeader(QStringLiteral("/2")));
            QVERIFY(done.wait(2000));
            QCOMPARE(done.at(1).at(0).toBool(), false);
            QCOMPARE(http.readAll(), QByteArray("two"));
            QCOMPARE(server.acceptCount(), 2);
        }
    }

    void abortInsideASignal_data()
    {
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("requestStarted") << QByteArray("requestStarted");
        QTest::newRow("stateChanged") << QByteArray("stateChanged");
        QTest::newRow("dataSendProgress") << QByteArray("dataSendProgress");
        QTest::newRow("responseHeaderReceived") << QByteArray("responseHeaderReceived");
        QTest::newRow("dataReadProgress") << QByteArray("dataReadProgress");
        QTest::newRow("readyRead") << QByteArray("readyRead");
        QTest::newRow("requestFinished") << QByteArray("requestFinished");
    }

    // Whichever signal a listener aborts in, the run of the queue ends with one done(true)
    // and nothing of the aborted request is reported afterwards.
    void abortInsideASignal()
    {
        QFETCH(QByteArray, signal);
        auto* socket = new MemorySocket;
        socket->setResponse({"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nab", "cd", "ef"}, false);
        QHttps http(socket, QStringLiteral("127.0.0.1"), 80);
        QSignalSpy done(&http, &QHttps::done);
        bool aborted = false;
                const auto abortOnce = [&] {
            if (aborted)
                return;
            aborted = true;
            http.abort();
        };
        if (signal.contains("requestStarted"))
            connect(&http, &QHttps::requestStarted, abortOnce);
        else if (signal.contains("stateChanged"))
            connect(&http, &QHttps::stateChanged, abortOnce);
        else if (signal.contains("dataSendProgress"))
            connect(&http, &QHttps::dataSendProgress, abortOnce);
        else if (signal.contains("responseHeaderReceived"))
            connect(&http, &QHttps::responseHeaderReceived, abortOnce);
        else if (signal.contains("dataReadProgress"))
            connect(&http, &QHttps::dataReadProgress, abortOnce);
        else if (signal.contains("readyRead"))
            connect(&http, &QHttps::readyRead, abortOnce);
        else
            connect(&http, &QHttps::requestFinished, abortOnce);
        http.request(getHeader(QStringLiteral("/")));
        http.request(getHeader(QStringLiteral("/behind")));
        QVERIFY(done.wait(2000));
        QTest::qWait(50);
        QVERIFY(aborted);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(http.errorString(), QStringLiteral("Request aborted"));
        QCOMPARE(http.currentId(), 0);
    }

    void abortWithNothingQueuedDoesNothing()
    {
        QHttps http(new MemorySocket, QStringLiteral("127.0.0.1"), 80);
        QSignalSpy done(&http, &QHttps::done);
        http.abort();
        QTest::qWait(20);
        QVERIFY(done.isEmpty());
    }

    void setHostChangesTheServerForLaterRequests()
    {
        TestHttpServer server;
        server.answer(TestHttpServer::ok("here"));
        QHttps http(false, QStringLiteral("127.0.0.1"), closedPort());
        QSignalSpy done(&http, &QHttps::done);
        http.setHost(QStringLiteral("127.0.0.1"), server.port());
        http.request(getHeader(QStringLiteral("/")));
        QVERIFY(done.wait(2000));
        QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(http.errorString()));
        QCOMPARE(http.readAll(), QByteArray("here"));
    }
};

QTEST_GUILESS_MAIN(TestQHttps)
#include "tst_qhttps.moc"
