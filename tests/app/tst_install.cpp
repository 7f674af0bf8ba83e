// The installation: `cmake --install` into a temporary prefix lays out the program, its
// shipped files, a desktop entry and its icon, and the installed program runs from a prefix
// it may not write to, writing nothing there.

#include "app/programicon.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

constexpr int RunMs = 60000;
const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The keys of a desktop entry's main group.
QMap<QString, QString> desktopEntry(const QString& path)
{
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.value(0) != QStringLiteral("[Desktop Entry]"))
        return keys;
    for (const QString& line : lines.mid(1)) {
        if (line.startsWith(QLatin1Char('[')))
            break;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(RunMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir _prefix;

    QString installed(const QString& path) const { return _prefix.filePath(path); }

private slots:
    void initTestCase()
    {
        QVERIFY(_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(PANTREL_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(PANTREL_BUILD_DIR),
                       QStringLiteral("--prefix"), _prefix.path()});
        QVERIFY(install.waitForFinished(RunMs));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void cleanupTestCase()
    {
        run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), _prefix.path()});
    }

    void desktopEntryStartsTheProgramWithItsIcon()
    {
        const QMap<QString, QString> entry =
            desktopEntry(installed(QStringLiteral("share/applications/pantrel.desktop")));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("pantrel"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("pantrel"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Pantrel"));
        QVERIFY(!entry.value(QStringLiteral("Comment")).isEmpty());
        QVERIFY(entry.value(QStringLiteral("Categories")).endsWith(QLatin1Char(';')));
        QVERIFY(QFileInfo::exists(installed(QStringLiteral("bin/pantrel"))));
        QVERIFY(QFileInfo::exists(installed(QStringLiteral("share/pantrel/brand.dat"))));
    }

    void iconIsInstalledAtEverySize()
    {
        const QString theme = installed(QStringLiteral("share/icons/hicolor/"));
        QVERIFY(QFileInfo::exists(theme + QStringLiteral("scalable/apps/pantrel.svg")));
        const QIcon icon = ProgramIcon::load();
        for (const int size : IconSizes) {
            const QString name = QStringLiteral("%1x%1/apps/pantrel.png").arg(size);
            QCOMPARE(QImage(theme + name).size(), QSize(size, size));
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(name));
        }
    }

    // The program runs from a folder it may not write to (a read-only /usr, an image), and
    // leaves it as it was: its data and settings go to the user's folders.
    void installedProgramRunsFromAReadOnlyPrefix()
    {
        QVERIFY(run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a-w"),
                                              _prefix.path()}));
        const QStringList before = filesUnder(_prefix.path());
        QTemporaryDir home;
        for (const char* folder : {"home", "config", "data", "runtime"})
            QDir(home.path()).mkpath(QLatin1String(folder));
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
        program.start(installed(QStringLiteral("bin/pantrel")), QStringList());
        QVERIFY(program.waitForStarted(RunMs));
        // The first-run wizard comes up once the user database is open.
        const QString database = home.filePath(QStringLiteral("data/Pantrel/userdata.db"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(database) || program.state() != QProcess::Running,
                                 RunMs);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(RunMs));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(errors.contains(QStringLiteral("User creation canceled.")), qPrintable(errors));
        QCOMPARE(filesUnder(_prefix.path()), before);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
