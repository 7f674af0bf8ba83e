// Copies of the real program started at the same instant: exactly one runs and owns a
// working channel, and every other copy hands over to it and ends with exit code 0, whether
// or not a crashed copy left its socket behind.

#include "app/qtsingleapplication.h"
#include "channelpeer.h"
#include "tests/app/programhome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr int Rounds = 30;
// Rounds run side by side, each in a home of its own.
constexpr int RoundsAtOnce = 6;
constexpr int WaitMs = 15000;

QString programPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pantrel");
}

// One round: its own home, and the copies started in it.
class Round
{
public:
    Round(int copies, bool staleSocket)
    {
        _staleReady = !staleSocket || ChannelPeer::leaveStaleSocket(socketPath());
        const QProcessEnvironment env = _home.environment();
        for (int n = 0; n < copies; ++n) {
            _copies.push_back(std::make_unique<QProcess>());
            _copies.back()->setProcessEnvironment(env);
        }
    }

    void start()
    {
        for (auto& copy : _copies)
            copy->start(programPath(), QStringList());
    }

    // Empty when exactly one copy runs with a working channel and the others ended with 0.
    QString verify()
    {
        if (!_staleReady)
            return QStringLiteral("no stale socket could be left");
        QDeadlineTimer deadline(WaitMs);
        while (!deadline.hasExpired() && running() > 1) {
            for (auto& copy : _copies)
                copy->waitForFinished(10);
        }
        QString problem;
        if (running() != 1)
            problem = QStringLiteral("%1 copies run").arg(running());
        for (auto& copy : _copies) {
            if (copy->state() == QProcess::NotRunning
                && (copy->exitStatus() != QProcess::NormalExit || copy->exitCode() != 0))
                problem += QStringLiteral(" a copy ended with %1: %2")
                               .arg(copy->exitCode())
                               .arg(QString::fromLocal8Bit(copy->readAllStandardError()));
        }
        bool answered = false;
        while (!answered && !deadline.hasExpired() && running() == 1) {
            answered = ChannelPeer::send(socketPath(), "Wake up!", 500);
            for (auto& copy : _copies)
                copy->waitForFinished(answered ? 0 : 10);
        }
        if (!answered)
            problem += QStringLiteral(" the running copy does not answer");
        return problem;
    }

    void stop()
    {
        for (auto& copy : _copies) {
            if (copy->state() != QProcess::NotRunning)
                ::kill(pid_t(copy->processId()), SIGTERM);
        }
        for (auto& copy : _copies) {
            if (!copy->waitForFinished(WaitMs)) {
                copy->kill();
                copy->waitForFinished();
            }
        }
    }

private:
    QString socketPath() const
    {
        return _home.path("runtime") + QLatin1Char('/') + QLatin1String(ApplicationId);
    }
    int running() const
    {
        int count = 0;
        for (const auto& copy : _copies)
            count += copy->state() != QProcess::NotRunning ? 1 : 0;
        return count;
    }

    ProgramHome _home;
    bool _staleReady = true;
    std::vector<std::unique_ptr<QProcess>> _copies;
};

} // namespace

class TestSimultaneousStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneCopyRuns_data();
    void oneCopyRuns();
};

void TestSimultaneousStart::initTestCase()
{
    QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
}

void TestSimultaneousStart::oneCopyRuns_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("staleSocket");
    QTest::newRow("two") << 2 << false;
    QTest::newRow("two over a stale socket") << 2 << true;
    QTest::newRow("three") << 3 << false;
    QTest::newRow("three over a stale socket") << 3 << true;
}

void TestSimultaneousStart::oneCopyRuns()
{
    QFETCH(int, copies);
    QFETCH(bool, staleSocket);
    for (int first = 0; first < Rounds; first += RoundsAtOnce) {
        std::vector<std::unique_ptr<Round>> rounds;
        for (int n = first; n < qMin(first + RoundsAtOnce, Rounds); ++n)
            rounds.push_back(std::make_unique<Round>(copies, staleSocket));
        for (auto& round : rounds)
            round->start();
        QStringList problems;
        for (size_t n = 0; n < rounds.size(); ++n) {
            const QString problem = rounds[n]->verify();
            if (!problem.isEmpty())
                problems << QStringLiteral("round %1: %2").arg(first + int(n)).arg(problem);
        }
        for (auto& round : rounds)
            round->stop();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
}

QTEST_GUILESS_MAIN(TestSimultaneousStart)
#include "tst_simultaneousstart.moc"
