#include "app/qtsingleapplication.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"
#include "core/tarreader.h"
#include "core/clock.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/diarylocation.h"
#include "userdb/userdb.h"
#include "tests/app/programhome.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "channelpeer.h"
#include "tests/support/otherreader.h"
#include "tests/support/brandinfront.h"
#include "tests/support/heldfolder.h"
#include "tests/support/progressstopper.h"
#include "widgets/shownday.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtEndian>
#include <QThread>
#include <QtTest>

#include <optional>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

// The program's own start-up and shutdown steps, compiled in here so that they can be run
// in this process; its entry point is renamed out of the way of the test's.
#define main pantrelMain
#include "app/main.cpp"
#undef main

namespace {

constexpr int RunMs = 10000;

QString programPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pantrel");
}

// Starts the program on the offscreen platform, in the test's own folders.
void startOffscreen(QProcess& process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(programPath(), QStringList());
}

// Hands one message to the copy running with this runtime folder; true once acknowledged.
bool sendMessage(const QString& runtime, const QByteArray& text, int timeoutMs = 1000)
{
    return ChannelPeer::send(runtime + QLatin1Char('/') + QLatin1String(ApplicationId), text,
                             timeoutMs);
}

// Waits until the copy's event loop takes messages.
bool waitUntilListening(const QString& runtime, QProcess& process)
{
    QDeadlineTimer deadline(RunMs);
    process.waitForStarted(RunMs);
    while (!deadline.hasExpired() && process.state() == QProcess::Running) {
        if (sendMessage(runtime, "Wake up!", 200))
            return true;
        process.waitForFinished(100);
    }
    return false;
}

// An X server of one screen size with a window manager, on which the program's windows are as
// the user gets them. The tools it asks (wmctrl, xdotool, xprop) run on its display.
class ManagedDisplay
{
public:
    explicit ManagedDisplay(const QSize& screen)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || openbox.isEmpty())
            return;
        _server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height())});
        // The server writes its display once it takes clients, the window manager names itself
        // once it manages windows: each is waited for as long as it runs, however busy the machine.
        while (!_server.canReadLine() && _server.state() != QProcess::NotRunning)
            _server.waitForReadyRead(100);
        if (!_server.canReadLine())
            return;
        _environment = QProcessEnvironment::systemEnvironment();
        _environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(_server.readLine().trimmed()));
        _environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        _manager.setProcessEnvironment(_environment);
        _manager.start(openbox, {QStringLiteral("--sm-disable")});
        _manager.waitForStarted(-1);
        while (_manager.state() == QProcess::Running
               && !(_up = ask(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains("Openbox")))
            QThread::msleep(50);
    }
    ~ManagedDisplay()
    {
        _manager.terminate();
        _server.terminate();
        _manager.waitForFinished(RunMs);
        _server.waitForFinished(RunMs);
    }
    bool isUp() const { return _up; }
    // The test's environment on this display.
    QProcessEnvironment environment() const { return _environment; }
    // What the tool writes; empty when it is missing or failed.
    QByteArray ask(const QString& tool, const QStringList& arguments) const
    {
        const QString path = QStandardPaths::findExecutable(tool);
        QProcess process;
        process.setProcessEnvironment(_environment);
        if (path.isEmpty())
            return QByteArray();
        process.start(path, arguments);
        return process.waitForFinished(RunMs) && process.exitCode() == 0 ? process.readAllStandardOutput()
                                                                            : QByteArray();
    }

private:
    QProcess _server;
    QProcess _manager;
    QProcessEnvironment _environment;
    bool _up = false;
};

// A shown window of the process whose title starts with `title`, by its X id; empty when none.
QByteArray shownWindow(const ManagedDisplay& display, const QProcess& process, const QString& title)
{
    return display.ask(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                                                   QStringLiteral("--pid"), QString::number(process.processId()),
                                                   QStringLiteral("--name"), QLatin1Char('^') + title})
        .split('\n').value(0).trimmed();
}

// The frame round the window as the window manager draws it: the window's place on the screen
// widened by the frame's extents.
QRect frameOf(const ManagedDisplay& display, const QByteArray& window)
{
    const QString id = QString::fromLatin1(window);
    QRect inside;
    for (const QByteArray& line : display.ask(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}).split('\n')) {
        const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
        if (line.contains("Absolute upper-left X"))
            inside.moveLeft(value.toInt());
        else if (line.contains("Absolute upper-left Y"))
            inside.moveTop(value.toInt());
        else if (line.trimmed().startsWith("Width"))
            inside.setWidth(value.toInt());
        else if (line.trimmed().startsWith("Height"))
            inside.setHeight(value.toInt());
    }
    const QByteArray told = display.ask(QStringLiteral("xprop"), {QStringLiteral("-id"), id,
                                                                  QStringLiteral("_NET_FRAME_EXTENTS")});
    const QList<QByteArray> extents = told.mid(told.indexOf('=') + 1).split(',');
    if (extents.size() != 4)
        return QRect();
    return inside.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(),
                           extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
}

// Why the program cannot be run under a window manager here; empty when it can.
QString noManagedDisplay()
{
#if defined(__SANITIZE_ADDRESS__)
    // The X keyboard library reads past a name it copies as the X platform starts, which
    // AddressSanitizer reports before the program's own code runs.
    return QStringLiteral("The X platform's keyboard library trips AddressSanitizer; the ordinary build runs this");
#endif
    for (const char* tool : {"Xvfb", "openbox", "wmctrl", "xdotool", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("Needs Xvfb, openbox, wmctrl, xdotool and xprop (scripts/install-deps.sh --tests)");
    }
    return QString();
}

// The ids whose values name the program, its folders and settings, a web address or a switch.
const char* const s_requiredBrandIds[] = {
    "brand_id", "app_name", "app_name_short",
    "web_registration_url", "mealplan_auth_url", "publish_auth_url", "metrics_auth_url",
    "datastore_compat", "chest_measurement_enabled", "waist_measurement_enabled",
    "hip_measurement_enabled", "thigh_measurement_enabled", "steps_measurement_enabled",
    "mealplans_enabled", "publish_enabled",
    "default_measurement_units", "default_energy_units", "www_count",
};

// A brand archive in folder made from the shipped one: each document's root tagged `root`,
// without the elements that define the ids `dropped`, and with the element `added` in its first
// document.
bool writeEditedBrand(const QString& folder, const QString& root, const QStringList& dropped,
                      const QString& added)
{
    const QString source = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
    TarReader shipped;
    QTemporaryDir members;
    QFile archive(folder + QStringLiteral("brand.dat"));
    if (!shipped.open(QFile::encodeName(source).toStdString())
        || !archive.open(QIODevice::WriteOnly))
        return false;
    TarFileWriter writer(archive);
    QString extra = added;
    int count = 0;
    for (const std::string& name : shipped.listFiles(".*", true)) {
        QByteArray data = shipped.readFile(name);
        if (QString::fromStdString(name).endsWith(QLatin1String("xml"))) {
            QDomDocument document;
            document.setContent(data);
            QDomElement top = document.documentElement();
            top.setTagName(root);
            for (QDomElement element = top.firstChildElement(); !element.isNull();) {
                const QDomElement next = element.nextSiblingElement();
                if (dropped.contains(element.attribute(QStringLiteral("id"))))
                    top.removeChild(element);
                element = next;
            }
            QDomDocument element;
            if (!extra.isEmpty() && element.setContent(extra)) {
                top.appendChild(document.importNode(element.documentElement(), true));
                extra.clear();
            }
            data = document.toByteArray();
        }
        QFile member(members.filePath(QString::number(++count)));
        if (!member.open(QIODevice::WriteOnly) || member.write(data) != data.size())
            return false;
        member.close();
        if (!writer.addFile(member.fileName(), QString::fromStdString(name)))
            return false;
    }
    return !writer.error();
}

// Every file and folder below the run's folders, with a digest of each file's bytes.
QMap<QString, QByteArray> filesOf(const ProgramHome& home)
{
    QMap<QString, QByteArray> files;
    for (const char* folder : {"home", "config", "data", "runtime"}) {
        QDirIterator entries(home.path(folder),
                             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            QFile file(entries.next());
            files[file.fileName()] = file.open(QIODevice::ReadOnly)
                ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                : QByteArray("folder");
        }
    }
    return files;
}

}  // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void helpPrintsTheUsage_data();
    void helpPrintsTheUsage();
    void badCommandLineExitsWithTheUsage_data();
    void badCommandLineExitsWithTheUsage();
    void unusableBrandEndsTheStart_data();
    void unusableBrandEndsTheStart();
    void damagedCatalogueEndsTheStart_data();
    void damagedCatalogueEndsTheStart();
    void updateModeWithoutUpdatesSaysSo();
    void corruptDatabaseExitsWithOne_data();
    void corruptDatabaseExitsWithOne();
    void lockedUserDataExitsWithOne_data();
    void lockedUserDataExitsWithOne();
    void busyDiaryIsNeverCalledDamaged_data();
    void busyDiaryIsNeverCalledDamaged();
    void waitingStartSaysWhyAndOffersQuit();
    void waitingStartAnswersASecondStart();
    void laterStartBringsTheWindowToTheDesktopShown();
    void windowComesBackAsItWasLeft();
    void helpWindowFitsTheScreenAndEscapeClosesIt();
    void quitInAStartBoxEndsWithZero_data();
    void quitInAStartBoxEndsWithZero();
    void channelFindsAFolderOrSaysWhy_data();
    void channelFindsAFolderOrSaysWhy();
    void secondStartFromAnotherEnvironmentFindsTheFirst_data();
    void secondStartFromAnotherEnvironmentFindsTheFirst();
    void cancelledFirstProfileExitsWithZero();
    void normalRunHandlesMessagesAndKeepsGeometry();
    void oddRowsDoNotStopTheStart_data();
    void oddRowsDoNotStopTheStart();
    void terminationDuringSyncWaitEnds();
    void relativeUserDbPathIsIgnored_data();
    void relativeUserDbPathIsIgnored();
    void earlierVersionsSettingsFindTheDiary();
    void missingDataFolderIsNeverFilled_data();
    void missingDataFolderIsNeverFilled();
    void missingDataFolderEndsAStartWithoutBoxes();
    void longDataFolderIsNamed_data();
    void longDataFolderIsNamed();
    void filesArePrivate_data();
    void filesArePrivate();
    void startedServicesReachTheCatalogues();

