// A process that dies while it writes the diary leaves a sound database that holds every
// entry whose transaction was committed, and no part of one that was not.
//
// The test binary doubles as the writer: started again with the writer variable set, it
// adds diary entries in small transactions and reports each committed batch on its
// standard output, until the test kills it.

#include "userdbtestenv.h"

#include "core/fooddiaryitem.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/diarystart.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <cstdio>

namespace {

const char* const WriterVariable = "PANTREL_DIARY_WRITER";
constexpr int EntriesPerBatch = 3;
constexpr int Kills = 24;
// A writer whose test went away stops by itself.
constexpr qint64 WriterLifetimeMs = 20000;

// The writer's side: batches of entries named "round R batch B", one line of ids per
// committed batch.
int runWriter(const QString& round)
{
    UserDbTestEnv::loadBrand();
    const StoreResult start = DiaryStart::startUp(true);
    if (!start) {
        std::fprintf(stderr, "writer cannot open the database: %s\n", qPrintable(start.message()));
        return 1;
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QElapsedTimer alive;
    alive.start();
    for (int batch = 0; alive.elapsed() < WriterLifetimeMs; ++batch) {
        QStringList ids;
        BXSqlDb::beginTransaction();
        for (int i = 0; i < EntriesPerBatch; ++i) {
            DBTypes::FoodDiaryItem entry;
            entry.userId = 0;
            entry.setDate("20240301");
            entry.meal = 1 + i;
            entry.refId = 0;
            entry.desc = QStringLiteral("round %1 batch %2").arg(round).arg(batch);
            entry.values.energy = 100.0f + float(i);
            ids.append(QString::number(DiaryDB::instance()->addFoodEntry(entry, true)));
        }
        BXSqlDb::commitTransaction();
        std::printf("%s\n", qPrintable(ids.join(QLatin1Char(' '))));
        std::fflush(stdout);
    }
    DiaryDB::cleanUp();
    BXSqlDb::cleanUp();
    return 0;
}

// The ids of the batches that the writer reported as committed.
QSet<int> committedIds(const QByteArray& output)
{
    QSet<int> ids;
    for (const QByteArray& line : output.split('\n')) {
        if (line == "ready")
            continue;
        for (const QByteArray& id : line.split(' ')) {
            bool ok = false;
            const int value = id.toInt(&ok);
            if (ok)
                ids.insert(value);
        }
    }
    return ids;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void killedWriterLosesNoCommittedEntry();

private:
    // Runs one writer, kills it at a random moment and returns everything it printed.
    QByteArray killWriterAtRandom(int round, QRandomGenerator& random);
    void verifyDatabase(const QSet<int>& committed);
};

void TestCrashSafety::initTestCase()
{
    UserDbTestEnv::loadBrand();
    QString error;
    QVERIFY2(UserDbTestEnv::startFresh(&error), qPrintable(error));
    BXSqlDb::cleanUp();
}

void TestCrashSafety::cleanupTestCase()
{
    DiaryDB::cleanUp();
    UserDbTestEnv::removeDatabase();
}

QByteArray TestCrashSafety::killWriterAtRandom(int round, QRandomGenerator& random)
{
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(WriterVariable), QString::number(round));
    writer.setProcessEnvironment(environment);
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!writer.waitForStarted(5000))
        return QByteArray();
    QByteArray output;
    while (!output.contains("ready\n") && writer.waitForReadyRead(10000))
        output += writer.readAllStandardOutput();
    // Anywhere from the first statements to a few dozen committed batches.
    QThread::usleep(random.bounded(40000));
    writer.kill();
    writer.waitForFinished(5000);
    output += writer.readAllStandardOutput();
    return output;
}

void TestCrashSafety::verifyDatabase(const QSet<int>& committed)
{
    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
             QStringLiteral("ok"));

    QSet<int> stored;
    BXSqlQuery ids("SELECT food_id FROM food_diary");
    QVERIFY(ids.exec());
    while (ids.next())
        stored.insert(ids.value(0).toInt());
    const QSet<int> lost = committed - stored;
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 committed entries lost").arg(lost.size())));

    // A batch is there whole or not at all.
    QCOMPARE(UserDbTestEnv::scalar(QStringLiteral(
                                       "SELECT COUNT(*) FROM (SELECT food_name FROM food_diary "
                                       "GROUP BY food_name HAVING COUNT(*) <> %1)")
                                       .arg(EntriesPerBatch))
                 .toInt(),
             0);
    BXSqlDb::cleanUp();
}

void TestCrashSafety::killedWriterLosesNoCommittedEntry()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);
    QSet<int> committed;
    for (int round = 0; round < Kills; ++round) {
        const QByteArray output = killWriterAtRandom(round, random);
        QVERIFY2(output.startsWith("ready\n"), "the writer did not start");
        committed += committedIds(output);
        verifyDatabase(committed);
        if (QTest::currentTestFailed())
            return;
    }
    // The kills fell while entries were being written, not only before.
    qInfo("%lld entries committed before %d kills", qint64(committed.size()), Kills);
    QVERIFY(!committed.isEmpty());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString round = qEnvironmentVariable(WriterVariable);
    if (!round.isEmpty())
        return runWriter(round);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
