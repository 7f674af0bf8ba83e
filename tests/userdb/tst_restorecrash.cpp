// A process that dies while it copies the diary (a restore, the start-up's upgrade, a backup)
// leaves either the data it had or the new data, whole, and the next start opens it. No copy
// cut short stays, or looks whole.
//
// The test binary doubles as the copier: started again with the restorer variable set to
// a backup file and the step variable to the kind of copy, it makes that copy, until the test
// kills it at a random moment, or its reads of the files it copies end short (as on a network
// file system) and it dies at a later one.

#include "userdbtestenv.h"

#include "tests/support/failingreads.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarylocation.h"
#include "userdb/diarystart.h"
#include "userdb/diaryversion.h"
#include "userdb/filecopy.h"
#include "userdb/diaryrestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <cstdio>

namespace {

const char* const RestorerVariable = "PANTREL_RESTORER";
const char* const StepVariable = "PANTREL_COPY_STEP";
// "N KIND ONCE": from read N of the copied files on (that one alone when ONCE is 1), reads end
// as ReadFault KIND says.
const char* const FaultVariable = "PANTREL_READ_FAULT";
// The read of the copied files at which the copier dies; 0: it dies once the restored copy is
// in place, before the restore is made final.
const char* const CrashVariable = "PANTREL_READ_CRASH";
constexpr int Kills = 20;
constexpr int OldRows = 50;
constexpr int NewRows = 20000;

// Where the copier notes its working files, as the program does.
QString ledgerFile()
{
    return QDir::homePath() + QStringLiteral("/working-files");
}

// Puts the faults and the crash that the test asks for in place.
void planReads()
{
    const QStringList fault = qEnvironmentVariable(FaultVariable).split(QLatin1Char(' '));
    if (fault.size() == 3) {
        s_readFaultAt = fault[0].toLong();
        s_readFault = ReadFault(fault[1].toInt());
        s_readFaultOnce = fault[2] == QLatin1String("1");
    }
    s_readCrashAt = qEnvironmentVariableIntValue(CrashVariable);
    s_readEndings = {".ptBackup", "/userdata.db", FileCopy::WorkingSuffix, DiaryLocation::SafetySuffix};
}

// Restores `backup`, starts (and so upgrades) the diary there, or backs it up to `backup`.
int runRestorer(const QString& backup, const QString& step)
{
    UserDbTestEnv::loadBrand();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    const bool crashOnceInPlace = qEnvironmentVariableIsSet(CrashVariable) && s_readCrashAt == 0;
    if (qEnvironmentVariableIsSet(FaultVariable))
        planReads();
    std::string error;
    bool done = false;
    if (step.startsWith(QLatin1String("backup"))) {
        WorkingFile::keepLedger(ledgerFile());
        QString reason;
        done = FileCopy::copy(UserDbTestEnv::databaseFile(), backup, &reason);
        error = reason.toStdString();
    } else {
        const bool restore = step == QLatin1String("restore");
        StoreResult result = restore ? DiaryRestore::install(backup) : StoreResult();
        if (result && restore && crashOnceInPlace)
            ::_exit(CrashedExit);
        if (result)
            result = DiaryStart::startUp(true);
        if (result && restore)
            result = DiaryRestore::end(true);
        done = result.ok();
        error = result.message().toStdString();
    }
    QStringList steps;
    for (const long step : s_readSteps)
        steps << QString::number(step);
    std::printf("reads %ld steps %s\n", s_readsCounted, qPrintable(steps.join(QLatin1Char(','))));
    std::fflush(stdout);
    if (!done) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(step), error.c_str());
        return 1;
    }
    BXSqlDb::cleanUp();
    return 0;
}

// What a copier whose reads were planned did.
struct PlannedRun
{
    bool ended = false;
    int exitCode = -1;
    long reads = 0;
    // The reads at which a copy or its proof begins.
    QList<long> steps;
    QString errors;
};