private:
    struct Result
    {
        QProcess::ExitStatus status = QProcess::CrashExit;
        int code = -1;
        QString output;
        QString errors;
    };
    Result run(const ProgramHome& home, const QStringList& arguments,
               const QProcessEnvironment& environment = {});
    void addUser();
    // The user database folder of a run with that home.
    QString userDbFolder(const ProgramHome& home) const;
    // The settings file of a run with that home.
    QString settingsFile(const ProgramHome& home) const;

    ProgramHome _home;
    QString _dataRelative;
};

void TestStartup::initTestCase()
{
    QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
    const QString brand = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
    QVERIFY(BrandEngine::instance()->import(QFile::encodeName(brand).constData()));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    _dataRelative = QDir(data).relativeFilePath(BXSettings::getUserDBPath());
}

void TestStartup::cleanupTestCase()
{
    BrandEngine::cleanUp();
}

QString TestStartup::userDbFolder(const ProgramHome& home) const
{
    const QString folder = QDir(home.path("data")).filePath(_dataRelative);
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

QString TestStartup::settingsFile(const ProgramHome& home) const
{
    return QDir(home.path("config")).filePath(QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                                                  .relativeFilePath(BXSettings().fileName()));
}

TestStartup::Result TestStartup::run(const ProgramHome& home, const QStringList& arguments,
                                     const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment.isEmpty() ? home.environment() : environment);
    process.start(programPath(), arguments);
    Result result;
    if (!process.waitForFinished(RunMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus();
    result.code = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void TestStartup::helpPrintsTheUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << true;
    QTest::newRow("-h after a good one")
        << QStringList{QStringLiteral("-updatedb"), QStringLiteral("-h")} << true;
    QTest::newRow("--help without a display") << QStringList{QStringLiteral("--help")} << false;
}

// Help is printed and nothing else happens: no user data, no box, no display needed.
void TestStartup::helpPrintsTheUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    ProgramHome home;
    QProcessEnvironment environment = home.environment();
    if (!display) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    const Result result = run(home, arguments, environment);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 0);
    QVERIFY2(result.output.startsWith(QStringLiteral("Usage: pantrel")), qPrintable(result.output));
    QVERIFY(result.output.contains(QStringLiteral("-updatedb")));
    QVERIFY(result.output.contains(QStringLiteral("-resourcedir")));
    QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::badCommandLineExitsWithTheUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown") << QStringList{QStringLiteral("-bogus")}
                             << QStringLiteral("Unknown argument: -bogus");
    QTest::newRow("unknown without a display")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-display"),
                       QStringLiteral(":9999"), QStringLiteral("-bogus")}
        << QStringLiteral("Unknown argument: -bogus");
    QTest::newRow("unknown after a good one")
        << QStringList{QStringLiteral("-updatedb"), QStringLiteral("extra")}
        << QStringLiteral("Unknown argument: extra");
    QTest::newRow("help misspelt") << QStringList{QStringLiteral("--hlep")}
                                   << QStringLiteral("Unknown argument: --hlep");
    QTest::newRow("resourcedir without folder")
        << QStringList{QStringLiteral("-resourcedir")}
        << QStringLiteral("-resourcedir must be followed by a directory path");
    QTest::newRow("resourcedir twice")
        << QStringList{QStringLiteral("-resourcedir"), QStringLiteral("/"),
                       QStringLiteral("-resourcedir"), QStringLiteral("/")}
        << QStringLiteral("-resourcedir may be given only once");
    QTest::newRow("resourcedir mistyped")
        << QStringList{QStringLiteral("-resourcedir"), QStringLiteral("/nonexistent/")}
        << QStringLiteral("-resourcedir: there is no folder /nonexistent/");
}

// The message and the usage go to standard error, with exit code 2 and no abort.
void TestStartup::badCommandLineExitsWithTheUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ProgramHome home;
    const Result result = run(home, arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 2);
    QVERIFY2(result.errors.startsWith(message + QLatin1Char('\n') + QStringLiteral("Usage: pantrel")),
             qPrintable(result.errors));
    QVERIFY(result.output.isEmpty());
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::unusableBrandEndsTheStart_data()
{
    QTest::addColumn<QString>("make");  // "none", "bytes", "pipe" or "edit"
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");  // %1: the archive
    const QString found = QStringLiteral("%1 cannot be used. ");
    const QString noDocument = found + QStringLiteral("The archive holds no brand document.");
    const QString cut = found + QStringLiteral("The archive is cut short or damaged: it stops after %2 bytes, %3.");
    QByteArray noise(20000, '\0');
    QRandomGenerator(39).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QFile shippedFile(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat"));
    QVERIFY(shippedFile.open(QIODevice::ReadOnly));
    const QByteArray shipped = shippedFile.readAll();
    QTest::newRow("no brand.dat") << "none" << QByteArray() << "" << QStringList() << ""
                                  << QStringList() << QStringLiteral("Cannot find %1.");
    const QString noHeader = found + QStringLiteral("The archive is damaged: the block at byte %2 is no member's header.");
    QTest::newRow("random bytes") << "bytes" << noise << "" << QStringList() << ""
                                  << QStringList() << noHeader.arg("%1", "0");
    QTest::newRow("random bytes, -updatedb")
        << "bytes" << noise << "" << QStringList() << "" << QStringList{"-updatedb"}
        << noHeader.arg("%1", "0");
    QTest::newRow("empty file") << "bytes" << QByteArray() << "" << QStringList() << ""
                                << QStringList() << cut.arg("%1", "0", "before its end");
    QTest::newRow("empty archive") << "bytes" << QByteArray(1024, '\0') << "" << QStringList()
                                   << "" << QStringList() << noDocument;
    for (const int length : {9000, 50000, 100000}) {
        QTest::addRow("cut at %d", length)
            << "bytes" << shipped.left(length) << "" << QStringList() << "" << QStringList()
            << cut.arg("%1", QString::number(length), "inside a member");
    }
    QTest::newRow("cut after a member")
        << "bytes" << shipped.left(shipped.size() - 1024) << "" << QStringList() << ""
        << QStringList() << cut.arg("%1", QString::number(shipped.size() - 1024), "before its end");
    QByteArray unparsable = shipped;
    unparsable.replace(unparsable.indexOf("</brand>"), 8, "</brond>");
    QTest::newRow("names.xml that does not parse")
        << "bytes" << unparsable << "" << QStringList() << "" << QStringList()
        << found + QStringLiteral("The brand document names.xml in the archive cannot be read at line ");
    QTest::newRow("a pipe") << "pipe" << QByteArray() << "" << QStringList() << ""
                            << QStringList()
                            << found + QStringLiteral("The brand archive cannot be opened: Not a regular file.");
    QTest::newRow("no brand document") << "edit" << QByteArray() << "branding" << QStringList()
                                       << "" << QStringList() << noDocument;
    for (const char* id : s_requiredBrandIds) {
        QTest::addRow("without %s", id)
            << "edit" << QByteArray() << "brand" << QStringList{QString::fromLatin1(id)} << ""
            << QStringList()
            << found + QStringLiteral("The brand lacks the id '%1'.").arg(QLatin1String(id));
    }
    QTest::newRow("without brand_id, -updatedb")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"} << ""
        << QStringList{"-updatedb"}
        << found + QStringLiteral("The brand lacks the id 'brand_id'.");
    QTest::newRow("web section without its address")
        << "edit" << QByteArray() << "brand" << QStringList{"www_count"}
        << "<int id='www_count' value='1'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'www_url_1'.");
    QTest::newRow("updates without their feed")
        << "edit" << QByteArray() << "brand" << QStringList{"update_enabled", "update_rss_url"}
        << "<bool id='update_enabled' value='true'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'update_rss_url'.");
    QTest::newRow("switch defined as a text")
        << "edit" << QByteArray() << "brand" << QStringList{"datastore_compat"}
        << "<string id='datastore_compat' value='false'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'datastore_compat'.");
    QTest::newRow("blank brand id")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"}
        << "<string id='brand_id' value='  '/>" << QStringList()
        << found + QStringLiteral("The brand's id 'brand_id' is blank.");
    QTest::newRow("brand id naming a path")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"}
        << "<string id='brand_id' value='../Elsewhere'/>" << QStringList()
        << found + QStringLiteral("The brand's id 'brand_id' names no folder: '../Elsewhere'.");
}

