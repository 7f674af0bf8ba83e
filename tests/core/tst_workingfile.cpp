#include "core/keptfiles.h"
#include "core/workingfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions modes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.setPermissions(modes);
}

// Runs `step` in a child process that ends without clearing up, as a killed run does; false
// when it failed there.
bool inKilledRun(const std::function<bool()>& step)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(step() ? 0 : 1);
    int status = 1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
const QFile::Permissions Shared = OwnerOnly | QFile::ReadGroup | QFile::ReadOther;

} // namespace

class TestWorkingFile : public QObject
{
    Q_OBJECT

private slots:
    void ledgerRemovesOnlyWhatItWrote_data()
    {
        QTest::addColumn<QString>("destination");  // in the test's folder; "\n" splits the name
        QTest::addColumn<QByteArray>("earlier");   // an earlier version's ledger, "%1" the folder
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("kept");  // relative names lie in the current folder
        QTest::newRow("a name with a line break") << QStringLiteral("copy\nvictim.ptBackup") << QByteArray()
                                                  << QStringList{QStringLiteral("copy\nvictim.ptBackup.partial")}
                                                  << QStringList{QStringLiteral("victim.ptBackup.partial")};
        QTest::newRow("a name with a line break and a folder")
            << QStringLiteral("copy\n%1/victim.csv") << QByteArray()
            << QStringList{QStringLiteral("copy\n%1/victim.csv.partial")} << QStringList{QStringLiteral("%1/victim.csv.partial")};
        QTest::newRow("an earlier ledger") << QString()
                                           << QByteArray("%1/own.partial\nvictim.partial\n%1/shared.partial\n"
                                                         "%1/sub/../own2.partial\n%1/plain\n")
                                           << QStringList{QStringLiteral("%1/own.partial")}
                                           << QStringList{QStringLiteral("victim.partial"), QStringLiteral("%1/shared.partial"),
                                                          QStringLiteral("%1/own2.partial"), QStringLiteral("%1/plain")};
    }

    // A start removes the working files that a killed run left, whatever their names hold,
    // and nothing else: no part of a name, no name that is not absolute.
    void ledgerRemovesOnlyWhatItWrote()
    {
        QFETCH(QString, destination);
        QFETCH(QByteArray, earlier);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        const QString current = QDir::currentPath();
        QDir::setCurrent(dir.filePath(QStringLiteral("sub")));
        const QString ledger = dir.filePath(QStringLiteral("working-files"));
        const auto place = [&dir](QString name) {
            name.replace(QStringLiteral("%1"), dir.path());
            return QDir::isAbsolutePath(name) ? name
                   : name.contains(QLatin1Char('\n')) ? dir.filePath(name) : QDir::current().filePath(name);
        };
        for (const QString& name : kept)
            QVERIFY(writeFile(place(name), "user's", name.contains(QStringLiteral("shared")) ? Shared : OwnerOnly));
        if (!earlier.isEmpty()) {
            QVERIFY(writeFile(ledger, earlier.replace("%1", QFile::encodeName(dir.path())), OwnerOnly));
            QVERIFY(writeFile(place(QStringLiteral("%1/own.partial")), "left", OwnerOnly));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(place(destination)).path()));
            QVERIFY(inKilledRun([&] {
                WorkingFile::keepLedger(ledger);
                WorkingFile file(place(destination));
                QString reason;
                return file.open(&reason) && file.write("left", 4);
            }));
        }
        WorkingFile::keepLedger(ledger);
        WorkingFile::keepLedger(QString());
        QStringList left;
        for (const QString& name : removed + kept) {
            if (QFileInfo::exists(place(name)))
                left << name;
        }
        QDir::setCurrent(current);
        QCOMPARE(left, kept);
    }

    // A write that a read-only disk refused leaves no name in the ledger: its file was never made.
    void refusedWriteIsNotNoted()
    {
        QTemporaryDir dir;
        const QString ledger = dir.filePath(QStringLiteral("working-files"));
        const QString disk = dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir().mkdir(disk));
        const QByteArray mountPoint = QFile::encodeName(disk);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool readOnly = (::unshare(CLONE_NEWNS) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0)
                && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                && ::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_RDONLY, nullptr) == 0;
            if (!readOnly)
                ::_exit(2);
            WorkingFile::keepLedger(ledger);
            QString reason;
            const bool refused = !WorkingFile(disk + QStringLiteral("/backup.ptBackup")).open(&reason)
                && reason.endsWith(QStringLiteral("Read-only file system"));
            ::_exit(refused && WorkingFile::ledgerFiles() == QStringList(ledger) ? 0 : 1);
        }
        int status = 1;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status));
        if (WEXITSTATUS(status) == 2)
            QSKIP("No read-only disk can be mounted here");
        QCOMPARE(WEXITSTATUS(status), 0);
        QFile file(ledger);
        QVERIFY(!file.exists() || (file.open(QIODevice::ReadOnly) && !file.readAll().contains("backup")));
    }

    void targetProblemJudgesWhatIsThere_data()
    {
        QTest::addColumn<QString>("link");  // where the name given links to; empty for no link
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("told");  // %1 the name given, %2 the link's target
        QTest::newRow("a link to nothing") << QStringLiteral("gone.pdf") << QStringLiteral("print.pdf")
                                           << QStringLiteral("%1 is a link to %2, which does not exist");
        QTest::newRow("a link to a file") << QStringLiteral("there.pdf") << QStringLiteral("print.pdf") << QString();
        QTest::newRow("a working file's name") << QString() << QStringLiteral("x.ptBackup.partial")
                                               << QStringLiteral("%1 is a file that this program keeps for itself");
    }

    void targetProblemJudgesWhatIsThere()
    {
        QFETCH(QString, link);
        QFETCH(QString, name);
        QFETCH(QString, told);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString target = dir.filePath(link);
        QVERIFY(!link.startsWith(QLatin1String("there")) || writeFile(target, "user's", Shared));
        QVERIFY(link.isEmpty() || QFile::link(target, path));
        const std::optional<QString> problem = KeptFiles::targetProblem(path);
        QCOMPARE(problem.value_or(QString()), QString(told).replace(QStringLiteral("%1"), path).replace(QStringLiteral("%2"), target));
    }
};

QTEST_GUILESS_MAIN(TestWorkingFile)
#include "tst_workingfile.moc"
