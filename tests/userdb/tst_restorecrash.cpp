// A process that dies while it restores a backup leaves either the data it had or the
// restored data, whole, and the next start opens it.
//
// The test binary doubles as the restorer: started again with the restorer variable set to
// a backup file, it puts that file in place of the user database and opens it, until the
// test kills it at a random moment.

#include "userdbtestenv.h"

#include "userdb/bxsqldb.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <cstdio>

namespace {

const char* const RestorerVariable = "PANTREL_RESTORER";
constexpr int Kills = 20;
constexpr int OldRows = 50;
constexpr int NewRows = 20000;

int runRestorer(const QString& backup)
{
    UserDbTestEnv::loadBrand();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::string error;
    const QString safety = UserDbTestEnv::databaseFile() + QStringLiteral(".before-restore");
    if (!BXSqlDb::installCopy(backup, safety, error) || !BXSqlDb::startUp(error, true)) {
        std::fprintf(stderr, "restore failed: %s\n", error.c_str());
        return 1;
    }
    BXSqlDb::cleanUp();
    QFile::remove(safety);
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

    void killedRestoreLeavesOldOrNewData();

private:
    // Runs one restorer; with a delay it is killed that many microseconds after it is ready.
    bool runRestorerProcess(int delayUs, qint64* elapsedUs);
    // Opens the user database as the next start would and names the data it holds.
    QString verifyDatabase();

    QString _oldData;
    QString _backup;
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
    QVERIFY(QFile::copy(live, _backup));
    QVERIFY(UserDbTestEnv::runOn(live, {rowsNamed("old", OldRows)}));
    QVERIFY(QFile::copy(live, _oldData));
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

bool TestRestoreCrash::runRestorerProcess(int delayUs, qint64* elapsedUs)
{
    QProcess restorer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(RestorerVariable), _backup);
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
    // The killed restore's working copy does not outlive the next start.
    if (QFile::exists(UserDbTestEnv::databaseFile() + QStringLiteral(".restoring")))
        return QStringLiteral("working copy left behind");
    if (check != QLatin1String("ok"))
        return QStringLiteral("damaged: ") + check;
    if (oldRows == OldRows && newRows == 0)
        return QStringLiteral("old");
    if (oldRows == 0 && newRows == NewRows && version == BXSqlDb::CurrentSchemaVersion)
        return QStringLiteral("new");
    return QStringLiteral("mixed: %1 old, %2 new rows, version %3").arg(oldRows).arg(newRows).arg(version);
}

void TestRestoreCrash::killedRestoreLeavesOldOrNewData()
{
    const QString live = UserDbTestEnv::databaseFile();
    qint64 fullRunUs = 0;
    QVERIFY(runRestorerProcess(-1, &fullRunUs));
    QCOMPARE(verifyDatabase(), QStringLiteral("new"));

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u, a whole restore takes %lld us", seed, fullRunUs);
    QRandomGenerator random(seed);
    QStringList outcomes;
    for (int round = 0; round < Kills; ++round) {
        QVERIFY(copyOver(_oldData, live));
        qint64 elapsed = 0;
        QVERIFY(runRestorerProcess(int(random.bounded(fullRunUs)), &elapsed));
        const QString outcome = verifyDatabase();
        QVERIFY2(outcome == QLatin1String("old") || outcome == QLatin1String("new"),
                 qPrintable(QStringLiteral("round %1: %2").arg(round).arg(outcome)));
        outcomes.append(outcome);
    }
    qInfo("%lld kills left the old data", qint64(outcomes.count(QStringLiteral("old"))));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString backup = qEnvironmentVariable(RestorerVariable);
    if (!backup.isEmpty())
        return runRestorer(backup);
    TestRestoreCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_restorecrash.moc"