// A resource folder whose brand cannot serve the program (a damaged install, a mistyped
// -resourcedir) ends the start naming the archive and the fault, before any file or folder is
// made: the user's diary is never hidden behind a new one.
void TestStartup::unusableBrandEndsTheStart()
{
    QFETCH(QString, make);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, root);
    QFETCH(QStringList, dropped);
    QFETCH(QString, added);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ProgramHome home;
    QTemporaryDir resources;
    const QString folder = resources.path() + QLatin1Char('/');
    if (make == QLatin1String("bytes")) {
        QFile archive(folder + QStringLiteral("brand.dat"));
        QVERIFY(archive.open(QIODevice::WriteOnly) && archive.write(bytes) == bytes.size());
    } else if (make == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("brand.dat")).constData(), 0600), 0);
    } else if (make == QLatin1String("edit")) {
        QVERIFY(writeEditedBrand(folder, root, dropped, added));
    }
    QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"),
                        userDbFolder(home) + QStringLiteral("userdata.db")));
    {
        QSettings settings(settingsFile(home), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Pantrel/windowWidth"), 600);
    }
    const QMap<QString, QByteArray> before = filesOf(home);
    const Result result =
        run(home, QStringList{QStringLiteral("-resourcedir"), folder} + arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    const QString advice = QStringLiteral(" Install the program again, or give the folder that "
                                          "holds its files with -resourcedir.");
    const QString expected = message.arg(folder + QStringLiteral("brand.dat"));
    // A reason that quotes the XML parser is checked up to the parser's words.
    QVERIFY2(result.errors.contains(expected.endsWith(QLatin1Char(' ')) ? expected : expected + advice),
             qPrintable(result.errors));
    QVERIFY2(!result.errors.contains(QStringLiteral("Couldn't find id")),
             qPrintable(result.errors));
    QVERIFY(!result.errors.contains(QStringLiteral("Fatal")));
    QCOMPARE(filesOf(home), before);
}

void TestStartup::damagedCatalogueEndsTheStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << QByteArray(8192, 'x') << QStringLiteral("static.db is corrupt (bad header)");
    // A null array stands for a pipe in the catalogue's place.
    QTest::newRow("a pipe") << QByteArray() << QStringLiteral("static.db: Not a regular file.");

    // The shipped catalogue with its first food ranked in a group that is no category.
    QFile shipped(BXSettings::getResourceDBPath() + QStringLiteral("static.db"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QByteArray unknownGroup = shipped.readAll();
    quint32 foodId = 0;
    {
        const StaticDB foods(StaticDB::FOOD_CHUNK);
        const unsigned char* file = foods.getMappingEnd() - unknownGroup.size();
        for (const BrowsableDBItem& item : foods.getItems()) {
            if (item.data && !foodId) {
                foodId = item.id;
                qToBigEndian(quint32(0xFFFFFF7F), unknownGroup.data() + (item.data - file));
            }
        }
    }
    QVERIFY(foodId);
    QTest::newRow("food of an unknown ranking group")
        << unknownGroup
        << QStringLiteral("(food %1 ranks in group 4294967167, which is no category)").arg(foodId);
}

// A resource folder with a damaged catalogue ends the start with the reason, never an abort.
void TestStartup::damagedCatalogueEndsTheStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    ProgramHome home;
    const QString folder = home.path("home") + QStringLiteral("/resources/");
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"brand.dat", "userdata.db", "tips.dat"})
        QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QLatin1String(name),
                            folder + QLatin1String(name)));
    QFile catalogue(folder + QStringLiteral("static.db"));
    if (bytes.isNull()) {
        QCOMPARE(::mkfifo(QFile::encodeName(catalogue.fileName()).constData(), 0600), 0);
    } else {
        QVERIFY(catalogue.open(QIODevice::WriteOnly));
        catalogue.write(bytes);
        catalogue.close();
    }
    const Result result = run(home, {QStringLiteral("-resourcedir"), folder});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(QStringLiteral("Database initialization error"))
                 && result.errors.contains(reason),
             qPrintable(result.errors));
    QVERIFY(!result.errors.contains(QStringLiteral("Fatal")));
}

void TestStartup::updateModeWithoutUpdatesSaysSo()
{
    ProgramHome home;
    const Result result = run(home, {QStringLiteral("-resourcedir"),
                                     BXSettings::getResourceDBPath(), QStringLiteral("-updatedb")});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 0);
    QVERIFY2(result.errors.contains(
                 QStringLiteral("Sorry, this product does not support database updates.")),
             qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::corruptDatabaseExitsWithOne_data()
{
    QTest::addColumn<QString>("pipe");  // the diary's own name, or that of a file beside it
    QTest::newRow("damaged file") << QString();
    QTest::newRow("pipe") << QString(""); // named as such, and left as it is
    QTest::newRow("pipe as its journal") << QStringLiteral("-journal");
}

void TestStartup::corruptDatabaseExitsWithOne()
{
    QFETCH(QString, pipe);
    ProgramHome home;
    QFile database(userDbFolder(home) + QStringLiteral("userdata.db"));
    if (!pipe.isNull())
        QCOMPARE(::mkfifo(QFile::encodeName(database.fileName() + pipe).constData(), 0600), 0);
    if (pipe.isNull() && database.open(QIODevice::WriteOnly))
        database.write(QByteArray(4096, 'x'));
    database.close();
    const Result result = run(home, {});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(QStringLiteral("Database initialization error")),
             qPrintable(result.errors));
    // The message names the file and the way out; the file is kept for rescue.
    const QString told = pipe.isNull()     ? QStringLiteral(" cannot be read")
                         : pipe.isEmpty() ? QStringLiteral(" is a pipe, not a file")
                                          : pipe + QStringLiteral(" of %1 cannot be used: Not a regular file.").arg(database.fileName());
    QVERIFY2(result.errors.contains(database.fileName() + told)
                 && (!pipe.isNull() || result.errors.contains(QStringLiteral("restore your latest backup"))),
             qPrintable(result.errors));
    QCOMPARE(QFileInfo(database.fileName()).size(), pipe.isNull() ? 4096 : 0);
}

void TestStartup::lockedUserDataExitsWithOne_data()
{
    QTest::addColumn<QStringList>("arguments");
    // "held", "held elsewhere" (by a process whose number is not this system's), "pipe", "left"
    // (by a copy that ended, in a held folder) or "reused"
    QTest::addColumn<QString>("lock");
    QTest::addColumn<QString>("message");  // %1: the lock
    const QString running = QStringLiteral("Another copy of this program");
    QTest::newRow("start") << QStringList() << "held" << running;
    QTest::newRow("-updatedb") << QStringList{QStringLiteral("-updatedb")} << "held" << running;
    QTest::newRow("held, its number not running") << QStringList() << "held elsewhere" << running;
    QTest::newRow("a pipe") << QStringList() << "pipe"
                            << QStringLiteral("The lock %1 of the user data cannot be used: Not a regular file.");
    const QString left = QStringLiteral("The lock %1 was left by a copy of this program that has ended, and it cannot be removed: ")
                         + QString::fromLocal8Bit(std::strerror(::geteuid() == 0 ? EPERM : EACCES));
    QTest::newRow("left, cannot be removed") << QStringList() << "left" << left;
    QTest::newRow("left, its number another program's now") << QStringList() << "reused" << left;
}

// The update mode, which needs a brand with updates, fails the same way. A lock that no running
// copy holds is never taken for one.
void TestStartup::lockedUserDataExitsWithOne()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, lock);
    QFETCH(QString, message);
    ProgramHome home;
    QTemporaryDir resources;
    const QString folder = resources.path() + QLatin1Char('/');
    QVERIFY(writeEditedBrand(folder, QStringLiteral("brand"), {QStringLiteral("update_enabled")},
                             QStringLiteral("<bool id='update_enabled' value='true'/>")));
    const QString path = userDbFolder(home) + QStringLiteral("pantrel.lock");
    QLockFile held(path);
    const auto renumber = [&path](qint64 pid) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite))
            return false;
        const QByteArray text = file.readAll();
        return file.resize(0) && file.seek(0)
            && file.write(QByteArray::number(pid) + text.mid(text.indexOf('\n'))) > 0;
    };
    const bool left = lock == QLatin1String("left") || lock == QLatin1String("reused");
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(!left || QLockFile(path).tryLock(0) ? 0 : 1);
    int status = 1;
    QVERIFY(::waitpid(ended, &status, 0) == ended && status == 0);
    if (lock == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (left) {
        // This test's own number, as if the system had given it to another program since.
        if (lock == QLatin1String("reused"))
            QVERIFY(renumber(::getpid()));
        QVERIFY(holdFolder(userDbFolder(home), true));
    } else {
        QVERIFY(held.tryLock(0));
        // The number of a process that has ended here, as a process of another container has.
        if (lock == QLatin1String("held elsewhere"))
            QVERIFY(renumber(ended));
    }
    const Result result = run(home, QStringList{QStringLiteral("-resourcedir"), folder} + arguments);
    QVERIFY(holdFolder(userDbFolder(home), false));
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(message.replace(QStringLiteral("%1"), path)), qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
    QVERIFY(QFileInfo::exists(path));
}

void TestStartup::busyDiaryIsNeverCalledDamaged_data()
{
    QTest::addColumn<int>("hold");
    QTest::addColumn<bool>("metrics");
    QTest::addColumn<QVariantList>("answers");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("asked");
    const int exclusive = OtherReader::Exclusive;
    const int immediate = OtherReader::Immediate;
    const int reader = OtherReader::Shared;
    const int damaged = OtherReader::Damaged; // the first page of the table named in the tag
    QTest::newRow("exclusive, quit") << exclusive << false << QVariantList{1} << false << 1;
    QTest::newRow("exclusive, retry, quit") << exclusive << false << QVariantList{0, 1} << false << 2;
    QTest::newRow("exclusive, nobody to ask") << exclusive << false << QVariantList{} << false << 0;
    QTest::newRow("exclusive, retry once it ends") << exclusive << true << QVariantList{0} << true << 1;
    // Nothing to write: the diary is shown beside a program that reads it or is about to write.
    QTest::newRow("reader") << reader << false << QVariantList{} << true << 0;
    QTest::newRow("immediate") << immediate << false << QVariantList{} << true << 0;
    // The count of starts is kept only once the diary is free, or the start ends.
    QTest::newRow("reader, count, quit") << reader << true << QVariantList{1} << false << 1;
    QTest::newRow("reader, count, retry once it ends") << reader << true << QVariantList{0} << true << 1;
    QTest::newRow("reader, count, nobody to ask") << reader << true << QVariantList{} << false << 0;
    QTest::newRow("immediate, count, retry, quit") << immediate << true << QVariantList{0, 1} << false << 2;
    QTest::newRow("immediate, count, retry once it ends") << immediate << true << QVariantList{0} << true << 1;
    // A page of the user's diary, or the users, are told, and the window opens, from which a
    // backup can be restored; the diary's own bookkeeping offers the restore at once.
    for (const char* table : {"food_diary", "group_diary", "custom_food_cats", "custom_exercise_cats",
                              "user_checkins", "user_target", "water_diary", "exer_diary"})
        QTest::addRow("damaged %s", table) << damaged << false << QVariantList{} << true << 1;
    for (const char* table : {"user_users", "user_misc"})
        QTest::addRow("damaged %s, told", table) << damaged << false << QVariantList{0} << true << 1;
    for (const char* table : {"userdata_meta", "userdata_sync_devices", "userdata_sync_tables"})
        QTest::addRow("damaged %s, quit", table) << damaged << false << QVariantList{1} << false << 1;
    QTest::newRow("damaged userdata_meta, restored") << damaged << false << QVariantList{0} << true << 1;
    QTest::newRow("damaged userdata_meta, no backup chosen, quit") << damaged << false << QVariantList{0, 1} << false << 2;
    QTest::newRow("damaged userdata_meta, restore stopped, quit") << damaged << false << QVariantList{0, 1} << false << 2;
    QTest::newRow("damaged userdata_meta, choice of a backup cancelled") << damaged << false << QVariantList{0} << false << 1;
}