QString rowsNamed(const char* name, int count)
{
    return QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE "
                          "n < %1) INSERT INTO food_diary (user_id, date, meal, status, food_name, "
                          "calories) SELECT 0, '20240301', 1, 1, '%2', n FROM c")
        .arg(count)
        .arg(QLatin1String(name));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray EarlierBackup = "the backup made the day before";

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

bool copyOver(const QString& source, const QString& destination)
{
    QFile::remove(destination);
    return QFile::copy(source, destination);
}

} // namespace

class TestRestoreCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void killedCopyLeavesOldOrNewData_data();
    void killedCopyLeavesOldOrNewData();
    void shortReadsLeaveOldOrNewData_data();
    void shortReadsLeaveOldOrNewData();

private:
    // Runs one copier with its reads planned: fault "N KIND ONCE" and the read it dies at (0: once
    // the restored copy is in place; -1: none).
    PlannedRun runPlanned(const QString& step, const QString& backup, const QString& fault, long crashAt);
    // Puts the data as it was before the copy back in place, and no backup made.
    void resetFiles(const QString& before);
    // Runs one copier; with a delay it is killed that many microseconds after it is ready.
    bool runRestorerProcess(const QString& step, int delayUs, qint64* elapsedUs);
    // Opens the user database as the next start would and names the data it holds.
    QString verifyDatabase();
    // What a killed backup left: "none", "earlier" (the backup it was replacing) or "whole", or
    // what is wrong.
    QString verifyBackup(const QByteArray& live);

    QString _oldData;
    QString _oldVersionData;
    QString _backup;
    QString _backupCopy;
    QString _bigOldData;
    QString _currentBackup;
};

void TestRestoreCrash::initTestCase()
{
    UserDbTestEnv::loadBrand();
    QString error;
    QVERIFY2(UserDbTestEnv::startFresh(&error), qPrintable(error));
    BXSqlDb::cleanUp();
    const QString live = UserDbTestEnv::databaseFile();
    _oldData = QDir::homePath() + QStringLiteral("/old.db");
    _backup = QDir::homePath() + QStringLiteral("/new.ptBackup");
    _backupCopy = QDir::homePath() + QStringLiteral("/made.ptBackup");
    _oldVersionData = QDir::homePath() + QStringLiteral("/old411.db");
    QVERIFY(QFile::copy(live, _backup));
    QVERIFY(UserDbTestEnv::runOn(live, {rowsNamed("old", OldRows)}));
    QVERIFY(QFile::copy(live, _oldData));
    QVERIFY(QFile::copy(live, _oldVersionData));
    QVERIFY(UserDbTestEnv::runOn(_oldVersionData, {QStringLiteral(
        "UPDATE userdata_meta SET itemvalue = 411 WHERE itemkey = 'schema_version'")}));
    // An older version, so that the restore runs an upgrade step as well.
    // Data of more than one block of a copy, in the program's own format and an older one.
    _bigOldData = QDir::homePath() + QStringLiteral("/oldbig.db");
    QVERIFY(QFile::copy(live, _bigOldData));
    QVERIFY(UserDbTestEnv::runOn(_bigOldData, {rowsNamed("padding", NewRows)}));
    _currentBackup = QDir::homePath() + QStringLiteral("/current.ptBackup");
    QVERIFY(QFile::copy(_backup, _currentBackup));
    QVERIFY(UserDbTestEnv::runOn(_currentBackup, {rowsNamed("new", NewRows)}));
    QVERIFY(UserDbTestEnv::runOn(
        _backup, {rowsNamed("new", NewRows),
                  QStringLiteral("UPDATE userdata_meta SET itemvalue = 411 WHERE itemkey = "
                                 "'schema_version'")}));
}

void TestRestoreCrash::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

