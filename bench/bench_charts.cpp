// The charts of the reports page over the ten-year diary with daily weights and steps: the
// weight and step charts for a year and the nutrient chart for a month with all twelve
// series, each with its store reads and model; the Qt Charts build of each is recorded too.

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "reports/nutrientchart.h"
#include "reports/stepchart.h"
#include "reports/weightchart.h"
#include "userdb/bxsqlquery.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace TenYearDiary;

const QDate YearEnd(2020, 12, 31);
const QDate YearStart = YearEnd.addDays(-364);
const QDate MonthStart = YearEnd.addDays(-29);

void addSteps()
{
    BXSqlQuery update("UPDATE user_checkins SET steps = 4000 + (julianday(substr(date, 1, 4) || '-' || "
                      "substr(date, 5, 2) || '-' || substr(date, 7, 2)) % 7) * 1000 WHERE user_id = ?");
    update.bindValue(0, User);
    update.exec();
}

void weightYear(benchmark::State& state)
{
    WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
    for (auto _ : state)
        chart.setDateRange(YearStart, YearEnd);
}
BENCHMARK(weightYear)->Unit(benchmark::kMillisecond);

void stepYear(benchmark::State& state)
{
    StepChart chart(nullptr, QStringLiteral("Steps Chart"));
    for (auto _ : state)
        chart.setDateRange(YearStart, YearEnd);
}
BENCHMARK(stepYear)->Unit(benchmark::kMillisecond);

void nutrientMonth(benchmark::State& state)
{
    NutrientChart chart(nullptr, QStringLiteral("Nutrients"));
    for (auto _ : state)
        chart.configure(MonthStart, YearEnd, 0xFFF);
}
BENCHMARK(nutrientMonth)->Unit(benchmark::kMillisecond);

// The same charts drawn once at a screen size: the scene's paint on top of the build.
void paintYearCharts(benchmark::State& state)
{
    WeightChart weight(nullptr, QStringLiteral("Weight Chart"));
    StepChart steps(nullptr, QStringLiteral("Steps Chart"));
    NutrientChart nutrients(nullptr, QStringLiteral("Nutrients"));
    QImage canvas(800, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        weight.setDateRange(YearStart, YearEnd);
        steps.setDateRange(YearStart, YearEnd);
        nutrients.configure(MonthStart, YearEnd, 0xFFF);
        for (ReportsChart* chart : std::initializer_list<ReportsChart*>{&weight, &steps, &nutrients}) {
            QPainter painter(&canvas);
            chart->print(&painter, canvas.rect());
        }
    }
}
BENCHMARK(paintYearCharts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    const auto setUp = [](const QTemporaryDir&) {
        if (!openDiary())
            return false;
        addSteps();
        return true;
    };
    return BenchRun::runWithWidgets(argc, argv, setUp, closeDiary);
}