// Another program holding the diary is named as such, with Retry and Quit, after one wait;
// the diary is never called damaged and is left as it was. The start's own connection never
// waits: what it reads writes nothing, and what it writes it writes only once the diary is
// free, so that no change is lost.
void TestStartup::busyDiaryIsNeverCalledDamaged()
{
    QFETCH(int, hold);
    QFETCH(bool, metrics);
    QFETCH(QVariantList, answers);
    QFETCH(bool, starts);
    QFETCH(int, asked);
    const QString damaged = hold != OtherReader::Damaged ? QString()
        : QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 1, 1).remove(QLatin1Char(','));
    const StoreResult start = BXSqlDb::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    if (UserDB::instance()->numUsers().value() == 0) {
        DBTypes::FoodDiaryItem food; // today's, read as the user is shown
        food.userId = addCompleteUser(QStringLiteral("Ada"));
        food.setDate(Clock::today().toString(QStringLiteral("yyyyMMdd")).toStdString());
        QVERIFY(food.userId >= 0 && DiaryDB::instance()->addFoodEntry(food, true) >= 0);
    }
    const QTemporaryDir backups; // never shared with another run of the tests
    const QString backup = backups.filePath(QStringLiteral("sound.ptBackup"));
    QVERIFY(QFile::copy(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"), backup));
    const bool noBackup = QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("no backup"));
    std::optional<ProgressStopper> stopper;
    if (QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("stopped")))
        stopper.emplace(ProgressStopper::Cancel);
    const bool cancelled = QString::fromLatin1(QTest::currentDataTag()).endsWith(QStringLiteral("cancelled"));
    s_chooseBackup = [backup, noBackup, cancelled] {
        return noBackup ? QCoreApplication::applicationFilePath() : cancelled ? QString() : backup;
    };
    std::optional<OtherReader> other;
    if (!damaged.isEmpty())
        QVERIFY(other.emplace(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"),
                              OtherReader::Damaged, damaged).reading());
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    if (metrics)
        QVERIFY(loadBrandInFront(QStringLiteral("<brand><bool id=\"metrics_enabled\" value=\"true\"/></brand>")));
    const QString file = BXSettings::getUserDBPath() + QStringLiteral("userdata.db");
    const QByteArray before = [&file] {
        QFile diary(file);
        return diary.open(QIODevice::ReadOnly) ? diary.readAll() : QByteArray();
    }();
    BXSqlDb::setBusyTimeout(100);
    if (damaged.isEmpty())
        QVERIFY(other.emplace(file, OtherReader::Hold(hold)).reading());
    // The holder may let go while the user reads the question.
    struct HoldingPrompter : ScriptedPrompter
    {
        std::function<void()> whileAsked;
        int choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                   const QString& text, const QStringList& buttons, int defaultIndex,
                   int escapeIndex) override
        {
            if (whileAsked)
                whileAsked();
            return ScriptedPrompter::choice(parent, icon, caption, text, buttons, defaultIndex,
                                            escapeIndex);
        }
    } prompter;
    for (const QVariant& answer : answers)
        prompter.answer(answer);
    if (starts && asked > 0 && damaged.isEmpty())
        prompter.whileAsked = [&other] { other.reset(); };
    Prompter* asking = answers.isEmpty() ? nullptr : &prompter;
    std::unique_ptr<QLockFile> lock;
    QPointer<MainWindow> window;
    int connectionWaits = 0;
    int counted = 0;
    // The window shows the user, or no user and no day, saying in place whose diary was not read.
    bool shownOrTold = true;
    bool started = startUserDatabase(lock, asking);
    if (started) {
        const BusyWaits waits(100);
        window = new MainWindow();
        const std::optional<int> ended = pickFirstUser(window, asking);
        QCOMPARE(ended.value_or(1), 1);
        const auto* told = window->statusBar()->findChild<QLabel*>();
        shownOrTold = ended || window->windowTitle().contains(QStringLiteral("Ada"))
                      || (ShownDay::instance()->user() < 0 && !window->centralWidget()->isEnabled() && told
                          && (told->text().startsWith(QStringLiteral("Ada's diary could not be read"))
                              || told->text().startsWith(QStringLiteral("The users of your diary could not be read"))));
        started = !ended && (!metrics || countStart(asking));
        connectionWaits = waits.count();
        for (const int count : started ? UserDB::instance()->getLoginCounts(UserDB::instance()->getCurrentUser()).value_or(QMap<QString, int>()) : QMap<QString, int>())
            counted += count;
    }
    other.reset();
    BXSqlDb::setBusyTimeout(10000);
    shutDown(window);
    QVERIFY(BrandEngine::instance()->import(
        QFile::encodeName(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).constData()));
    lock.reset();
    QCOMPARE(started, starts);
    // A start the user quit is no failure; one where nobody could be asked is.
    QCOMPARE(started ? 0 : endedStart(), started || asking ? 0 : 1);
    QVERIFY(shownOrTold);
    QCOMPARE(prompter.asked.size(), asked);
    QVERIFY(!noBackup || prompter.lastText().contains(QStringLiteral(" cannot be restored:\nIt is not a backup made by this program: file is not a database.\n\n")));
    QCOMPARE(connectionWaits, 0);
    QCOMPARE(counted, starts && metrics ? 1 : 0);
    for (const ScriptedPrompter::Asked& question : prompter.asked) {
        if (!damaged.isEmpty()) {
            QVERIFY2(question.text.contains(QStringLiteral("damaged")), qPrintable(question.text));
            const bool usersTold = QString::fromLatin1(QTest::currentDataTag()).endsWith(QStringLiteral("told"));
            QCOMPARE(question.options, (answers.isEmpty() ? QStringList()
                                        : usersTold ? QStringList{"OK"} : QStringList{"Restore a Backup...", "Quit"}));
            continue;
        }
        QVERIFY2(question.text.contains(QStringLiteral("is in use by another program")),
                 qPrintable(question.text));
        QVERIFY(!question.text.contains(QStringLiteral("corrupted")));
        QCOMPARE(question.options, (QStringList{QStringLiteral("Retry"), QStringLiteral("Quit")}));
    }
    QFile diary(file);
    QVERIFY(diary.open(QIODevice::ReadOnly));
    if (!starts && damaged.isEmpty())
        QCOMPARE(diary.readAll(), before);
    QFile::remove(file);
    // The damaged diary that a backup replaced is kept for rescue.
    QDir folder(BXSettings::getUserDBPath());
    const QStringList kept = folder.entryList({QStringLiteral("userdata.db.damaged-*")});
    QCOMPARE(kept.size(), QString::fromLatin1(QTest::currentDataTag()).endsWith(QStringLiteral("restored")) ? 1 : 0);
    QVERIFY(kept.isEmpty() || folder.remove(kept.first()));
}

// A start that waits for another program's hold on the diary names the diary in a window of
// its own at once; Quit there ends the start without asking again.
void TestStartup::waitingStartSaysWhyAndOffersQuit()
{
    addUser();
    const QString file = DiaryLocation::path();
    OtherReader other(file, OtherReader::Exclusive);
    QVERIFY(other.reading());
    BXSqlDb::setBusyTimeout(20000);
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* wait = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        auto* quit = wait ? wait->findChild<QPushButton*>() : nullptr;
        if (quit && quit->text() == QLatin1String("Quit")) {
            shown = wait->labelText();
            quit->click();
        }
    });
    ScriptedPrompter prompter;
    std::unique_ptr<QLockFile> lock;
    const bool started = startUserDatabase(lock, &prompter);
    BXSqlDb::setBusyTimeout(10000);
    lock.reset();
    QVERIFY(!started);
    QCOMPARE(endedStart(), 0);
    QVERIFY2(shown.contains(QDir::toNativeSeparators(file)), qPrintable(shown));
    QVERIFY(prompter.asked.isEmpty());
}

// A second start while the first waits for the diary hands over to it.
void TestStartup::waitingStartAnswersASecondStart()
{
    addUser();
    OtherReader other(DiaryLocation::path(), OtherReader::Exclusive);
    QVERIFY(other.reading());
    QProcess first;
    startOffscreen(first);
    QVERIFY2(waitUntilListening(qEnvironmentVariable("XDG_RUNTIME_DIR"), first),
             first.readAllStandardError().constData());
    QProcess second;
    startOffscreen(second);
    QVERIFY(second.waitForFinished(RunMs));
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    QCOMPARE(first.state(), QProcess::Running);
    // The end of the session ends the wait.
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(RunMs));
    QCOMPARE(first.exitCode(), 0);
}

