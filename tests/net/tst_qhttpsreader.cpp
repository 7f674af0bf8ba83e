// How the client reads responses, driven through a socket in memory so that every framing
// can be cut into any pieces.

#include "memorysocket.h"
#include "net/qhttps.h"

#include <QBuffer>
#include <QEventLoop>
#include <QTimer>
#include <QRandomGenerator>
#include <QtTest>

namespace {

struct Outcome {
    bool finished = false;
    bool error = false;
    int doneCount = 0;
    QHttps::Error code = QHttps::NoError;
    QString text;
    QByteArray body;
    int status = 0;
    int headers = 0;
};

const QByteArray s_chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n"
                             "1a;name=value\r\nabcdefghijklmnopqrstuvwxyz\r\n"
                             "5 \r\nhello\r\n0\r\nX-Trailer: t\r\n\r\n";
const QByteArray s_counted = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789";
const QByteArray s_continue = "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: x\r\n\r\n"
                              "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
const QByteArray s_noContent = "HTTP/1.1 204 No Content\r\nContent-Length: 7\r\n\r\n";
const QByteArray s_notModified = "HTTP/1.1 304 Not Modified\r\n\r\n";

QList<QByteArray> bytewise(const QByteArray& whole)
{
    QList<QByteArray> pieces;
    for (char c : whole)
        pieces.append(QByteArray(1, c));
    return pieces;
}

QList<QByteArray> randomPieces(const QByteArray& whole, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < whole.size();) {
        const qsizetype size = 1 + random.bounded(12);
        pieces.append(whole.mid(at, size));
        at += size;
    }
    return pieces;
}

