// A whole database update against a feed and download on 127.0.0.1, with the shipped
// catalogue and a user database: what lands in the user's folder, what the user is told, and
// that every failure leaves a working catalogue behind.

#include "catalogue/catalogueservices.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/notificationcenter.h"
#include "net/installupdatequestion.h"
#include "net/staticdbupdater.h"
#include "net/staticdbupdaterui.h"
#include "testbrand.h"
#include "net/qtsslsocket.h"
#include "testcertificates.h"
#include "testhttpsserver.h"
#include "tests/support/processmemory.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"
#include "userdb/diarystart.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>
#include <QProgressDialog>
#include <QtEndian>
#include "core/endrequest.h"

#include <QtTest>

#include <sys/stat.h>
#include <zlib.h>

#include <functional>

namespace {

QByteArray gzip(const QByteArray& data, int repeat = 1)
{
    z_stream stream = {};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    QByteArray block(1 << 16, Qt::Uninitialized);
    for (int i = 0; i < repeat; ++i) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        stream.avail_in = uInt(data.size());
        const int flush = i + 1 == repeat ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(block.data());
            stream.avail_out = uInt(block.size());
            result = deflate(&stream, flush);
            out.append(block.constData(), block.size() - int(stream.avail_out));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    }
    deflateEnd(&stream);
    return out;
}

// The permission bits of the file; -1 when there is none.
int fileMode(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The first food below category id whose name is at least 8 characters long; 0 when none.
quint32 findFood(const FoodDBStatic* db, int id, QByteArray* name)
{
    std::unique_ptr<BrowsableDBIterator> it = db->getChildren(id, 0, 0);
    while (it && it->next()) {
        const QByteArray itemName(it->name());
        if (!(it->flags() & FLAG_CATEGORY)) {
            if (itemName.size() >= 8 && itemName.at(0) != 'Q') {
                *name = itemName;
                return it->id();
            }
        } else if (const quint32 found = findFood(db, int(it->id()), name)) {
            return found;
        }
    }
    return 0;
}

QByteArray response(const QByteArray& status, const QByteArray& body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Updates</title>"
           "<link>http://127.0.0.1/</link><description>Catalogue updates</description>" + items + "</channel></rss>";
}

// The dialogs of an update, answered by the test.
class ScriptedUpdaterUI : public StaticDbUpdaterUI
{
public:
    using StaticDbUpdaterUI::StaticDbUpdaterUI;

    bool cancelCheck = false;
    bool answerYes = true;
    bool autoCheck = true;
    bool allowed = true;
    // How the progress is stopped during the install: "cancel", "escape" or "close"; empty: not.
    QString stopDuringInstall;
    bool endDuringInstall = false;
    int answerAfterMs = 0;
    bool progressAtOnce = false;  // the progress dialog shows from its first value on
    QString pictures;
    int questions = 0;
    int progressRuns = 0;

protected:
    bool runCheckingBox(QMessageBox& box) override
    {
        if (!pictures.isEmpty())
            saveWidgetPicture(&box, pictures + "-checking");
        if (cancelCheck)
            return false;
        return StaticDbUpdaterUI::runCheckingBox(box);
    }

    bool askToInstall(InstallUpdateQuestion& question) override
    {
        ++questions;
        QTest::qWait(answerAfterMs);
        if (!pictures.isEmpty())
            saveWidgetPicture(&question, pictures + "-question");
        question.setAutoCheck(autoCheck);
        return answerYes;
    }

    void runProgress(QProgressDialog& dialog) override
    {
        ++progressRuns;
        if (progressAtOnce)
            dialog.setMinimumDuration(0);
        QMetaObject::Connection cancel;
        if (!stopDuringInstall.isEmpty() || endDuringInstall) {
            cancel = connect(StaticDbUpdater::instance(), &StaticDbUpdater::installProgress, &dialog,
                             [this, &dialog] {
                                 if (endDuringInstall) {
                                     EndRequest::ask();
                                 } else if (stopDuringInstall == QLatin1String("escape")) {
                                     QApplication::setActiveWindow(&dialog);
                                     QTest::keyClick(&dialog, Qt::Key_Escape);
                                 } else if (stopDuringInstall == QLatin1String("close")) {
                                     dialog.close();
                                 } else {
                                     dialog.findChild<QPushButton*>()->click();
                                 }
                             });
        }
        if (!pictures.isEmpty()) {
            dialog.show();
            saveWidgetPicture(&dialog, pictures + "-progress");
        }
        StaticDbUpdaterUI::runProgress(dialog);
        disconnect(cancel);
    }

    bool permitted() const override { return allowed && StaticDbUpdaterUI::permitted(); }
};

} // namespace