// Under a window manager with several desktops, a later start brings the window left on
// another desktop to the one the user is on.
void TestStartup::laterStartBringsTheWindowToTheDesktopShown()
{
    if (const QString missing = noManagedDisplay(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    addUser();
    const ManagedDisplay display(QSize(1024, 600));
    QVERIFY(display.isUp());
    const QProcessEnvironment env = display.environment();
    // What wmctrl says: the desktops (the current one starred) or the windows with their desktop
    // and process.
    const auto ask = [&display](const QString& option) { return display.ask(QStringLiteral("wmctrl"), {option}); };
    QTRY_VERIFY_WITH_TIMEOUT(ask(QStringLiteral("-d")).contains(" * "), RunMs);
    if (ask(QStringLiteral("-d")).count('\n') < 2)
        QSKIP("The window manager keeps a single desktop");
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(programPath(), QStringList());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QVERIFY2(waitUntilListening(runtime, first), first.readAllStandardError().constData());
    // The desktop of the program's main window, and whether it is the one shown.
    const QByteArray pid = QByteArray::number(first.processId());
    const auto desktop = [&ask, &pid] {
        for (const QByteArray& line : ask(QStringLiteral("-lp")).split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 2 && fields.at(2) == pid)
                return fields.at(1);
        }
        return QByteArray();
    };
    const auto shown = [&ask](const QByteArray& desktop) {
        return !desktop.isEmpty() && ask(QStringLiteral("-d")).split('\n').value(desktop.toInt()).contains(" * ");
    };
    QTRY_COMPARE_WITH_TIMEOUT(desktop(), QByteArray("0"), RunMs);
    ask(QStringLiteral("-s1"));
    QTRY_VERIFY_WITH_TIMEOUT(shown("1"), RunMs);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(programPath(), QStringList());
    QVERIFY(second.waitForFinished(RunMs));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shown(desktop()), RunMs);
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(RunMs));
}

// Started and ended again and again under a window manager, the window comes back where the
// user left its frame, as large, and maximized when it was.
void TestStartup::windowComesBackAsItWasLeft()
{
    if (const QString missing = noManagedDisplay(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    addUser();
    const ManagedDisplay display(QSize(1024, 600));
    QVERIFY(display.isUp());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QProcess program;
    program.setProcessEnvironment(display.environment());
    // The program's main window, once shown; the end of the session ends it.
    const auto start = [&] {
        program.start(programPath(), QStringList());
        QByteArray window;
        if (!waitUntilListening(runtime, program))
            return QString();
        for (QDeadlineTimer deadline(RunMs); window.isEmpty() && !deadline.hasExpired();)
            window = shownWindow(display, program, QStringLiteral("Pantrel - "));
        return QString::fromLatin1(window);
    };
    const auto end = [&program] {
        ::kill(pid_t(program.processId()), SIGTERM);
        return program.waitForFinished(RunMs);
    };
    const auto maximized = [&display](const QString& window) {
        return display.ask(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")})
            .contains("_NET_WM_STATE_MAXIMIZED_HORZ");
    };
    QString window = start();
    QVERIFY(!window.isEmpty());
    QRect frame;
    QTRY_VERIFY_WITH_TIMEOUT((frame = frameOf(display, window.toLatin1())).isValid(), RunMs);
    display.ask(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"), window, QStringLiteral("-e"),
                                           QStringLiteral("0,100,40,700,450")});
    QTRY_VERIFY_WITH_TIMEOUT(frameOf(display, window.toLatin1()) != frame, RunMs);
    const QRect moved = frameOf(display, window.toLatin1());
    QVERIFY(end());
    for (int again = 0; again < 3; ++again) {
        window = start();
        QTRY_COMPARE_WITH_TIMEOUT(frameOf(display, window.toLatin1()), moved, RunMs);
        QVERIFY(!maximized(window));
        QVERIFY(end());
    }
    window = start();
    display.ask(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"), window, QStringLiteral("-b"),
                                           QStringLiteral("add,maximized_vert,maximized_horz")});
    QTRY_VERIFY_WITH_TIMEOUT(maximized(window), RunMs);
    QVERIFY(end());
    window = start();
    QTRY_VERIFY_WITH_TIMEOUT(maximized(window), RunMs);
    QVERIFY(end());
}

// The Help window opens whole on a 600-pixel screen under a window manager, and Escape closes it.
void TestStartup::helpWindowFitsTheScreenAndEscapeClosesIt()
{
    if (const QString missing = noManagedDisplay(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    addUser();
    // The tip of the day, shown at the start, would take the keys.
    QVERIFY(BXSqlDb::startUp(true));
    QVERIFY(UserDB::instance()->setTipOfTheDay(UserDB::instance()->getUsersList().value().first().userId, -1));
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    const ManagedDisplay display(QSize(1024, 600));
    QVERIFY(display.isUp());
    QProcess program;
    program.setProcessEnvironment(display.environment());
    program.start(programPath(), QStringList());
    QVERIFY2(waitUntilListening(qEnvironmentVariable("XDG_RUNTIME_DIR"), program), program.readAllStandardError().constData());
    QTRY_VERIFY_WITH_TIMEOUT(!shownWindow(display, program, QStringLiteral("Pantrel - ")).isEmpty(), RunMs);
    const QString main = QString::fromLatin1(shownWindow(display, program, QStringLiteral("Pantrel - ")));
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), main});
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"), main, QStringLiteral("F1")});
    QByteArray help;
    QTRY_VERIFY_WITH_TIMEOUT(!(help = shownWindow(display, program, QStringLiteral("Pantrel Help"))).isEmpty(), RunMs);
    QRect frame;
    QTRY_VERIFY_WITH_TIMEOUT((frame = frameOf(display, help)).isValid(), RunMs);
    QVERIFY2(QRect(0, 0, 1024, 600).contains(frame),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::fromLatin1(help)});
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    QTRY_VERIFY_WITH_TIMEOUT(shownWindow(display, program, QStringLiteral("Pantrel Help")).isEmpty(), RunMs);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));
}

// Escape in a box of the start that offers Quit (the wait for another program's hold on the
// diary, a damaged diary, a diary folder or file not found) is the user's Quit: the program
// ends with 0, not as a start that failed.
void TestStartup::quitInAStartBoxEndsWithZero_data()
{
    QTest::addColumn<QString>("box");  // the title of the box answered with Escape
    QTest::newRow("diary in use") << "Waiting for your diary";
    QTest::newRow("diary damaged") << "Diary damaged";
    QTest::newRow("diary folder not found") << "Diary folder not found";
    QTest::newRow("diary a link to a file gone") << "Diary not found";
}

