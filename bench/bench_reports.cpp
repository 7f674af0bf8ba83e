// The printed diary report over a year of the ten-year diary (about 6,000 food entries):
// laying it out for a 72-dots-per-inch PDF printer (loading the days, building the sections
// and cutting them into pages) and drawing all its pages into the PDF.

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "reports/diaryreport.h"
#include "reports/diaryreportfactory.h"
#include "reports/pagesetup.h"
#include "reports/printerrdm.h"
#include "reports/breakdownreportviewer.h"
#include "reports/dateselectorbar.h"
#include "reports/simplereportmetrics.h"
#include "reports/summaryreportfactory.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace TenYearDiary;

const QDate YearStart(2020, 1, 1);
const QDate YearEnd(2020, 12, 31);

// A PDF printer at 72 dots per inch, set up as the print pipeline sets it.
std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setResolution(72);
    PageSetup::instance()->applyTo(*printer);
    printer->setFullPage(true);
    return printer;
}

void loadYear(benchmark::State& state)
{
    for (auto _ : state) {
        DiaryReportFactory factory(YearStart, YearEnd, false, false);
        benchmark::DoNotOptimize(factory.data().days.size());
    }
}
BENCHMARK(loadYear)->Unit(benchmark::kMillisecond);

void layOutYear(benchmark::State& state)
{
    const auto printer = pdfPrinter(QDir::homePath() + QStringLiteral("/layout.pdf"));
    PrinterRDM metrics(*printer);
    int pages = 0;
    for (auto _ : state) {
        DiaryReportFactory factory(YearStart, YearEnd, false, false);
        const std::unique_ptr<Report> report(factory.getReport(&metrics));
        pages = report->getPageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(layOutYear)->Unit(benchmark::kMillisecond);

void drawYear(benchmark::State& state)
{
    DiaryReportFactory factory(YearStart, YearEnd, false, false);
    for (auto _ : state) {
        state.PauseTiming();
        const auto printer = pdfPrinter(QDir::homePath() + QStringLiteral("/draw.pdf"));
        auto metrics = std::make_unique<PrinterRDM>(*printer);
        std::unique_ptr<Report> report(factory.getReport(metrics.get()));
        state.ResumeTiming();
        for (int page = 0; page < report->getPageCount(); ++page) {
            if (page > 0)
                printer->newPage();
            report->draw(metrics->painter(), page);
        }
        // Ending the job writes the PDF file.
        report.reset();
        metrics.reset();
    }
}
BENCHMARK(drawYear)->Unit(benchmark::kMillisecond)->Iterations(2);

// A day of the year, walking forward so that no two iterations show the same day.
QDate nextDay(int& step)
{
    return YearStart.addDays(step++ % 366);
}

void breakdownDayChange(benchmark::State& state)
{
    BreakdownReportViewer viewer;
    viewer.resize(1000, 700);
    // Shown, its pies are drawn as soon as their day changes.
    viewer.show();
    QPixmap pixmap(viewer.size());
    int step = 0;
    for (auto _ : state) {
        viewer.dateBar()->setDate(nextDay(step));
        viewer.render(&pixmap);
    }
}
BENCHMARK(breakdownDayChange)->Unit(benchmark::kMillisecond);

void summaryDayChange(benchmark::State& state)
{
    SimpleReportMetrics metrics;
    metrics.setSize(QSize(1135, 565));
    QPixmap pixmap(metrics.size());
    int step = 0;
    for (auto _ : state) {
        const QDate day = nextDay(step);
        SummaryReportFactory factory(day, day, false);
        const std::unique_ptr<Report> report(factory.getReport(&metrics));
        pixmap.fill(Qt::white);
        QPainter painter(&pixmap);
        report->draw(&painter, 0);
    }
}
BENCHMARK(summaryDayChange)->Unit(benchmark::kMillisecond);

void summaryFactory(benchmark::State& state)
{
    for (auto _ : state) {
        SummaryReportFactory factory(YearStart, YearStart.addDays(int(state.range(0)) - 1), false);
        benchmark::DoNotOptimize(factory.data().pages.size());
    }
}
BENCHMARK(summaryFactory)->Arg(30)->Arg(366)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    return BenchRun::runWithWidgets(argc, argv, [](const QTemporaryDir&) { return openDiary(); }, [] {
        PageSetup::cleanUp();
        closeDiary();
    });
}
