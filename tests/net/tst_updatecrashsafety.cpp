// A process killed at any moment of a database update leaves a whole catalogue under the
// user's copy's name (or none), never a part of one, and never loses an update it finished.
//
// The test binary doubles as the updater: started again with the updater variable set, it
// serves itself a newer catalogue each round and installs it, printing the creation date of
// each finished install, until the test kills it.

#include "catalogue/catalogueservices.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "net/staticdbupdater.h"
#include "testbrand.h"
#include "testhttpserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <zlib.h>

#include <cstdio>

namespace {

const char* const UpdaterVariable = "PANTREL_UPDATE_CRASH_CHILD";
constexpr int Kills = 10;
constexpr qint64 UpdaterLifetimeMs = 20000;

QByteArray gzip(const QByteArray& data)
{
    QByteArray out(int(compressBound(uLong(data.size()))) + 64, Qt::Uninitialized);
    z_stream stream = {};
    deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray feed(const QString& link, const QDate& published)
{
    return "<rss version=\"2.0\"><channel><title>U</title><link>L</link><description>D</description>"
           "<item><guid>staticdb_updates</guid><link>" + link.toLatin1() + "</link><pubDate>"
           + published.toString(Qt::ISODate).toLatin1() + "T12:00:00</pubDate></item></channel></rss>";
}

// The updater's side: installs a catalogue one day newer each round.
int runUpdater()
{
    TestHttpServer server;
    if (!importBrandWithOverrides({{QStringLiteral("update_rss_url"), server.url(QStringLiteral("/feed"))}},
                                  {{QStringLiteral("update_enabled"), true}}))
        return 1;
    CatalogueServices::install();
    QFile shippedFile(BXSettings::getResourceDBPath() + QStringLiteral("static.db"));
    if (!shippedFile.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray shipped = shippedFile.readAll();
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QElapsedTimer alive;
    alive.start();
    QDate created = QDate::fromString(QString::fromLatin1(FoodDBStatic::instance()->getCreationDate()), Qt::ISODate);
    while (alive.elapsed() < UpdaterLifetimeMs) {
        created = created.addDays(1);
        QByteArray update = shipped;
        update.replace(36, 10, created.toString(Qt::ISODate).toLatin1());
        server.answer(TestHttpServer::ok(feed(server.url(QStringLiteral("/static.db.gz")), created)));
        server.answer(TestHttpServer::ok(gzip(update)));
        QSignalSpy checked(updater, &StaticDbUpdater::checkFinished);
        QSignalSpy downloaded(updater, &StaticDbUpdater::downloadFinished);
        if (!updater->checkForUpdate() || !checked.wait(5000) || !updater->downloadUpdate() || !downloaded.wait(5000)
            || !updater->installUpdate()) {
            std::fprintf(stderr, "update failed: %s\n", qPrintable(updater->errorString()));
            return 1;
        }
        std::printf("installed %s\n", qPrintable(created.toString(Qt::ISODate)));
        std::fflush(stdout);
    }
    return 0;
}

QString lastInstalled(const QByteArray& output)
{
    QString last;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("installed "))
            last = QString::fromLatin1(line.mid(10));
    }
    return last;
}

} // namespace

class TestUpdateCrashSafety : public QObject
{
    Q_OBJECT

private:
    QByteArray killUpdaterAtRandom(QRandomGenerator& random)
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(UpdaterVariable), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        if (!child.waitForStarted(5000))
            return QByteArray();
        QByteArray output;
        while (!output.contains("ready\n") && child.waitForReadyRead(10000))
            output += child.readAllStandardOutput();
        QThread::usleep(random.bounded(400000));
        child.kill();
        child.waitForFinished(5000);
        return output + child.readAllStandardOutput();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(importBrandWithOverrides({}, {}));
        StaticDB::setUserCopyFolder(BXSettings::getUserDBPath());
    }

    void killedInstallLeavesAWholeCatalogue()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("random seed %u", seed);
        QRandomGenerator random(seed);
        QString installed;
        int finished = 0;
        for (int round = 0; round < Kills; ++round) {
            const QByteArray output = killUpdaterAtRandom(random);
            QVERIFY2(output.startsWith("ready\n"), "the updater did not start");
            if (!lastInstalled(output).isEmpty()) {
                installed = lastInstalled(output);
                ++finished;
            }
            const QString own = BXSettings::getUserDBPath() + QStringLiteral("static.db");
            std::string error;
            QString created;
            if (QFile::exists(own)) {
                QVERIFY2(StaticDB::checkFile(own, &error, &created), error.c_str());
                QVERIFY2(created >= installed, qPrintable(created + QStringLiteral(" < ") + installed));
            } else {
                QVERIFY(installed.isEmpty());
            }
            bool failed = false;
            FoodDBStatic::instance(&failed);
            QVERIFY(!failed);
            ExDBStatic::instance(&failed);
            QVERIFY(!failed);
            ExDBStatic::cleanUp();
            FoodDBStatic::cleanUp();
        }
        qInfo("%d of %d rounds finished an install", finished, Kills);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty(UpdaterVariable))
        return runUpdater();
    TestUpdateCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updatecrashsafety.moc"