void TestStartup::quitInAStartBoxEndsWithZero()
{
    QFETCH(QString, box);
    if (const QString missing = noManagedDisplay(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    addUser();
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    std::optional<OtherReader> other;
    if (tag == QLatin1String("diary in use"))
        other.emplace(DiaryLocation::path(), OtherReader::Exclusive);
    if (tag == QLatin1String("diary damaged")) {
        QVERIFY(BXSqlDb::startUp(true));
        other.emplace(DiaryLocation::path(), OtherReader::Damaged, QStringLiteral("userdata_meta"));
        BXSqlDb::cleanUp();
    }
    QVERIFY(!other || other->reading());
    const QTemporaryDir disk;
    const QString folder = disk.path() + QStringLiteral("/unplugged");
    if (!other) {
        QVERIFY(tag.contains(QLatin1String("folder")) || QDir().mkpath(folder));
        QVERIFY(tag.contains(QLatin1String("folder")) || QFile::link(disk.path() + QStringLiteral("/old.db"), folder + QStringLiteral("/userdata.db")));
        BXSettings().writeEntry(QLatin1String(BXSettings::UserDBPathKey), folder);
    }
    const auto forget = qScopeGuard([] { BXSettings::forgetUserDBPath(); });
    const ManagedDisplay display(QSize(1024, 600));
    QVERIFY(display.isUp());
    QProcess program;
    program.setProcessEnvironment(display.environment());
    program.start(programPath(), QStringList());
    QByteArray shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = shownWindow(display, program, box)).isEmpty(), RunMs);
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::fromLatin1(shown)});
    display.ask(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    QVERIFY(program.waitForFinished(RunMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
}

// Another account that spoils every candidate folder in the temporary folder cannot keep the
// program from starting: the channel moves to a folder in the user's own home, where a later
// start finds it.
void TestStartup::channelFindsAFolderOrSaysWhy_data()
{
    QTest::addColumn<QString>("runtime");  // "none", "long", "edge", "temporary edge", "open", "foreign", "relative", "abstract refused", "taken"
    QTest::addColumn<QString>("told");
    QTest::newRow("spoilt temporary folders: in the home folder") << "none" << QString();
    QTest::newRow("a runtime folder too long for a socket: in the temporary folder") << "long" << QString();
    QTest::newRow("a runtime folder at the socket's edge: in the temporary folder") << "edge" << QString();
    QTest::newRow("a temporary folder at the socket's edge: in the home folder") << "temporary edge" << QString();
    QTest::newRow("a runtime folder others may write: in the temporary folder") << "open" << QString();
    QTest::newRow("another account's runtime folder: in the temporary folder") << "foreign" << QString();
    QTest::newRow("a relative runtime folder: in the temporary folder") << "relative" << QString();
    QTest::newRow("abstract socket names refused: in the runtime folder") << "abstract refused" << QString();
    QTest::newRow("a folder in the socket's place")
        << "taken" << "The channel %1 between copies of this program cannot be opened";
}

// Spoilt temporary folders, or ones whose path leaves no room for the socket's name, move the
// channel to the user's own cache folder; such a runtime folder, or one that others may write,
// moves it to the temporary folder. A channel that cannot be opened is told as such, never as
// another copy.
void TestStartup::channelFindsAFolderOrSaysWhy()
{
    QFETCH(QString, runtime);
    QFETCH(QString, told);
    ProgramHome home;
    QTemporaryDir top(ProgramHome::folderTemplate());
    // A folder in parent whose channel, tail bytes below it, is as long as sockaddr_un holds:
    // the socket layer refuses it all the same.
    const auto atEdge = [](const QString& parent, qsizetype tail) {
        return parent + QLatin1Char('/') + QString(qsizetype(sizeof(sockaddr_un::sun_path)) - 2 - tail - parent.size(), u'e');
    };
    const QString series = QStringLiteral("/pantrel-runtime-%1").arg(::getuid());
    const qsizetype channelName = 1 + qstrlen(ApplicationId);
    const QString temp = runtime == QLatin1String("temporary edge") ? atEdge(top.path(), series.size() + channelName) : top.path();
    QVERIFY(QDir().mkpath(temp));
    const QString base = temp + series;
    for (int n = 0; runtime == QLatin1String("none") && n < 16; ++n) {
        const QString folder = n == 0 ? base : base + QStringLiteral("-%1").arg(n);
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    }
    QProcessEnvironment env = home.environment();
    env.insert(QStringLiteral("TMPDIR"), temp);
    const QString folder = runtime == QLatin1String("edge")
        ? atEdge(home.path("runtime"), channelName)
        : home.path("runtime") + QLatin1Char('/')
              + (runtime == QLatin1String("taken") ? QLatin1String(ApplicationId)
                 : runtime == QLatin1String("long") ? QString(70, u'r') : runtime);
    const bool noRuntime = runtime == QLatin1String("none") || runtime == QLatin1String("temporary edge");
    QVERIFY(noRuntime || QDir().mkpath(folder));
    QVERIFY(runtime != QLatin1String("open") || QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
    if (runtime == QLatin1String("foreign")) {
        // As `su` leaves it; the superuser, who may write anywhere, finds another owner.
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(::geteuid() != 0 || ::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
    }
    if (runtime != QLatin1String("taken"))
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), noRuntime ? QString()
                   : runtime == QLatin1String("relative") ? QDir::current().relativeFilePath(folder) : folder);
    if (runtime == QLatin1String("abstract refused")) {
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ABSTRACT_NAMES_REFUSED));
        // A sanitizer build's runtime then comes after the stand-in.
        env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(programPath(), QStringList());
    if (!told.isEmpty()) {
        QVERIFY(process.waitForFinished(RunMs));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains(told.arg(folder).toLocal8Bit()));
        return;
    }
    const QString channel = runtime == QLatin1String("abstract refused") ? folder
        : noRuntime ? home.path("home") + QStringLiteral("/.cache/pantrel-runtime") : base;
    QVERIFY2(waitUntilListening(channel, process), process.readAllStandardError().constData());
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(RunMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
}

void TestStartup::secondStartFromAnotherEnvironmentFindsTheFirst_data()
{
    QTest::addColumn<bool>("firstHasRuntime");  // the second has one only when the first has not
    QTest::addColumn<bool>("firstAnswers");     // false: the first is stopped, its channel silent
    QTest::newRow("first with a runtime folder, second without") << true << true;
    QTest::newRow("first without a runtime folder, second with") << false << true;
    QTest::newRow("first not responding") << true << false;
}

// A start whose environment puts the channel elsewhere than the running copy's finds that copy
// through the place it recorded beside the lock of the user data, and hands over; one that
// does not respond there is told with that place. Neither touches the running copy's backup.
void TestStartup::secondStartFromAnotherEnvironmentFindsTheFirst()
{
    QFETCH(bool, firstHasRuntime);
    QFETCH(bool, firstAnswers);
    ProgramHome home;
    QTemporaryDir temp(ProgramHome::folderTemplate());
    const QString series = temp.path() + QStringLiteral("/pantrel-runtime-%1").arg(::getuid());
    const auto environment = [&](bool runtime) {
        QProcessEnvironment env = home.environment();
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        if (!runtime)
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        return env;
    };
    QProcess first;
    first.setProcessEnvironment(environment(firstHasRuntime));
    first.start(programPath(), QStringList());
    const QString channel = firstHasRuntime ? home.path("runtime") : series;
    QVERIFY2(waitUntilListening(channel, first), first.readAllStandardError().constData());
    if (!firstAnswers)
        ::kill(pid_t(first.processId()), SIGSTOP);
    // The first copy's backup under way, as it writes one.
    const QString backups = home.path("home")
        + QStringLiteral("/Documents/%1 Backups").arg(BrandEngine::instance()->getString("brand_id"));
    const QString underWay = backups + QStringLiteral("/today.ptBackup.partial");
    QVERIFY(QDir().mkpath(backups));
    QFile backup(underWay);
    QVERIFY(backup.open(QIODevice::WriteOnly, QFile::ReadOwner | QFile::WriteOwner));
    backup.close();
    const Result second = run(home, QStringList(), environment(!firstHasRuntime));
    QVERIFY(QFileInfo::exists(underWay));
    ::kill(pid_t(first.processId()), SIGCONT);
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(RunMs));
    QCOMPARE(second.status, QProcess::NormalExit);
    QVERIFY2(second.code == (firstAnswers ? 0 : 1), qPrintable(second.errors));
    QVERIFY2(firstAnswers || second.errors.contains(QStringLiteral("does not respond on its channel %1/%2.")
                                                        .arg(channel, QLatin1String(ApplicationId))),
             qPrintable(second.errors));
}

void TestStartup::cancelledFirstProfileExitsWithZero()
{
    ProgramHome home;
    QProcess process;
    process.setProcessEnvironment(home.environment());
    process.start(programPath(), QStringList());
    // The profile wizard of an empty database is running once messages are taken.
    QVERIFY(waitUntilListening(home.path("runtime"), process));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(RunMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardError())
                .contains(QStringLiteral("User creation canceled.")));
}

// Gives the user database of this process's own home one user with a complete profile,
// unless it has a user already.
void TestStartup::addUser()
{
    const StoreResult start = BXSqlDb::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    if (UserDB::instance()->numUsers() == 0) {
        const qint64 user = addCompleteUser(QStringLiteral("Ada"));
        QVERIFY(user >= 0);
        QVERIFY(UserDB::instance()->setUserPrefs(user, DBTypes::UserPrefs()));
    }
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
}

void TestStartup::normalRunHandlesMessagesAndKeepsGeometry()
{
    addUser();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(programPath(), QStringList());
    QVERIFY2(waitUntilListening(runtime, first), first.readAllStandardError().constData());

    // A second start with a mistyped argument is refused without waking the first; a plain
    // one hands over to the first and ends.
    QProcess mistyped;
    mistyped.setProcessEnvironment(env);
    mistyped.start(programPath(), {QStringLiteral("-bogus")});
    QVERIFY(mistyped.waitForFinished(RunMs));
    QCOMPARE(mistyped.exitStatus(), QProcess::NormalExit);
    QCOMPARE(mistyped.exitCode(), 2);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(programPath(), QStringList());
    QVERIFY(second.waitForFinished(RunMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    // An update asked for then is not done, and says so: the shipped brand has none.
    second.start(programPath(), {QStringLiteral("-updatedb")});
    QVERIFY(second.waitForFinished(RunMs));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardError().contains("does not support database updates"));
    QTemporaryDir resources;
    const QString folder = resources.path() + QLatin1Char('/');
    QVERIFY(writeEditedBrand(folder, QStringLiteral("brand"), {QStringLiteral("update_enabled")},
                             QStringLiteral("<bool id='update_enabled' value='true'/>")));
    second.start(programPath(), {QStringLiteral("-resourcedir"), folder, QStringLiteral("-updatedb")});
    QVERIFY(second.waitForFinished(RunMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("The databases were not updated"));

    // The handheld messages are acknowledged even while the wait dialog blocks the window.
    QVERIFY(sendMessage(runtime, "Shut down!"));
    QVERIFY(sendMessage(runtime, "Start DB Backup"));
    QVERIFY(sendMessage(runtime, "Start up!"));
    QVERIFY(sendMessage(runtime, "Wake up!"));
    QCOMPARE(first.state(), QProcess::Running);

    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(RunMs));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);

    QDirIterator files(qEnvironmentVariable("XDG_CONFIG_HOME"), {QStringLiteral("*.ini")},
                       QDir::Files, QDirIterator::Subdirectories);
    QStringList keys;
    while (files.hasNext()) {
        QSettings settings(files.next(), QSettings::IniFormat);
        for (const QString& key : settings.allKeys()) {
            if (key.endsWith(QLatin1String("/windowWidth")) && settings.value(key).toInt() > 0)
                keys << key;
        }
    }
    QCOMPARE(keys.size(), 1);
}

void TestStartup::oddRowsDoNotStopTheStart_data()
{
    QTest::addColumn<QStringList>("statements");
    // Rows whose date is no date code, in the month that the diary shows at start.
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QTest::newRow("malformed dates")
        << QStringList{QStringLiteral("INSERT INTO water_diary (user_id, date, cups) VALUES (0, '%1 08:00', 3)")
                           .arg(today),
                       QStringLiteral("INSERT INTO exer_diary (user_id, date, duration, rate, name, status) "
                                      "VALUES (0, '%1 08:00', 10, 1, 'Odd', 1)").arg(today)};
    // Another tool made the categories, the roots among them, their own parents.
    for (const char* table : {"custom_food_cats", "custom_exercise_cats"})
        QTest::newRow(qPrintable(QStringLiteral("%1 their own parents").arg(table)))
            << QStringList{QStringLiteral("INSERT INTO %1 VALUES (16777216, 16777216, 'Loop')").arg(table),
                           QStringLiteral("UPDATE %1 SET parent_id = category_id").arg(table)};
    // Deeper than a walk that recurses per level can go.
    QTest::newRow("a chain of 60,000 categories")
        << QStringList{QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                      "WHERE i < 59999) INSERT INTO custom_food_cats SELECT 16777472 + i, "
                                      "CASE i WHEN 0 THEN 33550336 ELSE 16777471 + i END, 'Level ' || i "
                                      "FROM n")};
}

