// Backup Data over the ten-year diary: the copy of the closed diary to a backup file and the
// checks the copy passes before it takes the backup's place, as the main window runs them.
// Three ways of checking are measured side by side: the proof that Restore Data would take the
// copy, with its integrity check run in steps under a progress (today's backup); that proof
// after an integrity check of its own (the backup of the round before, which checked the copy
// twice); and the integrity check alone (the backup before the proof was added). Then Backup
// Data and Restore Data whole, as the user runs them from the main window.

#include "app/mainwindow.h"
#include "bench/benchrun.h"
#include "userdb/diaryproof.h"
#include "userdb/userdb.h"
#include "bench/tenyeardiary.h"
#include "core/workprogress.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"
#include "userdb/fileintegrity.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>

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
    return FileIntegrity::check(copy).ok();
}

bool restoreProof(const QString& copy, WorkProgress* progress)
{
    return MainWindow::checkBackupFile(copy).isEmpty()
        && DiaryProof::proveFile(copy, DiaryProof::Proof::Restore, progress).ok();
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

// The main window with its dialogs answered as the user who backs up and restores answers
// them: the file chosen, Yes to overwrite and to restore, Ok to what it tells.
class ScriptedWindow : public MainWindow
{
public:
    QString file;
    QString told;

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon, const QString& caption, const QString&,
                                            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton,
                                            const QString&, const QString&) override
    {
        told = caption;
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    QString askBackupFileName(const QString&) override { return file; }
    QString askRestoreFileName(const QString&) override { return file; }
    void startUpdateCheck() override {}
    void stopUpdateCheck() override {}
    void startMetricsUpload(QObject*) override {}
};

ScriptedWindow* s_window = nullptr;

QString windowBackupFile()
{
    return QFileInfo(DiaryLocation::path()).absolutePath() + QStringLiteral("/window.ptBackup");
}

// Runs a command of the window; the run fails unless the window tells it done.
void runCommand(benchmark::State& state, void (MainWindow::*command)(), const char* done)
{
    s_window->file = windowBackupFile();
    for (auto _ : state) {
        (s_window->*command)();
        if (s_window->told != QLatin1String(done)) {
            state.SkipWithError(qPrintable(s_window->told));
            return;
        }
    }
}

void windowBackup(benchmark::State& state)
{
    runCommand(state, &MainWindow::backupUserDB, "Backup successful");
}
BENCHMARK(windowBackup)->Unit(benchmark::kMillisecond)->Iterations(3);

void windowRestore(benchmark::State& state)
{
    runCommand(state, &MainWindow::restoreUserDB, "Restore successful");
}
BENCHMARK(windowRestore)->Unit(benchmark::kMillisecond)->Iterations(3);

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
    // The window's commands run on the diary open on its user; the copies above on it closed.
    if (!TenYearDiary::startDatabase())
        return 1;
    UserDB::instance()->setCurrentUser(TenYearDiary::User);
    auto window = std::make_unique<ScriptedWindow>();
    s_window = window.get();
    QFile::remove(windowBackupFile());
    window->file = windowBackupFile();
    window->backupUserDB();
    BXSqlDb::cleanUp();
    BenchRun::runBenchmarks(argc, argv);
    window.reset();
    BrandEngine::cleanUp();
    return 0;
}
