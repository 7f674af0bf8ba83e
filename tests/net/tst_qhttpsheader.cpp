#include "net/qhttpsrequestheader.h"
#include "net/qhttpsresponseheader.h"

#include <QtTest>

class TestQHttpsHeader : public QObject
{
    Q_OBJECT

private slots:
    void fieldsAreLowerCaseAndSorted()
    {
        QHttpsRequestHeader header(QStringLiteral("GET"), QStringLiteral("/a%20b?x=1"));
        header.setValue(QStringLiteral("Host"), QStringLiteral("h"));
        header.setValue(QStringLiteral("content-type"), QStringLiteral("text/plain"));
        header.setValue(QStringLiteral("User-Agent"), QStringLiteral("ua"));
        QCOMPARE(header.value(QStringLiteral("user-agent")), QStringLiteral("ua"));
        QCOMPARE(header.toString(), QStringLiteral("GET /a%20b?x=1 HTTP/1.1\r\n"
                                                   "content-type: text/plain\r\nhost: h\r\nuser-agent: ua\r\n\r\n"));
        header.removeValue(QStringLiteral("HOST"));
        QVERIFY(!header.hasKey(QStringLiteral("host")));
        QCOMPARE(header.keys(), QStringList({QStringLiteral("content-type"), QStringLiteral("user-agent")}));
    }

    void statusLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("minor");
        QTest::newRow("crlf") << "HTTP/1.1 200 OK\r\ncontent-length:  42 \r\n" << true << 200 << "OK" << 1;
        QTest::newRow("no reason") << "HTTP/1.0 404\n" << true << 404 << QString() << 0;
        QTest::newRow("long reason") << "HTTP/1.1 500 Internal  Server Error\n" << true << 500
                                     << "Internal Server Error" << 1;
        QTest::newRow("short") << "HTTP/1.1 \r\n" << false << 0 << QString() << 0;
        QTest::newRow("no digit") << "HTTP/1.1 OK 200\r\n" << false << 0 << QString() << 0;
        QTest::newRow("not http") << "HTTZ/1.1 200 OK\r\n" << false << 0 << QString() << 0;
        QTest::newRow("field without colon") << "HTTP/1.1 200 OK\r\nbroken\r\n" << false << 200 << "OK" << 1;
    }

    void statusLines()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const QHttpsResponseHeader header(text);
        QCOMPARE(header.isValid(), valid);
        if (!valid)
            return;
        QTEST(header.statusCode(), "status");
        QTEST(header.reasonPhrase(), "reason");
        QTEST(header.minorVersion(), "minor");
        QCOMPARE(header.majorVersion(), 1);
        QCOMPARE(header.reasonPhrase().isNull(), QString(QTest::currentDataTag()) == QLatin1String("no reason"));
    }

    void fieldsParse()
    {
        const QHttpsResponseHeader header(QStringLiteral(
            "HTTP/1.1 200 OK\r\nContent-Length:  42 \r\nX-Long: first\r\n\tsecond\r\n"
            "x-twice: 1\r\nX-Twice: 2\r\nContent-Type: text/xml; charset=utf-8\r\n"));
        QVERIFY(header.isValid());
        QCOMPARE(header.contentLength(), 42u);
        QCOMPARE(header.value(QStringLiteral("x-long")), QStringLiteral("first second"));
        QCOMPARE(header.value(QStringLiteral("x-twice")), QStringLiteral("2"));
        QCOMPARE(header.contentType(), QStringLiteral("text/xml"));
    }

    void contentLengthOfLettersIsZero()
    {
        QHttpsResponseHeader header(200);
        header.setValue(QStringLiteral("Content-Length"), QStringLiteral("abc"));
        QVERIFY(header.hasContentLength());
        QCOMPARE(header.contentLength(), 0u);
        header.setValue(QStringLiteral("Content-Type"), QString());
        QVERIFY(header.contentType().isNull());
    }

    void requestLines()
    {
        const QHttpsRequestHeader good(QStringLiteral("POST http://h/p?q HTTP/1.0\r\nHost: h\r\n"));
        QVERIFY(good.isValid());
        QCOMPARE(good.method(), QStringLiteral("POST"));
        QCOMPARE(good.path(), QStringLiteral("http://h/p?q"));
        QCOMPARE(good.minorVersion(), 0);
        const QHttpsRequestHeader bad(QStringLiteral("GET /only-two\r\n"));
        QVERIFY(!bad.isValid());
        QCOMPARE(bad.path(), QStringLiteral("/only-two"));
        QVERIFY(!QHttpsRequestHeader().isValid());
    }
};

QTEST_GUILESS_MAIN(TestQHttpsHeader)
#include "tst_qhttpsheader.moc"
