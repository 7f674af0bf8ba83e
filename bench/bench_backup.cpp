// Backup Data over the ten-year diary: the copy of the closed diary to a backup file and the
// checks the copy passes before it takes the backup's place, as the main window runs them.
// Three ways of checking are measured side by side: the proof that Restore Data would take the
// copy, with its integrity check run in steps under a progress (today's backup); that proof
// after an integrity check of its own (the backup of the round before, which checked the copy
// twice); and the integrity check alone (the backup before the proof was added).

#include "app/mainwindow.h"
#include "bench/benchrun.h"
#include "bench/tenyeardiary.h"
#include "core/workprogress.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>

namespace {

// A progress that never stops, and keeps the longest time between two of its steps: how long
// Cancel or the end of the session would wait to be heard.
class StepTimes : public WorkProgress
{
public:
    qint64 longestMs() const { return _longest; }

protected:
    bool report(qint64, qint64) override
    {
        if (_since.isValid())
            _longest = qMax(_longest, _since.elapsed());
        _since.start();
        return true;
    }

private:
    QElapsedTimer _since;
    qint64 _longest = 0;
};

using Check = std::function<bool(const QString& copy, WorkProgress* progress)>;

bool integrityCheck(const QString& copy)
{
    return BXSqlDb::checkFileIntegrity(copy).ok();
}

bool restoreProof(const QString& copy, WorkProgress* progress)
{
    return MainWindow::checkBackupFile(copy).isEmpty()
        && BXSqlDb::proveFile(copy, BXSqlDb::Proof::Restore, progress).ok();
}

void backUp(benchmark::State& state, const Check& check)
{
    const QString diary = DiaryLocation::path();
    const QString backup = QFileInfo(diary).absolutePath() + QStringLiteral("/bench.ptBackup");
    qint64 longest = 0;
    for (auto _ : state) {
        StepTimes progress;
        QString reason;
        const auto prove = [&check, &progress](const QString& copy, QString*) { return check(copy, &progress); };
        if (!FileCopy::copy(diary, backup, &reason, prove, nullptr, &progress)) {
            state.SkipWithError(qPrintable(reason));
            return;
        }
        longest = qMax(longest, progress.longestMs());
    }
    state.counters["longest step ms"] = double(longest);
}

void backupCheckedOnce(benchmark::State& state)
{
    backUp(state, restoreProof);
}
BENCHMARK(backupCheckedOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

void backupCheckedTwice(benchmark::State& state)
{
    backUp(state, [](const QString& copy, WorkProgress* progress) {
        return integrityCheck(copy) && restoreProof(copy, progress);
    });
}
BENCHMARK(backupCheckedTwice)->Unit(benchmark::kMillisecond)->Iterations(3);

void backupByIntegrityCheck(benchmark::State& state)
{
    backUp(state, [](const QString& copy, WorkProgress*) { return integrityCheck(copy); });
}
BENCHMARK(backupByIntegrityCheck)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char* argv[])
{
    // Everything the program writes goes to a home folder of its own.
    QTemporaryDir home;
    if (!BenchRun::useHomeOffscreen(home))
        return 1;
    QApplication app(argc, argv);
    BenchRun::hideDebugMessages();
    // The diary is closed while it is copied, as Backup Data closes it.
    if (!BenchRun::importBrand() || !TenYearDiary::writeDiary())
        return 1;
    std::printf("ten-year diary: %.1f MB\n", double(QFileInfo(DiaryLocation::path()).size()) / 1048576.0);
    BenchRun::runBenchmarks(argc, argv);
    BrandEngine::cleanUp();
    return 0;
}