bool TestRestoreCrash::runRestorerProcess(const QString& step, int delayUs, qint64* elapsedUs)
{
    QProcess restorer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(RestorerVariable),
                       step.startsWith(QLatin1String("backup")) ? _backupCopy : _backup);
    environment.insert(QLatin1String(StepVariable), step);
    restorer.setProcessEnvironment(environment);
    restorer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    restorer.start(QCoreApplication::applicationFilePath(), QStringList());
    // Waits without a limit of their own: however busy the machine, only the test's time limit
    // ends a copier that never ends.
    if (!restorer.waitForStarted(-1))
        return false;
    QByteArray output;
    while (!output.contains("ready\n") && restorer.waitForReadyRead(-1))
        output += restorer.readAllStandardOutput();
    QElapsedTimer timer;
    timer.start();
    if (delayUs >= 0) {
        QThread::usleep(delayUs);
        restorer.kill();
    }
    restorer.waitForFinished(-1);
    const bool ended = restorer.state() == QProcess::NotRunning;
    *elapsedUs = timer.nsecsElapsed() / 1000;
    return ended && output.contains("ready\n")
        && (delayUs >= 0 || (restorer.exitStatus() == QProcess::NormalExit && restorer.exitCode() == 0));
}

PlannedRun TestRestoreCrash::runPlanned(const QString& step, const QString& backup, const QString& fault,
                                        long crashAt)
{
    QProcess restorer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(RestorerVariable), backup);
    environment.insert(QLatin1String(StepVariable), step);
    environment.insert(QLatin1String(FaultVariable), fault);
    if (crashAt >= 0)
        environment.insert(QLatin1String(CrashVariable), QString::number(crashAt));
    restorer.setProcessEnvironment(environment);
    restorer.start(QCoreApplication::applicationFilePath(), QStringList());
    PlannedRun run;
    run.ended = restorer.waitForFinished(-1) && restorer.exitStatus() == QProcess::NormalExit;
    run.exitCode = restorer.exitCode();
    const QRegularExpressionMatch reads = QRegularExpression(QStringLiteral("reads (\\d+) steps ([\\d,]*)"))
                                              .match(QString::fromUtf8(restorer.readAllStandardOutput()));
    run.reads = reads.hasMatch() ? reads.captured(1).toLong() : 0;
    for (const QString& step : reads.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
        run.steps << step.toLong();
    run.errors = QString::fromUtf8(restorer.readAllStandardError());
    return run;
}

void TestRestoreCrash::resetFiles(const QString& before)
{
    QVERIFY(copyOver(before, UserDbTestEnv::databaseFile()));
    QFile::remove(_backupCopy);
    for (const QString& name : UserDbTestEnv::safetyCopies()) {
        if (name != QLatin1String("userdata.db"))
            QFile::remove(UserDbTestEnv::databaseFolder() + name);
    }
}

QString TestRestoreCrash::verifyDatabase()
{
    QString error;
    if (!UserDbTestEnv::startUp(&error))
        return QStringLiteral("no start: ") + error;
    const QString check = UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    const int oldRows = UserDbTestEnv::scalar(
        QStringLiteral("SELECT COUNT(*) FROM food_diary WHERE food_name = 'old'")).toInt();
    const int newRows = UserDbTestEnv::scalar(
        QStringLiteral("SELECT COUNT(*) FROM food_diary WHERE food_name = 'new'")).toInt();
    const int version = DiaryVersion::read();
    BXSqlDb::cleanUp();
    // The killed copy's working copies do not outlive the next start; a copy kept as it was
    // before an upgrade is whole.
    for (const QString& name : UserDbTestEnv::safetyCopies()) {
        if (name == QLatin1String("userdata.db"))
            continue;
        if (!QRegularExpression(QStringLiteral("^userdata\\.\\d{6}-\\d{6}$")).match(name).hasMatch())
            return QStringLiteral("working copy left behind: ") + name;
        if (readAll(UserDbTestEnv::databaseFolder() + name) != readAll(_oldVersionData))
            return QStringLiteral("partial copy looks whole: ") + name;
    }
    if (check != QLatin1String("ok"))
        return QStringLiteral("damaged: ") + check;
    if (oldRows == OldRows && newRows == 0)
        return QStringLiteral("old");
    if (oldRows == 0 && newRows == NewRows && version == DiaryVersion::Current)
        return QStringLiteral("new");
    return QStringLiteral("mixed: %1 old, %2 new rows, version %3").arg(oldRows).arg(newRows).arg(version);
}

