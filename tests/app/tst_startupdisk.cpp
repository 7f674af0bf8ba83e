// A start on a full disk names the system's reason, not a guess: the program runs with a
// file-size limit of zero, so that no file of its own can grow.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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
        QTemporaryDir home;
        for (const char* folder : {"home", "config", "data", "runtime"})
            QVERIFY(QDir(home.path()).mkpath(QLatin1String(folder)));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess program;
        program.setProcessEnvironment(env);
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
