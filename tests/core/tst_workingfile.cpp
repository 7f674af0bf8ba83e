#include "core/keptfiles.h"
#include "core/workingfile.h"
#include "tests/support/failingreads.h"
#include "tests/support/filesizelimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, QFile::Permissions modes = QFile::ReadOwner | QFile::WriteOwner,
               const QByteArray& data = "data")
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.setPermissions(modes);
}

// The exit code of `step` run in a child that ends without clearing up, as a killed run does.
template <typename Step>
int inKilledRun(Step step)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(step());
    int status = -1;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class TestWorkingFile : public QObject
{
    Q_OBJECT

private slots:
    void ledgerRemovesOnlyWhatItWrote_data()
    {
        QTest::addColumn<QString>("written");     // by a killed run; empty for a ledger written by hand
        QTest::addColumn<QStringList>("others");  // files it never wrote, relative to the current folder
        QTest::addColumn<QByteArray>("header");   // of the ledger written by hand
        QTest::addColumn<ReadFault>("fault");     // of the ledger's first read
        QTest::addColumn<bool>("faultOnce");      // or of each read from it on
        const QStringList others{"victim.partial", "shared.partial", "own2.partial"};
        const QByteArray header("%working-files 2\n");
        QTest::newRow("a name with a line break") << QStringLiteral("copy\nvictim.ptBackup") << QStringList{"victim.ptBackup.partial"} << QByteArray() << ReadFault::None << true;
        QTest::newRow("an earlier version's ledger") << QString() << others << QByteArray() << ReadFault::None << true;
        QTest::newRow("a ledger of this version") << QString() << others << header << ReadFault::None << true;
        QTest::newRow("read as empty once") << QString() << others << header << ReadFault::Empty << true;
        // A ledger that cannot be read whole is kept as it is, with what it names.
        QTest::newRow("read as empty each time") << QString() << others << header << ReadFault::Empty << false;
    }

    // A start removes the working files that a killed run left, however they are called, and
    // nothing else: no part of a name, no name that is not absolute or steps back, no file that
    // an earlier version's ledger may name only in part.
    void ledgerRemovesOnlyWhatItWrote()
    {
        QFETCH(QString, written);
        QFETCH(QStringList, others);
        QFETCH(QByteArray, header);
        QFETCH(ReadFault, fault);
        QFETCH(bool, faultOnce);
        QTemporaryDir dir;
        const QString current = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString ledger = dir.filePath(QStringLiteral("working-files"));
        const QString own = dir.filePath(written.isEmpty() ? QStringLiteral("own.partial") : written + WorkingFile::Suffix);
        for (const QString& other : others)
            QVERIFY(writeFile(other, other.startsWith(QLatin1String("shared")) ? QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther
                                                                                : QFile::ReadOwner | QFile::WriteOwner));
        const QByteArray earlier = header + QFile::encodeName(QStringLiteral("%1\nvictim.partial\n%2/shared.partial\n%2/x/../own2.partial\n")
                                                                  .arg(own, dir.path()));
        QVERIFY(written.isEmpty() ? writeFile(own) && writeFile(ledger, QFile::ReadOwner | QFile::WriteOwner, earlier)
                                  : inKilledRun([&] {
                                        WorkingFile::keepLedger(ledger);
                                        WorkingFile file(dir.filePath(written));
                                        QString reason;
                                        // Killed while the file is written.
                                        if (file.open(&reason))
                                            ::_exit(0);
                                        return 1;
                                    }) == 0);
        s_readEndings = {"/working-files"};
        s_readsCounted = 0;
        s_readFaultAt = 1;
        s_readFault = fault;
        s_readFaultOnce = faultOnce;
        const bool read = !WorkingFile::keepLedger(ledger);
        s_readEndings.clear();
        WorkingFile::keepLedger(QString());
        QStringList left;
        for (const QString& file : QStringList(own) + others)
            left << (QFileInfo::exists(file) ? file : QString());
        QDir::setCurrent(current);
        QCOMPARE(read, faultOnce);
        QCOMPARE(left, QStringList(read ? QString() : own) + others);
        QCOMPARE(QFileInfo::exists(ledger), !read);
    }

    // A write that a read-only disk refused leaves no name in the ledger: its file was never made.
    void refusedWriteIsNotNoted()
    {
        QTemporaryDir dir;
        const QString ledger = dir.filePath(QStringLiteral("working-files"));
        const QByteArray disk = QFile::encodeName(dir.filePath(QStringLiteral("disk")));
        QVERIFY(QDir().mkdir(QFile::decodeName(disk)));
        // The step that could not be taken here, and why.
        const QString unmounted = dir.filePath(QStringLiteral("unmounted"));
        const int code = inKilledRun([&] {
            const char* step = (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                ? "unshare"
                : ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ? "mount --make-rprivate /"
                : ::mount("tmpfs", disk.constData(), "tmpfs", MS_RDONLY, nullptr) != 0 ? "mount -o ro tmpfs"
                                                                                      : nullptr;
            if (step)
                return writeFile(unmounted, QFile::ReadOwner, QByteArray(step) + ": " + std::strerror(errno)) ? 2 : 3;
            WorkingFile::keepLedger(ledger);
            QString reason;
            const bool refused = !WorkingFile(QFile::decodeName(disk) + QStringLiteral("/backup")).open(&reason);
            return refused && reason.endsWith(QStringLiteral("Read-only file system"))
                           && WorkingFile::ledgerFiles() == QStringList(ledger) ? 0 : 1;
        });
        if (code == 2) {
            QFile reason(unmounted);
            const QByteArray why = reason.open(QIODevice::ReadOnly) ? reason.readAll() : QByteArray();
            QSKIP(("No read-only disk can be mounted here (" + why + ")").constData());
        }
        QCOMPARE(code, 0);
    }

    // A file of the working file's name that the program did not make stays, and the write is
    // refused with its name; a ledger that cannot be written (its disk full) never keeps a file
    // from being written to a disk that has room.
    void onlyTheProgramsOwnGoAndTheLedgerNeverStandsInTheWay()
    {
        QTemporaryDir dir;
        const QString ledger = dir.filePath(QStringLiteral("working-files"));
        const QString exported = dir.filePath(QStringLiteral("days.csv"));
        const QString inTheWay = exported + WorkingFile::Suffix;
        QVERIFY(writeFile(inTheWay, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther, "the user's"));
        WorkingFile::keepLedger(ledger);
        QString reason;
        {
            WorkingFile refused(exported);
            QVERIFY(!refused.open(&reason));
        }
        QVERIFY2(reason.endsWith(inTheWay + QStringLiteral(" is in the way, and this program did not make it. "
                                                           "Move it away, then try again")),
                 qPrintable(reason));
        QFile in(inTheWay);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), QByteArray("the user's"));
        QVERIFY(QFile::remove(inTheWay));
        const int code = inKilledRun([&] {
            const FileSizeLimit full(8);
            WorkingFile file(exported);
            QString why;
            return full.isSet() && file.open(&why) && file.write("data", 4) && file.commit(&why) ? 0 : 1;
        });
        WorkingFile::keepLedger(QString());
        QCOMPARE(code, 0);
        QFile written(exported);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("data"));
    }

    // A link is judged by what it points to; a name called like a working file is the program's.
    void targetProblemJudgesWhatIsThere()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("print.pdf"));
        const QString target = dir.filePath(QStringLiteral("gone.pdf"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(KeptFiles::targetProblem(link).value_or(QString()),
                 link + QStringLiteral(" is a link to ") + target + QStringLiteral(", which does not exist"));
        QVERIFY(writeFile(target));
        QVERIFY(!KeptFiles::targetProblem(link));
        QCOMPARE(KeptFiles::targetProblem(target + WorkingFile::Suffix).value_or(QString()),
                 target + WorkingFile::Suffix + QStringLiteral(" is a file that this program keeps for itself"));
    }
};

QTEST_GUILESS_MAIN(TestWorkingFile)
#include "tst_workingfile.moc"
