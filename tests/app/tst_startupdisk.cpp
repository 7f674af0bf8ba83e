// A start on a full disk names the system's reason, not a guess: the program runs with a
// file-size limit of zero, so that no file of its own can grow.

#include "tests/app/programhome.h"

#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

class TestStartupDisk : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskAtStartGivesTheSystemsReason()
    {
        const ProgramHome home;
        QVERIFY(home.isMade());

        QProcess program;
        program.setProcessEnvironment(home.environment());
        program.setChildProcessModifier([] {
            // A write past the limit then fails with an error instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit none {0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
        });
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/pantrel"),
                      QStringList());
        QVERIFY(program.waitForFinished(20000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(errors.contains(QString::fromLocal8Bit(std::strerror(EFBIG))), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("Check that it exists")), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestStartupDisk)
#include "tst_startupdisk.moc"
