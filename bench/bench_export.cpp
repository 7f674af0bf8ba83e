// The CSV export of a thirty-year diary (10,951 days) with one file per day, driven as the
// user drives it: the options dialog answered (the whole diary, a file per day in a folder),
// then the export under its progress dialog, which reads every day and writes each file whole
// before it takes its name. Also how long the export takes to stop once the end of the session
// is asked for a second into it.

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "core/endrequest.h"
#include "core/unitcollection.h"
#include "reports/csvexportdiary.h"
#include "reports/csvoptions.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace TenYearDiary;

constexpr int ThirtyYears = 10951;

// The options dialog as the user answers it: the whole diary, a file per day in `folder`.
class DayFilesOptions : public CSVOptions
{
public:
    explicit DayFilesOptions(const QString& folder) : CSVOptions(nullptr), _folder(folder)
    {
        printAllRadioButton->setChecked(true);
        dayFilesCheckBox->setChecked(true);
    }

protected:
    QString askManyDir() override { return _folder; }

private:
    QString _folder;
};

class DayFilesExport : public CsvExportDiary
{
public:
    explicit DayFilesExport(const QString& folder)
        : CsvExportDiary(nullptr, FirstDay), _folder(folder)
    {
    }

protected:
    CSVOptions* createOptions(QWidget*) override { return new DayFilesOptions(_folder); }
    bool runOptions(CSVOptions*) override { return true; }

private:
    QString _folder;
};

void exportThirtyYearsPerDay(benchmark::State& state)
{
    const QString folder = QDir::homePath() + QStringLiteral("/days");
    QDir().mkpath(folder);
    for (auto _ : state)
        DayFilesExport(folder).perform();
    state.counters["files"] = double(QDir(folder).entryList(QDir::Files).size());
}
BENCHMARK(exportThirtyYearsPerDay)->Unit(benchmark::kMillisecond)->Iterations(2);

// The time from the end of the session asked, a second into the export, to its return.
void stopThirtyYearsPerDay(benchmark::State& state)
{
    const QString folder = QDir::homePath() + QStringLiteral("/stopped");
    QDir().mkpath(folder);
    QElapsedTimer sinceAsked;
    for (auto _ : state) {
        QTimer::singleShot(1000, [&sinceAsked] {
            sinceAsked.start();
            EndRequest::ask();
        });
        DayFilesExport(folder).perform();
        state.SetIterationTime(double(sinceAsked.nsecsElapsed()) / 1e9);
        EndRequest::reset();
    }
}
BENCHMARK(stopThirtyYearsPerDay)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char* argv[])
{
    return BenchRun::runWithWidgets(
        argc, argv, [](const QTemporaryDir&) { return openDiary({}, ThirtyYears); }, closeDiary);
}
