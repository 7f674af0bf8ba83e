#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "net/orvurlparams.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"
#include "tests/support/testsession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

class TestOrvUrlParams : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
    }

    void cleanupTestCase() { endSession(); }

    void fixedTokensAreReplacedEverywhere()
    {
        QString url = QStringLiteral("http://x/${PLATFORM}/${PRODUCT}/${VERSION}?p=${PLATFORM}");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("http://x/mac/pantrel/4.1.0?p=mac"));
    }

    void tokenNamesAreCaseSensitive()
    {
        QString url = QStringLiteral("http://x/${platform}");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("http://x/${platform}"));
    }

    void contentDirIsBesideTheProgram()
    {
        QString url = QStringLiteral("${CONTENT_DIR}/page.html");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("file://") + BXSettings::getDirExecutable()
                          + QStringLiteral("content/page.html"));
    }

    void withoutLoginOptionalTokensAreDropped()
    {
        setLogin(QString(), QString());
        QString url = QStringLiteral("http://x/?u=${USERNAME_OPTIONAL}&h=${PWHASH_OPTIONAL}");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("http://x/?u=&h="));
    }

    void withoutLoginRequiredTokensFail_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("no login") << QString() << QString();
        QTest::newRow("name only") << QStringLiteral("ann") << QString();
        QTest::newRow("password only") << QString() << QStringLiteral("secret");
    }

    void withoutLoginRequiredTokensFail()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        setLogin(name, password);
        QString url = QStringLiteral("http://x/${PLATFORM}?h=${PWHASH}&c=${CONTENT_DIR}");
        const QString message = OrvUrlParams::replaceAll(url);
        QVERIFY(message.startsWith(QStringLiteral("If you have a paid Pantrel membership\n")));
        QVERIFY(message.endsWith(QStringLiteral("fill out the www.pantrel.example login box.")));
        // The address keeps what was replaced before the failure.
        QCOMPARE(url, QStringLiteral("http://x/mac?h=${PWHASH}&c=${CONTENT_DIR}"));
    }

    void loginFillsBothFormsOfTheTokens()
    {
        setLogin(QStringLiteral("ann"), QStringLiteral("secret"));
        const QString digest = QString::fromLatin1(
            QCryptographicHash::hash("secret", QCryptographicHash::Md5).toHex());
        QString url = QStringLiteral(
            "u=${USERNAME}&h=${PWHASH}&uo=${USERNAME_OPTIONAL}&ho=${PWHASH_OPTIONAL}");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("u=ann&h=") + digest + QStringLiteral("&uo=ann&ho=") + digest);
    }

    // A login may hold anything; it must arrive as one query value.
    void loginIsPercentEncoded_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("blank and ampersand") << QStringLiteral("ann b&c") << QStringLiteral("ann%20b%26c");
        QTest::newRow("percent") << QStringLiteral("100%") << QStringLiteral("100%25");
        QTest::newRow("non-ASCII") << QStringLiteral("J\u00fcrgen") << QStringLiteral("J%C3%BCrgen");
        QTest::newRow("equals and plus") << QStringLiteral("a=b+c") << QStringLiteral("a%3Db%2Bc");
    }

    void loginIsPercentEncoded()
    {
        QFETCH(QString, login);
        QFETCH(QString, encoded);
        setLogin(login, QStringLiteral("secret"));
        QString url = QStringLiteral("http://x/?u=${USERNAME}&o=${USERNAME_OPTIONAL}");
        QVERIFY(OrvUrlParams::replaceAll(url).isNull());
        QCOMPARE(url, QStringLiteral("http://x/?u=") + encoded + QStringLiteral("&o=") + encoded);
        QCOMPARE(QUrlQuery(QUrl(url)).queryItemValue(QStringLiteral("u"), QUrl::FullyDecoded), login);
    }

    // Runs last: it removes the user database file.
    void withoutDatabaseFileTheLoginIsMissing()
    {
        setLogin(QStringLiteral("ann"), QStringLiteral("secret"));
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        QVERIFY(QFile::remove(BXSettings::getUserDBPath() + QStringLiteral("userdata.db")));

        QString optional = QStringLiteral("u=${USERNAME_OPTIONAL}");
        QVERIFY(OrvUrlParams::replaceAll(optional).isNull());
        QCOMPARE(optional, QStringLiteral("u="));
        QString required = QStringLiteral("u=${USERNAME}");
        QVERIFY(!OrvUrlParams::replaceAll(required).isEmpty());
        QCOMPARE(required, QStringLiteral("u=${USERNAME}"));
    }

private:
    static void setLogin(const QString& name, const QString& password)
    {
        UserDB* users = UserDB::instance();
        DBTypes::UserPrefs prefs = users->getUserPrefs(users->getCurrentUser()).value();
        prefs.webUserName = name;
        prefs.webPassword = password;
        QVERIFY(users->setUserPrefs(users->getCurrentUser(), prefs));
    }
};

QTEST_GUILESS_MAIN(TestOrvUrlParams)
#include "tst_orvurlparams.moc"
