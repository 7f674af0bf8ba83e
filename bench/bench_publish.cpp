// The documents of the online services over the ten-year diary with nothing sent yet: the
// first publish document (the newest 2,000 entries, 3,650 check-ins, ten years of water) and
// the usage report over ten years of unreported starts and changes, which is built on the
// event loop right after start.

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "net/bxpublish.h"
#include "net/metrics.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace TenYearDiary;

// A glass count and a program start on every day of the diary.
void addWaterAndStarts()
{
    BXSqlDb::beginTransaction();
    for (int day = 0; day < Days; ++day) {
        const QByteArray date = dateCode(FirstDay.addDays(day));
        BXSqlQuery water("INSERT INTO water_diary(user_id, date, cups) VALUES (?, ?, ?)");
        water.bindValue(0, User);
        water.bindValue(1, date.constData());
        water.bindValue(2, 1 + day % 8);
        water.exec();
        BXSqlQuery start("INSERT INTO metrics_startStats(user_id, date, count) VALUES (?, ?, ?)");
        start.bindValue(0, User);
        start.bindValue(1, date.constData());
        start.bindValue(2, 1 + day % 3);
        start.exec();
    }
    BXSqlDb::commitTransaction();
}

void publishDocument(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        BxPublish publisher(nullptr);
        bytes = publisher.publishXML().size();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(publishDocument)->Unit(benchmark::kMillisecond);

void metricsDocument(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = Metrics::metricsXML().value_or(std::string()).size();
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(metricsDocument)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    const auto setUp = [](const QTemporaryDir&) {
        if (!openDiary())
            return false;
        addWaterAndStarts();
        return true;
    };
    return BenchRun::runWithWidgets(argc, argv, setUp, closeDiary);
}