QString TestRestoreCrash::verifyBackup(const QByteArray& live)
{
    // The next start finds a working copy that a killed backup left, wherever it lies.
    WorkingFile::keepLedger(ledgerFile());
    if (QFile::exists(_backupCopy + QLatin1String(FileCopy::WorkingSuffix)))
        return QStringLiteral("working copy left behind");
    if (!QFile::exists(_backupCopy))
        return QStringLiteral("none");
    const QByteArray made = readAll(_backupCopy);
    QFile::remove(_backupCopy);
    if (made == EarlierBackup)
        return QStringLiteral("earlier");
    return made == live ? QStringLiteral("whole") : QStringLiteral("partial backup looks whole");
}

void TestRestoreCrash::killedCopyLeavesOldOrNewData_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QStringList>("outcomes");
    QTest::newRow("restore") << "restore" << QStringList{QStringLiteral("old"), QStringLiteral("new")};
    QTest::newRow("upgrade at start") << "upgrade" << QStringList{QStringLiteral("old")};
    QTest::newRow("backup") << "backup" << QStringList{QStringLiteral("none"), QStringLiteral("whole")};
    QTest::newRow("backup over an earlier one")
        << "backup over" << QStringList{QStringLiteral("earlier"), QStringLiteral("whole")};
}

void TestRestoreCrash::killedCopyLeavesOldOrNewData()
{
    QFETCH(QString, step);
    QFETCH(QStringList, outcomes);
    const QString live = UserDbTestEnv::databaseFile();
    const QString before = step == QLatin1String("upgrade") ? _oldVersionData : _oldData;
    const bool backup = step.startsWith(QLatin1String("backup"));
    const bool over = step == QLatin1String("backup over");
    QVERIFY(copyOver(before, live));
    QVERIFY(!over || writeFile(_backupCopy, EarlierBackup));
    qint64 fullRunUs = 0;
    QVERIFY(runRestorerProcess(step, -1, &fullRunUs));
    QCOMPARE(backup ? verifyBackup(readAll(live)) : verifyDatabase(), outcomes.last());

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u, a whole %s takes %lld us", seed, qPrintable(step), fullRunUs);
    QRandomGenerator random(seed);
    QStringList seen;
    for (int round = 0; round < Kills; ++round) {
        QVERIFY(copyOver(before, live));
        QVERIFY(!over || writeFile(_backupCopy, EarlierBackup));
        for (const QString& name : UserDbTestEnv::safetyCopies()) {
            if (name != QLatin1String("userdata.db"))
                QFile::remove(UserDbTestEnv::databaseFolder() + name);
        }
        qint64 elapsed = 0;
        QVERIFY(runRestorerProcess(step, int(random.bounded(fullRunUs)), &elapsed));
        const QString outcome = backup ? verifyBackup(readAll(live)) : verifyDatabase();
        QVERIFY2(outcomes.contains(outcome),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(outcome)));
        seen.append(outcome);
    }
    qInfo("%lld kills left the first outcome", qint64(seen.count(outcomes.first())));
}

