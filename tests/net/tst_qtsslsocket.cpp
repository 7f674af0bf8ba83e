// The TLS socket against the toolkit's own TLS server on 127.0.0.1, with certificates made
// for this run, and its date readers.

#include "net/qtsslsocket.h"
#include "testcertificates.h"
#include "testhttpsserver.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimeZone>
#include <QtTest>

#include <openssl/asn1.h>

#include <ctime>
#include <memory>

namespace {

struct Reports {
    QList<int> codes;
    QStringList texts;
    QList<int> errors;
    bool connected = false;
};

void watch(QtSSLSocket& socket, Reports& reports)
{
    QObject::connect(&socket, &QtSSLSocket::certCheckFailed, [&](int code, const QString& text) {
        reports.codes.append(code);
        reports.texts.append(text);
    });
    QObject::connect(&socket, &QtSSLSocket::error, [&](int code) { reports.errors.append(code); });
    QObject::connect(&socket, &QtSSLSocket::connected, [&] { reports.connected = true; });
}

time_t timeOf(int type, const QByteArray& text)
{
    std::unique_ptr<ASN1_TIME, decltype(&ASN1_STRING_free)> time(ASN1_STRING_type_new(type), &ASN1_STRING_free);
    ASN1_STRING_set(time.get(), text.constData(), int(text.size()));
    return QtSSLSocket::getTimeFromASN1(time.get());
}

qint64 utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc()).toSecsSinceEpoch();
}

} // namespace

class TestQtSSLSocket : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestCertificates> _certificates;