Outcome run(const QList<QByteArray>& pieces, bool closeAtEnd, const QString& method = QStringLiteral("GET"),
            const QHttps::Limits& limits = QHttps::Limits(), QIODevice* to = nullptr)
{
    auto* socket = new MemorySocket;
    socket->setResponse(pieces, closeAtEnd);
    QHttps http(socket, QStringLiteral("127.0.0.1"), 80);
    http.setLimits(limits);
    Outcome outcome;
    QObject::connect(&http, &QHttps::responseHeaderReceived, [&](const QHttpsResponseHeader& header) {
        outcome.status = header.statusCode();
        ++outcome.headers;
    });
    QObject::connect(&http, &QHttps::readyRead, [&] { outcome.body += http.readAll(); });
    QEventLoop loop;
    QObject::connect(&http, &QHttps::done, [&](bool error) {
        outcome.finished = true;
        outcome.error = error;
        ++outcome.doneCount;
        loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    http.request(QHttpsRequestHeader(method, QStringLiteral("/")), QByteArray(), to);
    loop.exec();
    // Anything the request still reports after its end would show now.
    QCoreApplication::processEvents();
    outcome.code = http.error();
    outcome.text = http.errorString();
    outcome.body += http.readAll();
    return outcome;
}

} // namespace

class TestQHttpsReader : public QObject
{
    Q_OBJECT

private slots:
    void framings_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("closeAtEnd");
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("chunked, extensions, trailer") << s_chunked << false << "GET" << 200
                                                      << QByteArray("abcdefghijklmnopqrstuvwxyzhello");
        QTest::newRow("counted, connection stays") << s_counted << false << "GET" << 200 << QByteArray("0123456789");
        QTest::newRow("until close") << QByteArray("HTTP/1.0 200 OK\r\n\r\nall of it") << true << "GET" << 200
                                     << QByteArray("all of it");
        QTest::newRow("HEAD ends with its header")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n") << false << "HEAD" << 200 << QByteArray();
        QTest::newRow("interim answers skipped") << s_continue << false << "GET" << 200 << QByteArray("ok");
        QTest::newRow("204 has no body") << s_noContent << false << "GET" << 204 << QByteArray();
        QTest::newRow("304 has no body") << s_notModified << false << "GET" << 304 << QByteArray();
        QTest::newRow("404 is no failure")
            << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone") << false << "GET" << 404
            << QByteArray("gone");
        QTest::newRow("connection close in any case")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: ClOsE\r\nContent-Length: 2\r\n\r\nhi") << false << "GET"
            << 200 << QByteArray("hi");
    }

    // Whole, byte by byte, or in random pieces: the same body, the same outcome.
    void framings()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, closeAtEnd);
        QFETCH(QString, method);
        QFETCH(QByteArray, body);
        QList<QList<QByteArray>> cuts = {{response}, bytewise(response)};
        for (quint32 seed = 1; seed <= 5; ++seed)
            cuts.append(randomPieces(response, seed));
        for (const QList<QByteArray>& pieces : std::as_const(cuts)) {
            const Outcome outcome = run(pieces, closeAtEnd, method);
            QVERIFY2(outcome.finished && !outcome.error, qPrintable(outcome.text));
            QCOMPARE(outcome.doneCount, 1);
            QTEST(outcome.status, "status");
            QCOMPARE(outcome.headers, 1);
            QCOMPARE(outcome.body, body);
        }
    }

    void bodyIntoADevice()
    {
        QBuffer file;
        const Outcome outcome = run(randomPieces(s_chunked, 9), false, QStringLiteral("GET"), QHttps::Limits(), &file);
        QVERIFY(!outcome.error);
        QVERIFY(outcome.body.isEmpty());
        QCOMPARE(file.data(), QByteArray("abcdefghijklmnopqrstuvwxyzhello"));
    }

    // A close anywhere before the response's end fails the request.
    void everyTruncationFails_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("method");
        QTest::newRow("chunked") << s_chunked << "GET";
        QTest::newRow("counted") << s_counted << "GET";
        QTest::newRow("interim answers") << s_continue << "GET";
        QTest::newRow("204") << s_noContent << "GET";
        QTest::newRow("HEAD") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n") << "HEAD";
    }

    void everyTruncationFails()
    {
        QFETCH(QByteArray, response);
        QFETCH(QString, method);
        for (qsizetype cut = 0; cut < response.size(); ++cut) {
            const Outcome outcome = run({response.left(cut)}, true, method);
            QVERIFY2(outcome.finished && outcome.error, qPrintable(QStringLiteral("cut at %1").arg(cut)));
            QCOMPARE(outcome.doneCount, 1);
            QVERIFY(outcome.code == QHttps::InvalidResponseHeader || outcome.code == QHttps::WrongContentLength);
        }
        const Outcome whole = run({response}, true, method);
        QVERIFY2(!whole.error, qPrintable(whole.text));
    }

    void malformedResponses_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("text");
        const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        QTest::newRow("letters as chunk size") << chunked + "zz\r\nab\r\n0\r\n\r\n" << "Invalid HTTP chunked body";
        QTest::newRow("negative chunk size") << chunked + "-1\r\n\r\n" << "Invalid HTTP chunked body";
        QTest::newRow("empty chunk size") << chunked + "\r\nab\r\n" << "Invalid HTTP chunked body";
        QTest::newRow("overlong chunk size") << chunked + "1000000000000000000\r\n" << "Invalid HTTP chunked body";
        QTest::newRow("chunk without CR LF") << chunked + "2\r\nabXY0\r\n\r\n" << "Invalid HTTP chunked body";
        QTest::newRow("length of letters")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\nabc") << "Invalid HTTP response header";
        QTest::newRow("negative length")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -3\r\n\r\nabc") << "Invalid HTTP response header";
        QTest::newRow("garbage status") << QByteArray("SMTP ready\r\n\r\n") << "Invalid HTTP response header";
    }

    void malformedResponses()
    {
        QFETCH(QByteArray, response);
        const Outcome outcome = run({response}, false);
        QVERIFY(outcome.error);
        QCOMPARE(outcome.doneCount, 1);
        QTEST(outcome.text, "text");
    }

    void limits_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("closeAtEnd");
        const QByteArray big(64, 'x');
        QTest::newRow("header") << "HTTP/1.1 200 OK\r\nX-Big: " + big + "\r\n\r\n" << false;
        QTest::newRow("header without end") << "HTTP/1.1 200 OK\r\nX-Big: " + big + big << false;
        QTest::newRow("counted body") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 41\r\n\r\n") << false;
        QTest::newRow("chunked body") << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n20\r\n"
                                             + big.left(32) + "\r\n20\r\n" + big.left(32) + "\r\n0\r\n\r\n"
                                      << false;
        QTest::newRow("chunk size line") << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1;" + big << false;
        QTest::newRow("body until close") << "HTTP/1.1 200 OK\r\n\r\n" + big << true;
    }

    void limits()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, closeAtEnd);
        QHttps::Limits limits;
        limits.header = 60;
        limits.chunkSizeLine = 16;
        limits.bufferBody = 40;
        const Outcome outcome = run(randomPieces(response, 3), closeAtEnd, QStringLiteral("GET"), limits);
        QVERIFY(outcome.error);
        QCOMPARE(outcome.text, QStringLiteral("Response too large"));
        QCOMPARE(outcome.code, QHttps::WrongContentLength);
        QVERIFY(outcome.body.size() <= 40);
    }

    void readBlockChecksItsBuffer()
    {
        QHttps http(new MemorySocket, QStringLiteral("127.0.0.1"), 80);
        QTest::ignoreMessage(QtWarningMsg, "QHttps::readBlock: Null pointer error");
        QCOMPARE(http.readBlock(nullptr, 5), -1);
        QCOMPARE(http.readBlock(nullptr, 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestQHttpsReader)
#include "tst_qhttpsreader.moc"
