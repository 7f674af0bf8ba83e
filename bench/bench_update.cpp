// Installing a database update: decompressing the download beside the running catalogue,
// checking it, swapping it in and restarting the catalogues, on the shipped catalogue and on
// a synthetic one of a million foods written by the catalogue tool. The shipped catalogue is put
// back before each install; that, the feed and the download (from a server on 127.0.0.1) are not
// timed. Also reading update feeds, deep and wide.
// Runs offscreen in a home folder of its own.

#include "bench/benchwidgets.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "core/bxsettings.h"
#include "net/rssreader.h"
#include "net/staticdbupdater.h"
#include "tests/net/testbrand.h"
#include "tests/net/testhttpserver.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int SYNTHETIC_FOODS = 1000000;

TestHttpServer* s_server = nullptr;
QByteArray s_shippedUpdate;
QByteArray s_syntheticUpdate;

// The catalogue at path, dated far ahead so that every check finds it newer, gzip-compressed.
QByteArray updateOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray data = file.readAll();
    data.replace(36, 10, QByteArray("2099-01-01"));
    z_stream stream = {};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(data.data());
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

bool download(const QByteArray& update)
{
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    s_server->answer(TestHttpServer::ok(
        "<rss version=\"2.0\"><channel><title>U</title><link>L</link><description>D</description><item>"
        "<guid>staticdb_updates</guid><link>" + s_server->url(QStringLiteral("/static.db.gz")).toLatin1()
        + "</link><pubDate>2100-01-01T00:00:00</pubDate></item></channel></rss>"));
    s_server->answer(TestHttpServer::ok(update));
    QSignalSpy checked(updater, &StaticDbUpdater::checkFinished);
    QSignalSpy downloaded(updater, &StaticDbUpdater::downloadFinished);
    return updater->checkForUpdate() && checked.wait(10000) && updater->downloadUpdate()
        && downloaded.wait(60000) && !downloaded.at(0).at(0).toBool();
}

// Puts the shipped catalogue back in use: an update installed by an earlier run would make the
// next one, of the same date, not newer, and refused.
bool restoreShipped()
{
    ExDBStatic::cleanUp();
    FoodDBStatic::cleanUp();
    QFile::remove(StaticDbUpdater::backupPath());
    if (QFile::exists(StaticDbUpdater::databasePath()) && !QFile::remove(StaticDbUpdater::databasePath()))
        return false;
    bool failed = false;
    FoodDBStatic::instance(&failed);
    if (!failed)
        ExDBStatic::instance(&failed);
    return !failed;
}

void install(benchmark::State& state, const QByteArray& update)
{
    for (auto _ : state) {
        state.PauseTiming();
        if (!restoreShipped()) {
            state.SkipWithError("cannot put the shipped catalogue back");
            return;
        }
        if (!download(update)) {
            state.SkipWithError(qPrintable(StaticDbUpdater::instance()->errorString()));
            return;
        }
        state.ResumeTiming();
        if (!StaticDbUpdater::instance()->installUpdate()) {
            state.SkipWithError(qPrintable(StaticDbUpdater::instance()->errorString()));
            return;
        }
    }
    state.counters["compressed MB"] = double(update.size()) / 1e6;
}

void installShipped(benchmark::State& state) { install(state, s_shippedUpdate); }
void installMillion(benchmark::State& state) { install(state, s_syntheticUpdate); }

BENCHMARK(installShipped)->Unit(benchmark::kMillisecond);
BENCHMARK(installMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

QByteArray feedAround(const QByteArray& body)
{
    return "<rss version=\"2.0\"><channel><title>U</title><link>L</link><description>D</description>" + body
         + "</channel></rss>";
}

// Reading the update feed: one whose elements nest n deep (turned away), and one of n items.
void readFeed(benchmark::State& state, const QByteArray& feed)
{
    for (auto _ : state) {
        const RSSReader reader(feed);
        benchmark::DoNotOptimize(reader.getChannel());
    }
    state.counters["bytes"] = double(feed.size());
}

void readDeepFeed(benchmark::State& state)
{
    const int depth = int(state.range(0));
    readFeed(state, feedAround(QByteArray("<g>").repeated(depth) + QByteArray("</g>").repeated(depth)));
}

void readWideFeed(benchmark::State& state)
{
    const QByteArray item = "<item><guid>other</guid><link>http://127.0.0.1/x.gz</link>"
                            "<pubDate>2026-01-01T00:00:00</pubDate></item>";
    readFeed(state, feedAround(item.repeated(int(state.range(0)))));
}

BENCHMARK(readDeepFeed)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(readWideFeed)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

bool writeSyntheticCatalogue(const QString& shipped, const QString& output)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/staticdbtool"),
               {QStringLiteral("--synthetic-foods"), QString::number(SYNTHETIC_FOODS), QStringLiteral("--from"),
                shipped, QStringLiteral("--exercises"), QStringLiteral(PANTREL_EXERCISE_TABLE), QStringLiteral("--output"),
                output});
    return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool setUp(const QTemporaryDir& home)
{
    if (!importBrandWithOverrides({{QStringLiteral("update_rss_url"), s_server->url(QStringLiteral("/feed"))}},
                                  {{QStringLiteral("update_enabled"), true}}))
        return false;
    CatalogueServices::install();
    const QString shipped = BXSettings::getResourceDBPath() + QStringLiteral("static.db");
    const QString synthetic = home.filePath(QStringLiteral("million.db"));
    s_shippedUpdate = updateOf(shipped);
    if (!writeSyntheticCatalogue(shipped, synthetic))
        return false;
    s_syntheticUpdate = updateOf(synthetic);
    QFile::remove(synthetic);
    return !s_shippedUpdate.isEmpty() && !s_syntheticUpdate.isEmpty();
}

} // namespace

int main(int argc, char* argv[])
{
    std::unique_ptr<TestHttpServer> server;
    const auto setUpUpdate = [&server](const QTemporaryDir& home) {
        server = std::make_unique<TestHttpServer>();
        s_server = server.get();
        if (setUp(home))
            return true;
        std::fprintf(stderr, "bench_update: cannot set up the catalogues\n");
        server.reset();
        return false;
    };
    return BenchRun::runWithWidgets(argc, argv, setUpUpdate, [&server] {
        StaticDbUpdater::cleanUp();
        CatalogueServices::cleanUp();
        server.reset();
    });
}