class TestStaticDbUpdater : public QObject
{
    Q_OBJECT

public slots:
    void updatePosted(const QString&, const NotificationParam&) { ++_notifications; }

private:
    TestHttpServer _server;
    QByteArray _shipped;
    QString _shippedDate;
    quint32 _foodId = 0;
    QByteArray _foodName;
    QByteArray _renamed;
    // Where that food's record begins in the file.
    qsizetype _foodRecordAt = 0;
    QByteArray _update;
    QDate _updateDate;
    int _notifications = 0;

    // The shipped catalogue with a later creation date and one food renamed.
    QByteArray updatedCatalogue(const QDate& created) const
    {
        QByteArray bytes = _shipped;
        bytes.replace(_foodName + '\0', _renamed + '\0');
        const QByteArray date = created.toString(Qt::ISODate).toLatin1();
        bytes.replace(36, date.size(), date);
        return bytes;
    }

    QByteArray updateFeed() const { return updateFeed(_server); }

    QByteArray updateFeed(const TestHttpServer& server) const
    {
        return feed("<item><guid>staticdb_updates</guid><link>" + server.url("/static.db.gz").toLatin1()
                    + "</link><pubDate>" + _updateDate.toString(Qt::ISODate).toLatin1() + "T12:00:00</pubDate></item>");
    }

    void runUpdate(ScriptedUpdaterUI& ui, const QByteArray& download = QByteArray())
    {
        _server.answer(TestHttpServer::ok(updateFeed()));
        if (!download.isNull())
            _server.answer(download);
        ui.doUpdate(false);
    }

    bool loadBrandFor(const TestHttpServer& server)
    {
        BrandEngine::cleanUp();
        return importBrandWithOverrides({{QStringLiteral("update_rss_url"), server.url(QStringLiteral("/feed.rss"))}},
                                        {{QStringLiteral("update_enabled"), true}});
    }