private slots:
    void initTestCase() { _certificates = std::make_unique<TestCertificates>(); }

    void cleanup()
    {
        qunsetenv("TZ");
        tzset();
    }

    void asn1Times_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("expected");
        const int u = V_ASN1_UTCTIME;
        const int g = V_ASN1_GENERALIZEDTIME;
        QTest::newRow("end of 1999") << u << QByteArray("991231235959Z") << utc(1999, 12, 31, 23, 59, 59);
        QTest::newRow("summer") << u << QByteArray("260715120000Z") << utc(2026, 7, 15, 12, 0, 0);
        QTest::newRow("no seconds") << u << QByteArray("2607151200Z") << utc(2026, 7, 15, 12, 0, 0);
        QTest::newRow("year 49") << u << QByteArray("490101000000Z") << utc(2049, 1, 1, 0, 0, 0);
        QTest::newRow("year 50") << u << QByteArray("500101000000Z") << utc(1950, 1, 1, 0, 0, 0);
        QTest::newRow("ahead of UTC") << u << QByteArray("2607151200+0230") << utc(2026, 7, 15, 9, 30, 0);
        QTest::newRow("behind UTC") << u << QByteArray("260715120000-0500") << utc(2026, 7, 15, 17, 0, 0);
        QTest::newRow("generalized") << g << QByteArray("20610301080910Z") << utc(2061, 3, 1, 8, 9, 10);
        QTest::newRow("generalized fraction") << g << QByteArray("20260715120000.125Z") << utc(2026, 7, 15, 12, 0, 0);
        QTest::newRow("generalized offset") << g << QByteArray("20260715120000+0100") << utc(2026, 7, 15, 11, 0, 0);
        QTest::newRow("ten characters") << u << QByteArray("9912312359") << qint64(0);
        QTest::newRow("month 13") << u << QByteArray("991331235959Z") << qint64(0);
        QTest::newRow("30 February") << u << QByteArray("990230235959Z") << qint64(0);
        QTest::newRow("letters") << u << QByteArray("99123a235959Z") << qint64(0);
        QTest::newRow("short offset") << u << QByteArray("991231235959+01") << qint64(0);
        QTest::newRow("trailing junk") << u << QByteArray("991231235959Zjunk") << qint64(0);
        QTest::newRow("empty") << g << QByteArray() << qint64(0);
    }

    // The reading is the same whatever the local time zone and its daylight saving.
    void asn1Times()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, text);
        QFETCH(qint64, expected);
        for (const char* zone : {"Europe/Berlin", "America/New_York", "UTC"}) {
            qputenv("TZ", zone);
            tzset();
            QCOMPARE(qint64(timeOf(type, text)), expected);
        }
    }

    void summaryDatesReadBack()
    {
        for (const QDateTime& moment : {QDateTime(QDate(2026, 1, 5), QTime(3, 4, 5), QTimeZone::utc()),
                                        QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), QTimeZone::utc())}) {
            const QString text = QLocale::c().toString(moment, QStringLiteral("ddd d MMM hh:mm:ss yyyy"));
            QCOMPARE(QtSSLSocket::fromString(text), moment);
        }
        QVERIFY(!QtSSLSocket::fromString(QStringLiteral("Mon 5 Foo 03:04:05 2026")).isValid());
        QVERIFY(!QtSSLSocket::fromString(QStringLiteral("junk")).isValid());
    }

    void certificateChecks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("good") << int(TestCertificates::Good) << 0 << QString();
        QTest::newRow("self-signed") << int(TestCertificates::SelfSigned) << 1 << "Self signed certificate";
        QTest::newRow("expired") << int(TestCertificates::Expired) << 5 << "The certificate has expired";
        QTest::newRow("not yet valid") << int(TestCertificates::NotYetValid) << 5 << "The certificate is not yet valid";
        QTest::newRow("wrong name") << int(TestCertificates::WrongName) << 2
                                    << "The host name \"127.0.0.1\" doesn't match the certificate name \"wrong.example\"";
        QTest::newRow("untrusted CA") << int(TestCertificates::UntrustedCa) << 5
                                      << "Unable to get local issuer certificate";
        QTest::newRow("common name only") << int(TestCertificates::CommonNameOnly) << 2
                                          << "The certificate lists no subject alternative name, so it cannot be "
                                             "checked against the host name \"127.0.0.1\"";
    }

    // A failed check is reported once and ends nothing: the connection is still made.
    void certificateChecks()
    {
        QFETCH(int, kind);
        QFETCH(int, code);
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Kind(kind)));
        QtSSLSocket socket;
        socket.setPathToCACertFile(_certificates->caFile());
        Reports reports;
        watch(socket, reports);
        socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
        QTRY_VERIFY_WITH_TIMEOUT(reports.connected, 2000);
        QCOMPARE(socket.state(), int(QtSSLSocket::Connected));
        QVERIFY(reports.errors.isEmpty());
        if (code == 0) {
            QVERIFY(reports.codes.isEmpty());
        } else {
            QCOMPARE(reports.codes, QList<int>({code}));
            QTEST(reports.texts.at(0), "text");
        }
        const QString summary = socket.peerCertificate();
        QVERIFY2(summary.contains(QLatin1String("/notValidAfter=")), qPrintable(summary));
    }

    // Only the alternative names name the server: a certificate carrying its name only as
    // the common name is refused, in any case; over a connection made beforehand the name
    // checked is the one handed in.
    void aCommonNameAloneNamesNoServer_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("matches");
        const int nameOnly = TestCertificates::NameOnly;
        QTest::newRow("common name, lower case") << nameOnly << "test.example" << false;
        QTest::newRow("common name, same case") << nameOnly << "Test.Example" << false;
        QTest::newRow("common name, other name") << nameOnly << "other.example" << false;
        QTest::newRow("common name, no name") << nameOnly << QString() << false;
        QTest::newRow("alternative name") << int(TestCertificates::Good) << "127.0.0.1" << true;
    }

    void aCommonNameAloneNamesNoServer()
    {
        QFETCH(int, kind);
        QFETCH(QString, host);
        QFETCH(bool, matches);
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Kind(kind)));
        auto* plain = new QTcpSocket;
        plain->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(plain->waitForConnected(2000));
        QtSSLSocket socket(QtSSLSocket::Client, plain);
        plain->setParent(&socket);
        socket.setPathToCACertFile(_certificates->caFile());
        socket.setHostName(host);
        Reports reports;
        watch(socket, reports);
        socket.sslConnect();
        QTRY_VERIFY_WITH_TIMEOUT(reports.connected, 2000);
        QCOMPARE(reports.codes, matches ? QList<int>() : QList<int>({2}));
    }

    void aMissingCAFileStopsBeforeTheHandshake()
    {
        TestHttpServer server;  // would record a handshake's first bytes
        QtSSLSocket socket;
        socket.setPathToCACertFile(QStringLiteral("/nonexistent/ca.pem"));
        Reports reports;
        watch(socket, reports);
        socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
        QTRY_VERIFY_WITH_TIMEOUT(!reports.errors.isEmpty(), 2000);
        QCOMPARE(reports.errors, QList<int>({3}));
        QCOMPARE(reports.codes, QList<int>({999}));
        QCOMPARE(reports.texts.at(0), QStringLiteral("Cannot read root certificates"));
        QTest::qWait(100);
        QVERIFY(server.received().isEmpty());
        QVERIFY(!reports.connected);
    }

    // More than the socket buffers at once arrives whole, however little the reader takes.
    void bigTransfersArriveWhole()
    {
        TestHttpsServer server(_certificates->serverConfiguration(TestCertificates::Good));
        QByteArray body(1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(i * 7 % 251);
        server.answer(TestHttpServer::ok(body));
        QtSSLSocket socket;
        socket.setPathToCACertFile(_certificates->caFile());
        Reports reports;
        watch(socket, reports);
        QByteArray received;
        connect(&socket, &QtSSLSocket::readyRead, this, [&] {
            char byte;
            while (socket.read(&byte, 1) == 1)
                received.append(byte);
        });
        socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
        QTRY_VERIFY_WITH_TIMEOUT(reports.connected, 2000);
        const QByteArray post(64 * 1024, 'q');
        socket.write("POST / HTTP/1.1\r\nContent-Length: 65536\r\n\r\n" + post);
        const QByteArray expected = TestHttpServer::ok(body);
        QTRY_VERIFY_WITH_TIMEOUT(received.size() >= expected.size(), 5000);
        QCOMPARE(received.size(), expected.size());
        QVERIFY(received == expected);
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().at(0).endsWith("\r\n\r\n" + post));
        QVERIFY(reports.errors.isEmpty());
    }

    void readingAClosedSocketFails()
    {
        QtSSLSocket socket;
        char buffer[4];
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("device not open")));
        QCOMPARE(socket.read(buffer, 4), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestQtSSLSocket)
#include "tst_qtsslsocket.moc"