void TestRestoreCrash::shortReadsLeaveOldOrNewData_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("backup");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("outcomes");
    QTest::addColumn<bool>("crashes");
    const QStringList restored{QStringLiteral("old"), QStringLiteral("new")};
    const QStringList backedUp{QStringLiteral("none"), QStringLiteral("whole")};
    // A short read is read again as an empty one is: the copier dies after the empty ones.
    for (const auto& [name, fault] : {std::pair{"empty", ReadFault::Empty}, std::pair{"short", ReadFault::Short}}) {
        const bool crashes = fault == ReadFault::Empty;
        // The restored copy, the data kept while it takes the diary's place, their proofs.
        QTest::addRow("restore, %s reads", name) << "restore" << _currentBackup << int(fault) << restored << crashes;
        // With the copies of the upgrade that the restore brings.
        QTest::addRow("restore of an older backup, %s reads", name)
            << "restore" << _backup << int(fault) << restored << crashes;
        QTest::addRow("backup, %s reads", name) << "backup" << QString() << int(fault) << backedUp << crashes;
    }
}

// A read that ends short, or with nothing, before the end of a file is read again, and one that
// does so again stops the copy as a fault of the system, never the end of the file: no copy cut
// short is kept or takes another's place, whenever the copier dies after it.
void TestRestoreCrash::shortReadsLeaveOldOrNewData()
{
    QFETCH(QString, step);
    QFETCH(QString, backup);
    QFETCH(int, fault);
    QFETCH(QStringList, outcomes);
    QFETCH(bool, crashes);
    const bool backingUp = step == QLatin1String("backup");
    const QString live = UserDbTestEnv::databaseFile();
    const auto outcome = [&] { return backingUp ? verifyBackup(readAll(live)) : verifyDatabase(); };
    if (backingUp)
        backup = _backupCopy;
    resetFiles(_bigOldData);
    const PlannedRun whole = runPlanned(step, backup, QString(), -1);
    QVERIFY2(whole.ended && whole.exitCode == 0 && whole.reads > 1, qPrintable(whole.errors));
    QCOMPARE(outcome(), outcomes.last());
    for (long at = 1; at <= whole.reads; ++at) {
        // Every read from there on ends short: what reads it stops, told as a fault of the system.
        resetFiles(_bigOldData);
        const QString always = QStringLiteral("%1 %2 0").arg(at).arg(fault);
        const PlannedRun failing = runPlanned(step, backup, always, -1);
        QVERIFY2(failing.ended
                     && (failing.exitCode == 0
                         || failing.errors.contains(QStringLiteral("a read ended short of what the file holds"))),
                 qPrintable(QStringLiteral("read %1: %2").arg(at).arg(failing.errors)));
        QCOMPARE(outcome(), outcomes.at(failing.exitCode == 0 ? 1 : 0));
        // That read alone: read again, the copy is whole; the copier dies at the next read and
        // as each later copy or proof begins, or once the restored copy is in place.
        const QString once = QStringLiteral("%1 %2 1").arg(at).arg(fault);
        resetFiles(_bigOldData);
        const PlannedRun reread = runPlanned(step, backup, once, -1);
        QVERIFY2(reread.ended && reread.exitCode == 0, qPrintable(reread.errors));
        QCOMPARE(outcome(), outcomes.last());
        if (!crashes)
            continue;
        QList<long> crashPoints{at + 1};
        for (const long begins : reread.steps)
            crashPoints << begins;
        if (!backingUp)
            crashPoints << 0;
        for (const long crashAt : crashPoints) {
            if (crashAt > 0 && crashAt <= at)
                continue;
            resetFiles(_bigOldData);
            const PlannedRun crashed = runPlanned(step, backup, once, crashAt);
            QVERIFY(crashed.ended && crashed.exitCode == CrashedExit);
            const QString left = outcome();
            QVERIFY2(outcomes.contains(left),
                     qPrintable(QStringLiteral("read %1, died at %2: %3").arg(at).arg(crashAt).arg(left)));
        }
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString backup = qEnvironmentVariable(RestorerVariable);
    if (!backup.isEmpty())
        return runRestorer(backup, qEnvironmentVariable(StepVariable));
    TestRestoreCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_restorecrash.moc"
