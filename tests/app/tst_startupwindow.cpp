// The window a start shows and the channel through which a second start reaches the first.

#include "tests/app/programruns.h"
#include "tests/app/manageddisplay.h"
#include "app/qtsingleapplication.h"
#include "core/brandengine.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

class TestStartupWindow : public QObject, private ProgramRuns
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void laterStartBringsTheWindowToTheDesktopShown();
    void windowComesBackAsItWasLeft();
    void helpWindowFitsTheScreenAndEscapeClosesIt();
    void channelFindsAFolderOrSaysWhy_data();
    void channelFindsAFolderOrSaysWhy();
    void secondStartFromAnotherEnvironmentFindsTheFirst_data();
    void secondStartFromAnotherEnvironmentFindsTheFirst();
    void normalRunHandlesMessagesAndKeepsGeometry();
};

void TestStartupWindow::initTestCase()
{
    prepareRuns();
}

void TestStartupWindow::cleanupTestCase()
{
    endRuns();
}

// Under a window manager with several desktops, a later start brings the window left on
// another desktop to the one the user is on.
void TestStartupWindow::laterStartBringsTheWindowToTheDesktopShown()
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
void TestStartupWindow::windowComesBackAsItWasLeft()
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
void TestStartupWindow::helpWindowFitsTheScreenAndEscapeClosesIt()
{
    if (const QString missing = noManagedDisplay(); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    addUser();
    // The tip of the day, shown at the start, would take the keys.
    QVERIFY(DiaryStart::startUp(true));
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

// Another account that spoils every candidate folder in the temporary folder cannot keep the
// program from starting: the channel moves to a folder in the user's own home, where a later
// start finds it.
void TestStartupWindow::channelFindsAFolderOrSaysWhy_data()
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
void TestStartupWindow::channelFindsAFolderOrSaysWhy()
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

void TestStartupWindow::secondStartFromAnotherEnvironmentFindsTheFirst_data()
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
void TestStartupWindow::secondStartFromAnotherEnvironmentFindsTheFirst()
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

void TestStartupWindow::normalRunHandlesMessagesAndKeepsGeometry()
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

QTEST_MAIN(TestStartupWindow)
#include "tst_startupwindow.moc"