// The first user's day and catalogues are shown, and the program ends with the session.
void TestStartup::oddRowsDoNotStopTheStart()
{
    QFETCH(QStringList, statements);
    addUser();
    const StoreResult start = BXSqlDb::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    for (const QString& statement : statements) {
        BXSqlQuery change(statement);
        QVERIFY(change.exec());
    }
    BXSqlDb::cleanUp();

    QProcess program;
    startOffscreen(program);
    QVERIFY2(waitUntilListening(qEnvironmentVariable("XDG_RUNTIME_DIR"), program),
             program.readAllStandardError().constData());
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
}

// The session ends while the handheld synchronisation has the database: the program ends
// cleanly instead of waiting for "Start up!".
void TestStartup::terminationDuringSyncWaitEnds()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QProcess program;
    startOffscreen(program);
    QVERIFY2(waitUntilListening(runtime, program), program.readAllStandardError().constData());
    QVERIFY(sendMessage(runtime, "Shut down!"));
    QTest::qWait(200);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, program.readAllStandardError().constData());
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(BXSettings::getUserDBPath() + QStringLiteral("userdata.db-journal")));
    // The next start finds the channel free and the database whole.
    QProcess next;
    startOffscreen(next);
    QVERIFY(waitUntilListening(runtime, next));
    ::kill(pid_t(next.processId()), SIGTERM);
    QVERIFY(next.waitForFinished(RunMs));
    QCOMPARE(next.exitCode(), 0);
}

void TestStartup::relativeUserDbPathIsIgnored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString();
    QTest::newRow("relative") << QStringLiteral("mine/db");
    QTest::newRow("dot") << QStringLiteral(".");
}

// A folder that is not absolute would put the database wherever the program was started.
void TestStartup::relativeUserDbPathIsIgnored()
{
    QFETCH(QString, stored);
    ProgramHome home;
    const QString ownIni = BXSettings().fileName();
    {
        BXSettings settings;
        settings.writeEntry(QStringLiteral("/admin/userdbpath"), stored);
    }
    const QString ini = QDir(home.path("config")).filePath(
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).relativeFilePath(ownIni));
    QVERIFY(QDir().mkpath(QFileInfo(ini).path()));
    QVERIFY(QFile::copy(ownIni, ini));
    {
        BXSettings settings;
        settings.removeEntry(QStringLiteral("/admin/userdbpath"));
    }
    QTemporaryDir workingFolder;
    QProcess program;
    program.setProcessEnvironment(home.environment());
    program.setWorkingDirectory(workingFolder.path());
    program.start(programPath(), QStringList());
    QVERIFY(waitUntilListening(home.path("runtime"), program));
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));
    QVERIFY(QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
    QDirIterator stray(workingFolder.path(), {QStringLiteral("userdata*")}, QDir::Files,
                       QDirIterator::Subdirectories);
    QVERIFY(!stray.hasNext());
}

// An earlier version kept its data and settings under the maker's name, and its settings name
// that data folder. The start moves both, the settings follow the move, the diary is found, and
// the next start runs too.
void TestStartup::earlierVersionsSettingsFindTheDiary()
{
    const StoreResult start = BXSqlDb::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    QVERIFY(addCompleteUser(QStringLiteral("Olga")) >= 0);
    UserDB::cleanUp();
    BXSqlDb::cleanUp();

    ProgramHome home;
    const QString brand = BrandEngine::instance()->getString("brand_id");
    const QString domain = QLatin1String(BXSettings::MAKER_DOMAIN);
    const QString oldData = home.path("data") + QStringLiteral("/%1/Pantrel/%2").arg(domain, brand);
    const QString oldIni = home.path("config") + QStringLiteral("/%1/Pantrel/%2.ini").arg(domain, brand);
    QVERIFY(QDir().mkpath(oldData));
    QVERIFY(QFile::copy(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"),
                        oldData + QStringLiteral("/userdata.db")));
    {
        QSettings old(oldIni, QSettings::IniFormat);
        old.setValue(brand + QStringLiteral("/admin/userdbpath"), oldData);
    }
    for (int start = 0; start < 2; ++start) {
        QProcess program;
        program.setProcessEnvironment(home.environment());
        program.start(programPath(), QStringList());
        QVERIFY2(waitUntilListening(home.path("runtime"), program),
                 program.readAllStandardError().constData());
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(RunMs));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(oldData));
    }
    const QString folder = userDbFolder(home);
    QCOMPARE(QSettings(settingsFile(home), QSettings::IniFormat)
                 .value(brand + QStringLiteral("/admin/userdbpath")).toString(),
             QDir::cleanPath(folder));
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("moved"));
        db.setDatabaseName(folder + QStringLiteral("userdata.db"));
        QVERIFY(db.open());
        QSqlQuery users(QStringLiteral("SELECT name FROM user_users"), db);
        while (users.next())
            names << users.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("moved"));
    QVERIFY2(names.contains(QStringLiteral("Olga")), qPrintable(names.join(u',')));
}

void TestStartup::missingDataFolderIsNeverFilled_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<bool>("folderLeft");
    QTest::addColumn<QString>("linkTo");  // where the diary in the folder links to, on the disk
    QTest::newRow("quit") << 0 << false << false << "";
    QTest::newRow("nothing answered") << -1 << false << false << "";
    QTest::newRow("default folder") << 1 << true << false << "";
    QTest::newRow("empty mount point, quit") << 0 << false << true << "";
    QTest::newRow("diary link to a file gone, quit") << 0 << false << true << "unplugged/old.db";
    QTest::newRow("diary link into a folder gone") << 0 << false << true << "gone/old.db";
}

// A stored folder that is gone names the folder and offers the default one; nothing is made
// in its place.
void TestStartup::missingDataFolderIsNeverFilled()
{
    QFETCH(int, answer);
    QFETCH(bool, starts);
    QFETCH(bool, folderLeft);
    QFETCH(QString, linkTo);
    QTemporaryDir disk;
    const QString gone = disk.path() + QStringLiteral("/unplugged/diary");
    const QString target = disk.path() + QLatin1Char('/') + linkTo;
    if (folderLeft)
        QVERIFY(QDir().mkpath(gone));
    if (!linkTo.isEmpty())
        QVERIFY(QFile::link(target, gone + QStringLiteral("/userdata.db")));
    {
        BXSettings settings;
        settings.writeEntry(QLatin1String(BXSettings::UserDBPathKey), gone);
    }
    ScriptedPrompter prompter;
    if (answer >= 0)
        prompter.answer(answer);
    const bool found = findUserData(&prompter);
    const QString stored = BXSettings::storedUserDBPath();
    BXSettings::forgetUserDBPath();
    QCOMPARE(found, starts);
    QCOMPARE(prompter.asked.size(), 1);
    const QString told = linkTo.isEmpty() ? QStringLiteral("Your diary cannot be found in the folder ") + gone
                                          : QStringLiteral("Your diary %1/userdata.db is a link to %2").arg(gone, target);
    QVERIFY2(prompter.lastText().contains(told + QStringLiteral(",")), qPrintable(prompter.lastText()));
    QVERIFY(!linkTo.isEmpty() || prompter.lastText().contains(BXSettings::getDirData()));
    QCOMPARE(stored, starts ? QString() : gone);
    QCOMPARE(QFileInfo::exists(disk.path() + QStringLiteral("/unplugged")), folderLeft);
    QVERIFY(!QFileInfo::exists(gone + QStringLiteral("/userdata.db")));
    QVERIFY(linkTo.isEmpty() || !QFileInfo::exists(target));
}

// Where no box can be answered, the start ends naming the folder.
void TestStartup::missingDataFolderEndsAStartWithoutBoxes()
{
    ProgramHome home;
    const QString gone = home.path("home") + QStringLiteral("/unplugged/diary");
    QSettings ini(settingsFile(home), QSettings::IniFormat);
    ini.setValue(BrandEngine::instance()->getString("brand_id") + QStringLiteral("/admin/userdbpath"), gone);
    ini.sync();
    const Result result = run(home, {});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(QStringLiteral("Your diary cannot be found in the folder ") + gone + QStringLiteral(",")),
             qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(home.path("home") + QStringLiteral("/unplugged")));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::longDataFolderIsNamed_data()
{
    QTest::addColumn<int>("beyond"); // bytes by which the diary's journal's path passes SQLite's limit
    QTest::newRow("one below the length refused") << 0;
    QTest::newRow("at the length refused") << 1;
    QTest::newRow("one above") << 2;
}

// A data folder too deep for the database is named before anything is made in it, or on its way.
void TestStartup::longDataFolderIsNamed()
{
    QFETCH(int, beyond);
    ProgramHome home;
    const QString inData = QStringLiteral("/%1/userdata.db").arg(_dataRelative);
    const qsizetype length = sqlite3_vfs_find(nullptr)->mxPathname - 8 + beyond - inData.size();
    QString data = home.path("data");
    while (length - data.size() > 201)
        data += QLatin1Char('/') + QString(150, QLatin1Char('p'));
    data += QLatin1Char('/') + QString(length - data.size() - 1, QLatin1Char('p'));
    const QString diary = data + inData;
    QProcessEnvironment environment = home.environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(programPath(), QStringList());
    if (beyond == 0) {
        QVERIFY(waitUntilListening(home.path("runtime"), program));
        ::kill(pid_t(program.processId()), SIGTERM);
    }
    QVERIFY(program.waitForFinished(RunMs));
    QCOMPARE(program.exitCode(), beyond == 0 ? 0 : 1);
    QCOMPARE(QFileInfo::exists(diary), beyond == 0);
    QCOMPARE(QFileInfo::exists(data), beyond == 0);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(beyond == 0 || errors.contains(QStringLiteral("The folder %1 has too long a path").arg(QFileInfo(diary).path())),
             qPrintable(errors));
}

