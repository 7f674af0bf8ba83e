// A process that dies while it copies the diary (a restore, the start-up's upgrade, a backup)
// leaves either the data it had or the new data, whole, and the next start opens it. No copy
// cut short stays, or looks whole.
//
// The test binary doubles as the copier: started again with the restorer variable set to
// a backup file and the step variable to the kind of copy, it makes that copy, until the test
// kills it at a random moment.

#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"
#include "userdb/filecopy.h"

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
constexpr int Kills = 20;
constexpr int OldRows = 50;
constexpr int NewRows = 20000;

// Where the copier notes its working files, as the program does.
QString ledgerFile()
{
    return QDir::homePath() + QStringLiteral("/working-files");
}

// Restores `backup`, starts (and so upgrades) the diary there, or backs it up to `backup`.
int runRestorer(const QString& backup, const QString& step)
{
    UserDbTestEnv::loadBrand();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::string error;
    bool done = false;
    if (step.startsWith(QLatin1String("backup"))) {
        WorkingFile::keepLedger(ledgerFile());
        QString reason;
        done = FileCopy::copy(UserDbTestEnv::databaseFile(), backup, &reason);
        error = reason.toStdString();
    } else {
        const bool restore = step == QLatin1String("restore");
        done = (!restore || BXSqlDb::installCopy(backup, error)) && BXSqlDb::startUp(error, true)
            && (!restore || BXSqlDb::endRestore(true, error));
    }
    if (!done) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(step), error.c_str());
        return 1;
    }
    BXSqlDb::cleanUp();
    return 0;
}

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

private:
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
    if (!restorer.waitForStarted(5000))
        return false;
    QByteArray output;
    while (!output.contains("ready\n") && restorer.waitForReadyRead(10000))
        output += restorer.readAllStandardOutput();
    QElapsedTimer timer;
    timer.start();
    if (delayUs >= 0) {
        QThread::usleep(delayUs);
        restorer.kill();
    }
    restorer.waitForFinished(10000);
    *elapsedUs = timer.nsecsElapsed() / 1000;
    return output.contains("ready\n")
        && (delayUs >= 0 || (restorer.exitStatus() == QProcess::NormalExit && restorer.exitCode() == 0));
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
    const int version = BXSqlDb::getVersion();
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
    if (oldRows == 0 && newRows == NewRows && version == BXSqlDb::CurrentSchemaVersion)
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