    // One whole update from a server whose feed leads to the given download, served by
    // downloadServer when given; TLS servers' certificates are trusted meanwhile.
    void runUpdateFrom(TestHttpServer& server, const TestHttpServer::Answer& download, ScriptedUpdaterUI& ui,
                       const TestCertificates* certificates = nullptr, TestHttpServer* downloadServer = nullptr)
    {
        if (certificates)
            QtSSLSocket::setDefaultCACertFile(certificates->caFile());
        QVERIFY(loadBrandFor(server));
        TestHttpServer& from = downloadServer ? *downloadServer : server;
        server.answer(TestHttpServer::ok(updateFeed(from)));
        from.answer(download);
        ui.doUpdate(false);
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrandFor(_server));
    }

    QString currentName() const
    {
        bool failed = false;
        FoodDBStatic* foods = FoodDBStatic::instance(&failed);
        if (failed)
            return QStringLiteral("failed");
        bool exFailed = false;
        ExDBStatic::instance(&exFailed);
        return exFailed ? QStringLiteral("failed") : foods->getFoodName(int(_foodId));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(loadBrandFor(_server));
        const StoreResult start = DiaryStart::startUp(true);
        QVERIFY2(start, qPrintable(start.message()));
        const qint64 user = addCompleteUser(QStringLiteral("Updater"));
        QVERIFY(user >= 0);
        UserDB::instance()->setCurrentUser(user);
        CatalogueServices::install();
        NotificationCenter::addObserver(this, "updatePosted(const QString&,const NotificationParam&)",
                                        "staticdb_update_notification");

        _shipped = readFile(BXSettings::getResourceDBPath() + QStringLiteral("static.db"));
        QVERIFY(!_shipped.isEmpty());
        _shippedDate = QString::fromLatin1(FoodDBStatic::instance()->getCreationDate());
        _foodId = findFood(FoodDBStatic::instance(), FoodDBStatic::instance()->getRootId(), &_foodName);
        QVERIFY(_foodId);
        for (const BrowsableDBItem& item : FoodDBStatic::instance()->getItems()) {
            if (item.id == _foodId && item.data)
                _foodRecordAt = item.data - (FoodDBStatic::instance()->getMappingEnd() - _shipped.size());
        }
        QVERIFY(_foodRecordAt > 0);
        _renamed = _foodName;
        _renamed[0] = 'Q';
        _updateDate = QDate::fromString(_shippedDate, Qt::ISODate).addDays(30);
        _update = gzip(updatedCatalogue(_updateDate));
    }

    void init()
    {
        ExDBStatic::cleanUp();
        FoodDBStatic::cleanUp();
        StaticDbUpdater::cleanUp();
        for (const char* name : {"static.db", "static.db.backup", "static.db.new", "static.download"})
            QFile::remove(BXSettings::getUserDBPath() + QLatin1String(name));
        _notifications = 0;
        BXSettings().setInt(BXSettings::StaticDbUpdateInterval, 28);
    }

    void cleanupTestCase()
    {
        ExDBStatic::cleanUp();
        FoodDBStatic::cleanUp();
        StaticDbUpdater::cleanUp();
        NotificationCenter::cleanUp();
        CatalogueServices::cleanUp();
        endSession();
    }

    void installsIntoTheUsersFolder()
    {
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        ui.pictures = QStringLiteral("update");
        QCOMPARE(currentName(), QString::fromLatin1(_foodName));
        runUpdate(ui, TestHttpServer::ok(_update));
        QCOMPARE(prompter.lastText(), QStringLiteral("Your databases have been updated successfully."));
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Database Updates"));
        QCOMPARE(_notifications, 1);
        QCOMPARE(currentName(), QString::fromLatin1(_renamed));
        QCOMPARE(QString::fromLatin1(FoodDBStatic::instance()->getCreationDate()), _updateDate.toString(Qt::ISODate));
        QCOMPARE(readFile(StaticDbUpdater::databasePath()), updatedCatalogue(_updateDate));
        for (const char* name : {"static.db.backup", "static.db.new", "static.download"})
            QVERIFY2(!QFile::exists(BXSettings::getUserDBPath() + QLatin1String(name)), name);
        QVERIFY(_server.requests().last().startsWith("GET " + _server.url(QStringLiteral("/static.db.gz")).toLatin1()));

        // A new start opens the user's copy; a second look at the feed finds it up to date.
        ExDBStatic::cleanUp();
        FoodDBStatic::cleanUp();
        QCOMPARE(currentName(), QString::fromLatin1(_renamed));
        _server.answer(TestHttpServer::ok(updateFeed()));
        ui.doUpdate(false);
        QCOMPARE(prompter.lastText(), QStringLiteral("Your databases are up to date."));
    }

    void failuresLeaveAWorkingCatalogue_data()
    {
        QTest::addColumn<QByteArray>("feedAnswer");
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("notifications");

        const QString noUpdates = QStringLiteral("Sorry, there are no database updates for your product");
        const QString unchanged = QStringLiteral("\n\nYour databases have not been changed.");
        const QString damaged = QStringLiteral("The downloaded database update is damaged or incomplete.") + unchanged;
        QByteArray badCrc = _update;
        badCrc[badCrc.size() - 6] = char(badCrc.at(badCrc.size() - 6) ^ 0x55);
        QByteArray corrupt = updatedCatalogue(_updateDate);
        corrupt.replace(68, 4, QByteArray("\x7f\xff\xff\xff", 4));
        QByteArray unknownGroup = updatedCatalogue(_updateDate);
        qToBigEndian(quint32(0xFFFFFF7F), unknownGroup.data() + _foodRecordAt);

        QTest::newRow("feed 500") << response("500 Internal Server Error", "<rss/>") << QByteArray() << QString()
                                  << "Sorry, an error occurred checking for database updates. Please try again later." << 0;
        QTest::newRow("feed not rss") << TestHttpServer::ok("<html>down</html>") << QByteArray() << QString()
                                      << noUpdates << 0;
        QTest::newRow("no update item") << TestHttpServer::ok(feed("<item><guid>other</guid><link>x</link></item>"))
                                        << QByteArray() << QString() << noUpdates << 0;
        QTest::newRow("message only")
            << TestHttpServer::ok(feed("<item><guid>staticdb_updates</guid><orv:message>Renew first</orv:message></item>"))
            << QByteArray() << QString() << "Renew first" << 0;
        // A link that cannot be fetched at least as safely as the feed is not fetched at all.
        const auto linkTo = [this](const QByteArray& link) {
            return TestHttpServer::ok(feed("<item><guid>staticdb_updates</guid><link>" + link + "</link><pubDate>"
                                           + _updateDate.toString(Qt::ISODate).toLatin1() + "T12:00:00</pubDate></item>"));
        };
        const QString refused = QStringLiteral("The address \"%1\" cannot be used: ");
        const QString notHttp = QStringLiteral("only http and https addresses can be reached.");
        QTest::newRow("https feed, http link")
            << QByteArray() << QByteArray() << QStringLiteral("secure feed")
            << refused.arg(_server.url(QStringLiteral("/static.db.gz")))
                   + "it was given by a secure address, but would be reached without protection." + unchanged
            << 0;
        QTest::newRow("ftp link") << linkTo("ftp://127.0.0.1/static.db.gz") << QByteArray() << QString()
                                  << refused.arg("ftp://127.0.0.1/static.db.gz") + notHttp + unchanged << 0;
        QTest::newRow("file link") << linkTo("file:///etc/passwd") << QByteArray() << QString()
                                   << refused.arg("file:///etc/passwd") + notHttp + unchanged << 0;
        // The client follows no redirection: one is a failed download.
        QTest::newRow("download redirected")
            << QByteArray()
            << QByteArray("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/static.db.gz\r\nContent-Length: 0\r\n\r\n")
            << QString() << "Sorry, an error occurred downloading the update. Please try again later." + unchanged << 0;
        QTest::newRow("download 404") << QByteArray() << response("404 Not Found", "gone") << QString()
                                      << "Sorry, an error occurred downloading the update. Please try again later." + unchanged << 0;
        QTest::newRow("cut-off gzip") << QByteArray() << TestHttpServer::ok(_update.left(_update.size() / 2))
                                      << QString() << damaged << 1;
        QTest::newRow("bad crc") << QByteArray() << TestHttpServer::ok(badCrc) << QString() << damaged << 1;
        QTest::newRow("not gzip") << QByteArray() << TestHttpServer::ok(updatedCatalogue(_updateDate)) << QString()
                                  << damaged << 1;
        QTest::newRow("bomb") << QByteArray() << TestHttpServer::ok(gzip(QByteArray(1 << 20, '\0'), 257)) << QString()
                              << damaged << 1;
        QTest::newRow("corrupt catalogue")
            << QByteArray() << TestHttpServer::ok(gzip(corrupt)) << QString()
            << "The downloaded database update is damaged or incomplete: Static food/exercise database is corrupt "
               "(bad chunk)." + unchanged << 1;
        QTest::newRow("food of an unknown ranking group")
            << QByteArray() << TestHttpServer::ok(gzip(unknownGroup)) << QString()
            << QStringLiteral("The downloaded database update is damaged or incomplete: Static food/exercise database "
                              "is corrupt (food %1 ranks in group 4294967167, which is no category).").arg(_foodId)
                   + unchanged << 1;
        for (const char* stop : {"cancel", "escape", "close"})
            QTest::addRow("%s during install", stop) << QByteArray() << TestHttpServer::ok(_update)
                                                     << QString::fromLatin1(stop) + QStringLiteral(" install") << QString() << 1;
        QTest::newRow("the end of the session during install") << QByteArray() << TestHttpServer::ok(_update)
                                                               << QStringLiteral("end install") << QString() << 1;
        QTest::newRow("cancel during check") << QByteArray() << QByteArray() << QStringLiteral("cancel check")
                                             << QString() << 0;
        QTest::newRow("answered no") << QByteArray() << QByteArray() << QStringLiteral("no") << QString() << 0;
        QTest::newRow("no permission") << QByteArray() << QByteArray() << QStringLiteral("unwritable")
                                       << "You do not have the required permissions to update the static databases. "
                                          "Please contact your network administrator." << 0;
    }

    void failuresLeaveAWorkingCatalogue()
    {
        QFETCH(QByteArray, feedAnswer);
        QFETCH(QByteArray, download);
        QFETCH(QString, setup);
        QFETCH(QString, text);
        QFETCH(int, notifications);

        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        ui.cancelCheck = setup == QLatin1String("cancel check");
        if (setup.endsWith(QLatin1String(" install")) && setup != QLatin1String("end install"))
            ui.stopDuringInstall = setup.section(QLatin1Char(' '), 0, 0);
        ui.endDuringInstall = setup == QLatin1String("end install");
        ui.answerYes = setup != QLatin1String("no");
        ui.allowed = setup != QLatin1String("unwritable");
        TestCertificates certificates;
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        const bool secureFeed = setup == QLatin1String("secure feed");
        TestHttpServer& feedServer = secureFeed ? secure : _server;
        if (secureFeed) {
            QtSSLSocket::setDefaultCACertFile(certificates.caFile());
            QVERIFY(loadBrandFor(secure));
        }
        // A check cancelled at once never reaches the server.
        if (!ui.cancelCheck)
            feedServer.answer(feedAnswer.isNull() ? TestHttpServer::ok(updateFeed()) : feedAnswer);
        if (!download.isNull())
            _server.answer(download);
        const int requestsBefore = _server.requests().size();
        // Only a step that failed is a failure: no update, a message, a cancel or a No is none.
        const bool failure = !text.isEmpty() && !text.startsWith(QLatin1String("Sorry, there are no"))
                             && text != QLatin1String("Renew first");
        QCOMPARE(ui.doUpdate(false), !failure);
        EndRequest::reset();
        QtSSLSocket::setDefaultCACertFile(QString());
        QVERIFY(loadBrandFor(_server));

        QCOMPARE(prompter.lastText(), text);
        QCOMPARE(_notifications, notifications);
        if (!ui.cancelCheck)
            QCOMPARE(secure.requests().size() + _server.requests().size() - requestsBefore, download.isNull() ? 1 : 2);
        QVERIFY(!QFile::exists(StaticDbUpdater::downloadPath()));
        QCOMPARE(currentName(), QString::fromLatin1(_foodName));
        QVERIFY(!QFile::exists(StaticDbUpdater::databasePath()));
        QVERIFY(!QFile::exists(StaticDbUpdater::databasePath() + QStringLiteral(".new")));
        QVERIFY(StaticDbUpdater::instance()->state() != StaticDbUpdater::BUSY);
    }

    void updatesOverAnEarlierUpdate()
    {
        // An earlier update and a stale backup beside it: the new one replaces both.
        writeFile(StaticDbUpdater::databasePath(), updatedCatalogue(_updateDate.addDays(-10)));
        writeFile(StaticDbUpdater::backupPath(), "stale");
        QCOMPARE(QString::fromLatin1(FoodDBStatic::instance()->getCreationDate()),
                 _updateDate.addDays(-10).toString(Qt::ISODate));
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        runUpdate(ui, TestHttpServer::ok(_update));
        QCOMPARE(prompter.lastText(), QStringLiteral("Your databases have been updated successfully."));
        QCOMPARE(QString::fromLatin1(FoodDBStatic::instance()->getCreationDate()), _updateDate.toString(Qt::ISODate));
        QVERIFY(!QFile::exists(StaticDbUpdater::backupPath()));
    }

    void failedInstallRestoresTheEarlierUpdate()
    {
        const QByteArray earlier = updatedCatalogue(_updateDate.addDays(-10));
        writeFile(StaticDbUpdater::databasePath(), earlier);
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        runUpdate(ui, TestHttpServer::ok(_update.left(1000)));
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("The downloaded database update is damaged")));
        QCOMPARE(readFile(StaticDbUpdater::databasePath()), earlier);
        QCOMPARE(currentName(), QString::fromLatin1(_renamed));
        QCOMPARE(_notifications, 1);
    }

    // The feed promises a newer catalogue, but the one downloaded is not newer than the one
    // in use: it is refused before it is installed, and nothing changes.
    void aCatalogueNotNewerIsRefused_data()
    {
        QTest::addColumn<int>("daysAfterShipped");
        QTest::newRow("older") << -10;
        QTest::newRow("same day") << 0;
    }

    void aCatalogueNotNewerIsRefused()
    {
        QFETCH(int, daysAfterShipped);
        const QDate created = QDate::fromString(_shippedDate, Qt::ISODate).addDays(daysAfterShipped);
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        runUpdate(ui, TestHttpServer::ok(gzip(updatedCatalogue(created))));
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("The downloaded databases (of %1) are not newer than the ones you have (of %2), "
                                "so they were not installed.\n\nYour databases have not been changed.")
                     .arg(created.toString(Qt::ISODate), _shippedDate));
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(currentName(), QString::fromLatin1(_foodName));
        QCOMPARE(QString::fromLatin1(FoodDBStatic::instance()->getCreationDate()), _shippedDate);
        for (const char* name : {"static.db", "static.db.backup", "static.db.new"})
            QVERIFY2(!QFile::exists(BXSettings::getUserDBPath() + QLatin1String(name)), name);
    }

    // An https feed and download are fetched over TLS from a server with the right
    // certificate; the catalogue arrives the same. A feed or download server whose
    // certificate fails a check is sent nothing, and the user is told who and why, once.
    void updatesOverTls_data()
    {
        TestCertificates::addServiceTable({QStringLiteral("feed"), QStringLiteral("download")});
    }

    void updatesOverTls()
    {
        QFETCH(QString, part);
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        TestCertificates certificates;
        TestHttpsServer server(certificates.serverConfiguration(TestCertificates::Kind(kind)));
        TestHttpsServer trusted(certificates.serverConfiguration(TestCertificates::Good));
        const bool feedRefused = part == QLatin1String("feed");
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        runUpdateFrom(feedRefused ? server : trusted, {{TestHttpServer::ok(_update)}, 0, TestHttpServer::Answer::KeepOpen, {}, 0},
                      ui, &certificates, &server);
        QCOMPARE(prompter.asked.size(), 1);
        if (refusal.isEmpty()) {
            QCOMPARE(prompter.lastText(), QStringLiteral("Your databases have been updated successfully."));
            QCOMPARE(server.requests().size() + trusted.requests().size(), 2);
            QCOMPARE(currentName(), QString::fromLatin1(_renamed));
            return;
        }
        QCOMPARE(prompter.lastText(),
                 feedRefused ? refusal : refusal + QStringLiteral("\n\nYour databases have not been changed."));
        QVERIFY(server.received().isEmpty());
        QCOMPARE(trusted.requests().size(), feedRefused ? 0 : 1);
        QCOMPARE(currentName(), QString::fromLatin1(_foodName));
        QVERIFY(!QFile::exists(StaticDbUpdater::databasePath()));
    }

    // The download arrives whole whatever its pace, over TLS as over plain TCP, while the
    // progress dialog shows every step from the start; the user may take a while to answer.
    void updatesWhateverThePace_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("bursts");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("answerAfterMs");
        QTest::newRow("plain, at once") << false << false << false << 1500;
        QTest::newRow("plain, at once, then closed") << false << false << true << 0;
        QTest::newRow("plain, in bursts") << false << true << false << 0;
        QTest::newRow("TLS, at once") << true << false << false << 1500;
        QTest::newRow("TLS, in bursts, then closed") << true << true << true << 0;
    }

    void updatesWhateverThePace()
    {
        QFETCH(bool, tls);
        QFETCH(bool, bursts);
        QFETCH(bool, closes);
        QFETCH(int, answerAfterMs);
        TestCertificates certificates;
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : plain;
        const QByteArray whole = TestHttpServer::ok(_update);
        TestHttpServer::Answer download;
        constexpr int Burst = 100 * 1000;
        for (qsizetype at = 0; at < whole.size(); at += bursts ? Burst : whole.size())
            download.pieces << whole.mid(at, bursts ? Burst : whole.size());
        download.pauseMs = 200;
        download.end = closes ? TestHttpServer::Answer::Close : TestHttpServer::Answer::KeepOpen;
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        ui.answerAfterMs = answerAfterMs;
        ui.progressAtOnce = true;
        runUpdateFrom(server, download, ui, &certificates);
        QCOMPARE(prompter.lastText(), QStringLiteral("Your databases have been updated successfully."));
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(currentName(), QString::fromLatin1(_renamed));
    }

    // A download of 10 GiB fails at the size limit with its connection closed, memory
    // bounded and nothing installed, over TLS as over plain TCP.
    void anEndlessDownloadLeavesMemoryBounded_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::newRow("plain") << false;
        QTest::newRow("TLS") << true;
    }

    void anEndlessDownloadLeavesMemoryBounded()
    {
        QFETCH(bool, tls);
        TestCertificates certificates;
        TestHttpsServer secure(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer plain;
        TestHttpServer& server = tls ? static_cast<TestHttpServer&>(secure) : plain;
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        ui.progressAtOnce = true;
        const qint64 before = residentBytes();
        runUpdateFrom(server, TestHttpServer::tenGigabytes(TestHttpServer::Framing::UntilClose), ui, &certificates);
        const qint64 grown = residentBytes() - before;
        QVERIFY2(prompter.lastText().startsWith(QStringLiteral("Response too large")), qPrintable(prompter.lastText()));
        QVERIFY(prompter.lastText().endsWith(QStringLiteral("Your databases have not been changed.")));
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 1000);
        QVERIFY2(grown < BoundedGrowth, qPrintable(QString::number(grown)));
        QVERIFY(server.fillerSent() < qint64(1024) * 1024 * 1024);
        QCOMPARE(currentName(), QString::fromLatin1(_foodName));
        QVERIFY(!QFile::exists(StaticDbUpdater::databasePath()));
    }

    void updateNotLaterThanTheCreationDay()
    {
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        _updateDate = QDate::fromString(_shippedDate, Qt::ISODate);
        runUpdate(ui);
        _updateDate = _updateDate.addDays(30);
        QCOMPARE(prompter.lastText(), QStringLiteral("Your databases are up to date."));
        QCOMPARE(ui.questions, 0);
    }

    // The box as shown is the stored interval or its default; a change is stored whatever the
    // answer, an untouched default never.
    void questionStoresAChangedIntervalWhateverTheAnswer_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("autoCheck");
        QTest::addColumn<QString>("after");
        QTest::newRow("no, ticked") << "-1" << false << true << "28";
        QTest::newRow("no, unticked") << "28" << false << false << "-1";
        QTest::newRow("yes, unticked") << "28" << true << false << "-1";
        QTest::newRow("no, default untouched") << QString() << false << true << QString();
    }

    void questionStoresAChangedIntervalWhateverTheAnswer()
    {
        QFETCH(QString, stored);
        QFETCH(bool, yes);
        QFETCH(bool, autoCheck);
        QFETCH(QString, after);
        const QString key = QStringLiteral("/staticdb/updateInterval");
        if (stored.isNull())
            BXSettings().removeEntry(key);
        else
            BXSettings().writeEntry(key, stored.toInt());
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        ui.answerYes = yes;
        ui.autoCheck = autoCheck;
        ui.allowed = false;
        runUpdate(ui);
        QCOMPARE(ui.questions, 1);
        QCOMPARE(BXSettings().readEntry(key), after);
        QCOMPARE(prompter.asked.size(), yes ? 1 : 0);
    }

    void questionStartsFromTheStoredInterval()
    {
        InstallUpdateQuestion question;
        QCOMPARE(question.windowTitle(), QStringLiteral("Database Updates"));
        QVERIFY(question.findChild<QLabel*>(QStringLiteral("textLabel1"))->text().endsWith(QLatin1String("now?")));
        BXSettings().setInt(BXSettings::StaticDbUpdateInterval, -1);
        ScriptedUpdaterUI ui(nullptr);
        ScriptedPrompter prompter;
        StaticDbUpdater::instance()->setDatabaseState(StaticDbUpdater::UPDATE_AVAILABLE);
        ui.answerYes = false;
        ui.autoCheck = false;
        ui.doUpdate(true);
        QCOMPARE(ui.questions, 1);
        QCOMPARE(BXSettings().getInt(BXSettings::StaticDbUpdateInterval), -1);
    }

    void skippedCheckWithoutKnownUpdateShowsNothing()
    {
        ScriptedPrompter prompter;
        ScriptedUpdaterUI ui(nullptr);
        const int requestsBefore = _server.requests().size();
        ui.doUpdate(true);
        QCOMPARE(prompter.asked.size(), 0);
        QCOMPARE(ui.questions, 0);
        QCOMPARE(ui.progressRuns, 0);
        QCOMPARE(_server.requests().size(), requestsBefore);
    }

    void updaterStates()
    {
        StaticDbUpdater* updater = StaticDbUpdater::instance();
        QVERIFY(!updater->downloadUpdate());
        QVERIFY(!updater->installUpdate());
        QCOMPARE(updater->errorString(), QStringLiteral("No database to install"));
        QCOMPARE(updater->state(), StaticDbUpdater::FAILED);
        QVERIFY(updater->checkForUpdate());
        QVERIFY(updater->processing());
        QVERIFY(!updater->checkForUpdate());
        QSignalSpy finished(updater, &StaticDbUpdater::checkFinished);
        _server.answer(TestHttpServer::ok(updateFeed()));
        QVERIFY(finished.wait(5000));
        QCOMPARE(updater->databaseState(), StaticDbUpdater::UPDATE_AVAILABLE);
        // A download counts as busy: no check may replace its client meanwhile. Its file is
        // made anew over one left behind, readable by the user alone.
        _server.answer(TestHttpServer::ok(_update));
        QSignalSpy downloaded(updater, &StaticDbUpdater::downloadFinished);
        writeFile(StaticDbUpdater::downloadPath(), "left behind");
        QVERIFY(updater->downloadUpdate());
        QVERIFY(updater->processing());
        QCOMPARE(fileMode(StaticDbUpdater::downloadPath()), 0600);
        QVERIFY(!updater->checkForUpdate());
        QVERIFY(downloaded.wait(5000));
        QCOMPARE(downloaded.at(0).at(0).toBool(), false);
        QCOMPARE(readFile(StaticDbUpdater::downloadPath()), _update);
        StaticDbUpdater::cleanUp();
        QVERIFY(!QFile::exists(StaticDbUpdater::downloadPath()));
    }
};

QTEST_MAIN(TestStaticDbUpdater)
#include "tst_staticdbupdater.moc"