void TestStartup::filesArePrivate_data()
{
    QTest::addColumn<bool>("earlierVersion");
    QTest::addColumn<bool>("chosenFolder");
    QTest::addColumn<bool>("rememberedBackups");
    QTest::addColumn<bool>("sharedBackups");
    QTest::newRow("first start") << false << false << false << false;
    QTest::newRow("files of an earlier version") << true << false << false << false;
    QTest::newRow("files of an earlier version in a chosen folder") << true << true << false << false;
    QTest::newRow("a backup cut short where a user backed up") << true << false << true << false;
    QTest::newRow("a shared backup folder the user chose") << true << false << false << true;
    QTest::newRow("links to what a group shares") << false << false << false << false;
}

// No other account can read the diary, its backups, its lock, the settings or the file
// dialogs' history that a first start makes; what was there, and what links point to, keeps
// its modes. Copies cut short are gone, also in the folder a user last backed up to.
void TestStartup::filesArePrivate()
{
    QFETCH(bool, earlierVersion);
    QFETCH(bool, chosenFolder);
    QFETCH(bool, rememberedBackups);
    QFETCH(bool, sharedBackups);
    const bool linked = QTest::currentDataTag() == QLatin1String("links to what a group shares");
    ProgramHome home;
    const QString brand = BrandEngine::instance()->getString("brand_id");
    const QString data = chosenFolder ? home.path("home") + QStringLiteral("/My Diary")
                                      : QDir(home.path("data")).filePath(_dataRelative);
    const QString backups = home.path("home") + QStringLiteral("/Documents/%1 Backups").arg(brand);
    const QString remembered = home.path("home") + QStringLiteral("/Elsewhere");
    const QString settings = settingsFile(home);
    const QString dialogHistory = home.path("config") + QStringLiteral("/QtProject.conf");
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                    | QFile::ReadOther;
    const QFile::Permissions openFolder = open | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QStringList leftovers{data + QStringLiteral("/userdata.260101-120000.partial"),
                          backups + QStringLiteral("/20260101.ptBackup.partial")};
    if (rememberedBackups)
        leftovers << remembered + QStringLiteral("/20260102.ptBackup.partial");
    const QString wholeBackup = remembered + QStringLiteral("/20260101.ptBackup");
    const QString theirs = backups + QStringLiteral("/theirs.ptBackup.partial");
    const QString shared = home.path("home") + QStringLiteral("/Shared");
    if (earlierVersion) {
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QDir().mkpath(backups));
        QVERIFY(QDir().mkpath(remembered));
        QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
        for (const QString& copy : {data + QStringLiteral("/userdata.db"),
                                    backups + QStringLiteral("/20250101.ptBackup"), wholeBackup})
            QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), copy));
        // Made as the program makes its working files; one of the user's own of such a name stays.
        for (const QString& leftover : leftovers)
            QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), leftover)
                    && QFile::setPermissions(leftover, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), theirs));
        QFile ini(settings);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Pantrel]\nwindowWidth=600\n");
        ini.close();
        QFile history(dialogHistory);
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write("[FileDialog]\nlastVisited=file:///backups\n");
        history.close();
        if (chosenFolder) {
            QSettings stored(settings, QSettings::IniFormat);
            stored.setValue(brand + QStringLiteral("/admin/userdbpath"), data);
        }
        if (rememberedBackups) {
            const QString diary = data + QStringLiteral("/userdata.db");
            QVERIFY(BXSqlDb::fixMagic(diary));
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("remembered"));
            db.setDatabaseName(diary);
            QVERIFY(db.open());
            QSqlQuery user(db);
            QVERIFY(user.exec(QStringLiteral("INSERT INTO user_users(user_id, name, backup_data_path) "
                                             "VALUES (0, 'Ada', '%1')").arg(remembered)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("remembered"));
        if (sharedBackups) {
            QVERIFY(QDir().mkpath(shared) && QFile::copy(wholeBackup, shared + QStringLiteral("/1.ptBackup")));
            QVERIFY(::chmod(QFile::encodeName(shared).constData(), 02775) == 0);
            QVERIFY(::chmod(QFile::encodeName(shared + QStringLiteral("/1.ptBackup")).constData(), 0664) == 0);
            QSettings(settings, QSettings::IniFormat).setValue(brand + QStringLiteral("/dataBackupPath"), shared);
        }
        for (const QString& folder : {data, backups, QFileInfo(settings).path()})
            QVERIFY(QFile::setPermissions(folder, openFolder));
        for (const QString& file : {data + QStringLiteral("/userdata.db"), settings,
                                    backups + QStringLiteral("/20250101.ptBackup"), dialogHistory})
            QVERIFY(QFile::setPermissions(file, open));
    }
    // The data folder, the settings folder, the diary and the settings file link to a group's.
    const QString group = home.path("home") + QStringLiteral("/Group/");
    if (linked) {
        QVERIFY(QDir().mkpath(group + "data") && QDir().mkpath(group + "settings") && QDir().mkpath(QFileInfo(data).path())
                && QDir().mkpath(QFileInfo(QFileInfo(settings).path()).path()) && QFile(group + "pantrel.ini").open(QIODevice::WriteOnly)
                && QFile::copy(BXSettings::getResourceDBPath() + "userdata.db", group + "userdata.db"));
        for (const auto& [link, target, perms] : {std::tuple<QString, QString, int>{data, "data", 02775}, {QFileInfo(settings).path(), "settings", 02775},
                                                  {data + "/userdata.db", "userdata.db", 0664}, {settings, "pantrel.ini", 0644}})
            QVERIFY(QFile::link(group + target, link) && ::chmod(QFile::encodeName(group + target), perms) == 0);
    }
    auto mode = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    };
    QProcess program;
    program.setProcessEnvironment(home.environment());
    program.start(programPath(), QStringList());
    QVERIFY2(waitUntilListening(home.path("runtime"), program), program.readAllStandardError().constData());
    QCOMPARE(mode(data + QStringLiteral("/pantrel.lock")), 0600);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));

    // What the program made is private; what it found keeps its modes.
    QCOMPARE(mode(data), earlierVersion ? 0755 : linked ? 02775 : 0700);
    QCOMPARE(mode(data + QStringLiteral("/userdata.db")), earlierVersion ? 0644 : linked ? 0664 : 0600);
    QCOMPARE(mode(shared), sharedBackups ? 02775 : -1);
    QCOMPARE(mode(shared + QStringLiteral("/1.ptBackup")), sharedBackups ? 0664 : -1);
    // A first start may store no setting at all: defaults are read, not stored.
    const bool firstStart = !earlierVersion && !linked;
    if (!firstStart || QFileInfo::exists(settings)) {
        QCOMPARE(mode(QFileInfo(settings).path()), earlierVersion ? 0755 : linked ? 02775 : 0700);
        QCOMPARE(mode(settings), earlierVersion || linked ? 0644 : 0600);
    }
    if (earlierVersion) {
        QCOMPARE(mode(backups), 0755);
        QCOMPARE(mode(backups + QStringLiteral("/20250101.ptBackup")), 0644);
        QCOMPARE(mode(dialogHistory), 0644);
        QVERIFY(QFileInfo::exists(wholeBackup));
        QVERIFY(QFileInfo::exists(theirs));
    }
    for (const QString& leftover : leftovers)
        QVERIFY2(!QFileInfo::exists(leftover), qPrintable(leftover));
}

// The start-up connects the diary entries and user deletion to the catalogues; the shutdown
// releases the catalogues with the rest. Runs last: the shutdown closes the brand.
void TestStartup::startedServicesReachTheCatalogues()
{
    std::unique_ptr<QLockFile> lock;
    QVERIFY(startUserDatabase(lock, nullptr));
    const qint64 user = addCompleteUser(QStringLiteral("Cy"));
    QVERIFY(user >= 0);
    UserDB::instance()->setCurrentUser(user);
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    DBTypes::FoodItem values;
    values.energy = 120.0f;
    const qint64 food = foods->createFood(foods->getRootForUser(user), QStringLiteral("Oat cake"),
                                       QStringLiteral("piece"), values);
    QVERIFY(food > 0);
    ExDBDynamic* exercises = ExDBDynamic::instance();
    const qint64 exercise = exercises->createExercise(exercises->getRootForUser(user),
                                                   QStringLiteral("Rowing"), 6.0f);
    QVERIFY(exercise > 0);

    DBTypes::FoodDiaryItem entry;
    entry.refId = food;
    QVERIFY(entry.loadFoodInfo(false));
    QCOMPARE(entry.desc, QStringLiteral("Oat cake"));
    QCOMPARE(entry.servingDesc, QStringLiteral("piece"));
    DBTypes::ExerciseDiaryItem burn;
    QVERIFY(burn.changeEx(exercise, 70.0f));
    QCOMPARE(burn.name, QStringLiteral("Rowing"));

    // Deleting the user takes the user's own foods and exercises along.
    QCOMPARE(UserDB::instance()->deleteUser(user), 0);
    QVERIFY(foods->getFoodName(food).isEmpty());
    QVERIFY(!exercises->getExercise(exercise));

    QPointer<MainWindow> window;
    shutDown(window);
    QVERIFY(!BXSqlDb::isUp());
    QVERIFY(!FoodDBDynamic::exists());
    QVERIFY(!ExDBDynamic::exists());
    QVERIFY(!RecipeProxyDB::instance(false));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
