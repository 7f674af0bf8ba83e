// The user database with a long diary: ten years of one user, about 60,000 food entries,
// 7,000 exercise entries and 3,650 check-ins, written into a temporary home folder. Measures
// what the diary view and the reports ask of it: opening the database, loading one day,
// listing the dates of a month and summing a month of nutrients; and making a custom food.

#include "bench/benchrun.h"
#include "catalogue/fooddbdynamic.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "bench/tenyeardiary.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace TenYearDiary;

// A day somewhere in the diary, different on every pass.
QByteArray someDay(QRandomGenerator& random)
{
    return dateCode(FirstDay.addDays(random.bounded(Days)));
}

// Closing costs next to nothing; the database stays open for the benchmarks after.
void restartEachPass(benchmark::State& state)
{
    for (auto _ : state) {
        BXSqlDb::cleanUp();
        if (!startDatabase()) {
            state.SkipWithError("cannot open the user database");
            return;
        }
    }
}

void openDatabase(benchmark::State& state)
{
    restartEachPass(state);
}
BENCHMARK(openDatabase)->Unit(benchmark::kMillisecond);

void loadDay(benchmark::State& state)
{
    QRandomGenerator random(1);
    for (auto _ : state) {
        const DBTypes::DiaryDay day = DiaryDB::instance()->getDay(User, someDay(random).constData(), false).value();
        benchmark::DoNotOptimize(day.foods.size());
    }
}
BENCHMARK(loadDay)->Unit(benchmark::kMicrosecond);

void listMonthDates(benchmark::State& state)
{
    QRandomGenerator random(2);
    for (auto _ : state) {
        const QDate month = FirstDay.addDays(random.bounded(Days));
        benchmark::DoNotOptimize(DiaryDB::instance()->getAllDatesForMonth(User, month, false));
    }
}
BENCHMARK(listMonthDates)->Unit(benchmark::kMicrosecond);

void sumMonth(benchmark::State& state)
{
    QRandomGenerator random(3);
    for (auto _ : state) {
        const QDate first = FirstDay.addDays(random.bounded(Days));
        const QDate start(first.year(), first.month(), 1);
        const QByteArray from = dateCode(start);
        const QByteArray to = dateCode(start.addMonths(1).addDays(-1));
        benchmark::DoNotOptimize(DiaryDB::instance()->getNutrientInfo(User, from.constData(), to.constData(), 0));
    }
}
BENCHMARK(sumMonth)->Unit(benchmark::kMicrosecond);

// A new custom food in the user's own tree, as New Food stores it for the user shown: the gate
// of the user's tree, the fresh id, the row, the mark of the highest id and the tree reloaded.
void makeFood(benchmark::State& state)
{
    UserDB::instance()->setCurrentUser(User);
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    const qint64 root = foods->getRootForUser(User);
    DBTypes::FoodItem values;
    values.energy = 250.0f;
    int made = 0;
    for (auto _ : state) {
        if (foods->createFood(root, QStringLiteral("Food %1").arg(++made), QStringLiteral("serving"), values) < 0) {
            state.SkipWithError("cannot store the food");
            return;
        }
    }
}
BENCHMARK(makeFood)->Unit(benchmark::kMillisecond);

// The start with 4,000 sync devices, each following a user of its own, as a file may hold
// them; registered last, as the devices stay.
void openDatabaseWithManyDevices(benchmark::State& state)
{
    BXSqlDb::perform("WITH RECURSIVE n(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM n WHERE i < 4009) "
                     "INSERT INTO userdata_sync_devices(id, name, user_id) SELECT i, 'reader', i - 10 "
                     "FROM n WHERE NOT EXISTS (SELECT 1 FROM userdata_sync_devices WHERE id = 10)");
    restartEachPass(state);
}
BENCHMARK(openDatabaseWithManyDevices)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    // Everything the program writes goes to a home folder of its own.
    QTemporaryDir home;
    if (!BenchRun::useHome(home))
        return 1;
    QCoreApplication app(argc, argv);
    BenchRun::hideDebugMessages();
    if (!BenchRun::importBrand() || !writeDiary())
        return 1;
    if (!startDatabase())
        return 1;
    const QFileInfo file(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"));
    std::printf("ten-year diary: %.1f MB\n", double(file.size()) / 1048576.0);
    BenchRun::runBenchmarks(argc, argv);
    FoodDBDynamic::cleanUp();
    DiaryDB::cleanUp();
    BXSqlDb::cleanUp();
    BrandEngine::cleanUp();
    return 0;
}
