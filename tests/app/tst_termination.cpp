// One termination signal ends the program, whatever dialog is open: the program runs on a
// virtual X display, where its dialogs really wait for an answer. The dialogs of the window's
// pages wait in the window of this process, ended through the same request.

#include "app/mainwindow.h"
#include "app/qtsingleapplication.h"
#include "app/sessionend.h"
#include "catalogue/catalogueservices.h"
#include "core/tarfilewriter.h"
#include "core/tarreader.h"
#include "diary/diarywidget.h"
#include "profile/checkinwidget.h"
#include "userdb/busywait.h"
#include "widgets/bxcalendar.h"
#include "tests/net/testcertificates.h"
#include "tests/net/testhttpsserver.h"
#include "tests/support/otherreader.h"
#include "tests/support/testsession.h"

#include <QDataStream>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RunMs = 10000 * PANTREL_TIME_FACTOR;
constexpr int EndMs = 5000 * PANTREL_TIME_FACTOR;

// A private home for one run of the program on a virtual display of its own.
class Session
{
public:
    Session()
    {
        for (const char* folder : {"home", "config", "data", "runtime"})
            QDir(_dir.path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner
                                                   | QFile::ExeOwner);
    }
    ~Session()
    {
        for (QProcess* process : {&program, &_display}) {
            process->kill();
            process->waitForFinished(RunMs);
        }
    }
    QString path(const char* folder) const { return _dir.filePath(QLatin1String(folder)); }

    // Starts a virtual display; false when none can be started here.
    bool startDisplay()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        _display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        QDeadlineTimer deadline(RunMs);
        while (!_display.canReadLine() && !deadline.hasExpired()
               && _display.state() != QProcess::NotRunning)
            _display.waitForReadyRead(100);
        _number = QString::fromLatin1(_display.readLine()).trimmed();
        return !_number.isEmpty();
    }

    void startProgram(const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + _number);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The X11 platform's keymap library takes names with strndup from buffers that hold
        // no closing zero, which is allowed; AddressSanitizer's strict string check, when a
        // sanitizer build turns it on, would take it for an overflow.
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS"))
                                                           + QStringLiteral(":strict_string_checks=0"));
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/pantrel"), arguments);
    }

    // Waits until the program takes messages, that is, its start-up reached its dialogs.
    bool waitUntilListening()
    {
        QDeadlineTimer deadline(RunMs);
        program.waitForStarted(RunMs);
        while (!deadline.hasExpired() && program.state() == QProcess::Running) {
            QLocalSocket socket;
            socket.connectToServer(path("runtime") + QLatin1Char('/')
                                   + QLatin1String(ApplicationId));
            if (socket.waitForConnected(200))
                return true;
            program.waitForFinished(100);
        }
        return false;
    }

    QProcess program;

private:
    QTemporaryDir _dir;
    QProcess _display;
    QString _number;
};

bool writeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("[x]\n") > 0;
}

// A copy of the shipped resource folder whose brand checks for database updates at feedUrl
// and whose trusted CA is the one in caFile. False when anything failed.
bool makeResources(const QString& folder, const QString& feedUrl, const QString& caFile)
{
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pantrel/");
    for (const char* name : {"static.db", "tips.dat", "userdata.db", "helphtml"}) {
        if (!QFile::link(shipped + QLatin1String(name), folder + QLatin1String(name)))
            return false;
    }
    if (!QFile::copy(caFile, folder + QStringLiteral("cert.pem")))
        return false;
    TarReader brand;
    if (!brand.open((shipped + QStringLiteral("brand.dat")).toStdString()))
        return false;
    QTemporaryDir members;
    // Members are read in name order and the first definition wins: the switches go first.
    QList<std::pair<std::string, QByteArray>> contents = {
        {"0-switches.xml", QStringLiteral("<brand><bool id=\"update_enabled\" value=\"true\"/>"
                                          "<string id=\"update_rss_url\" value=\"%1\"/></brand>")
                               .arg(feedUrl).toUtf8()}};
    for (const std::string& name : brand.listFiles(".*", true))
        contents.append({name, brand.readFile(name)});
    QFile archive(folder + QStringLiteral("brand.dat"));
    if (!archive.open(QIODevice::WriteOnly))
        return false;
    TarFileWriter writer(archive);
    for (const auto& [name, bytes] : contents) {
        QFile member(members.filePath(QString::number(qHash(name))));
        if (!member.open(QIODevice::WriteOnly) || member.write(bytes) != bytes.size())
            return false;
        member.close();
        if (!writer.addFile(member.fileName(), QString::fromStdString(name)))
            return false;
    }
    return !writer.error();
}

// What is open when the signal comes: a dialog of the start, or a dialog, box or menu that a
// page of the window opened; or the diary's wait for another program that holds it.
enum Open { StartDialog, NewFoodCategory, NewFood, Checkin, DiaryInUse, DiaryNotRead, MonthMenu, PrintOverwrite, WaitForDiary, PrintToPipe,
            Backup, Restore };
// What the start meets: nothing, settings that stop it with a message box, a diary held, a copy
// that does not answer, a folder in the channel's place (the start's "Cannot start" box).
enum Before { Nothing, BothSettings, HeldDiary, SilentCopy, TakenChannel };
// Ends of the session other than a signal: the session manager's "die", which reaches the
// program as Qt's quit; a checkpoint of the session, which ends nothing, before SIGTERM.
enum SessionManager { Die = -1, Checkpoint = -2 };

QString findDiary(const QString& folder)
{
    QDirIterator found(folder, {QStringLiteral("userdata.db")}, QDir::Files, QDirIterator::Subdirectories);
    return found.hasNext() ? found.next() : QString();
}

void openInWindow(MainWindow* window, Open open)
{
    const std::function<void()> opens[] = {
        [] {}, [window] { window->eM_DiaryFoodNewCat->trigger(); }, [window] { window->eM_DiaryFoodNewFood->trigger(); },
        [window] { window->viewCheckinAction->trigger(); window->eM_JournalEditEntry->trigger(); },
        [window] { window->diaryPage()->nextDayButton->click(); }, [window] { window->diaryPage()->nextDayButton->click(); },
        [window] {
            window->viewCheckinAction->trigger();
            window->checkinPage()->checkinCalendar->findChild<QPushButton*>(QStringLiteral("monthButton"))->click();
        },
        [window] { window->printAction->trigger(); }, [window] { window->diaryPage()->nextDayButton->click(); },
        [window] { window->printAction->trigger(); }, [window] { window->fileBackup_DatabasesAction->trigger(); },
        [window] { window->fileRestore_DatabasesAction->trigger(); }};
    opens[open]();
}

// The file a backup writes, or a restore reads.
QString copyFile(Open open)
{
    return QDir::homePath() + (open == Backup ? QStringLiteral("/backup.ptBackup") : QStringLiteral("/restore.ptBackup"));
}

// Answers, once each, what a backup or restore asks on its way to its progress: the file, and
// Yes to each question.
void answerOnTheWay(QWidget* modal, Open open)
{
    if (!modal || modal->property("answered").toBool())
        return;
    modal->setProperty("answered", true);
    if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
        chooser->selectFile(copyFile(open));
        QMetaObject::invokeMethod(chooser, "accept", Qt::QueuedConnection);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QMetaObject::invokeMethod(box->button(QMessageBox::Yes), "click", Qt::QueuedConnection);
    }
}

} // namespace

class TestTermination : public QObject
{
    Q_OBJECT

private slots:
    void endsOnOneSignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("open");
        QTest::newRow("first-run wizard, SIGTERM") << int(SIGTERM) << int(Nothing) << int(StartDialog);
        QTest::newRow("first-run wizard, SIGINT") << int(SIGINT) << int(Nothing) << int(StartDialog);
        QTest::newRow("first-run wizard, SIGHUP") << int(SIGHUP) << int(Nothing) << int(StartDialog);
        QTest::newRow("message box, SIGTERM") << int(SIGTERM) << int(BothSettings) << int(StartDialog);
        QTest::newRow("diary held at the start, SIGTERM") << int(SIGTERM) << int(HeldDiary) << int(StartDialog);
        QTest::newRow("a copy that does not answer, SIGTERM") << int(SIGTERM) << int(SilentCopy) << int(StartDialog);
        QTest::newRow("cannot start, SIGTERM") << int(SIGTERM) << int(TakenChannel) << int(StartDialog);
        QTest::newRow("diary in use, die") << int(Die) << int(Nothing) << int(DiaryInUse);
        QTest::newRow("new food category, a checkpoint first") << int(Checkpoint) << int(Nothing) << int(NewFoodCategory);
        // A page's dialog runs its loop inside a method of the page, which goes with the window.
        for (const auto& [name, open] : {std::pair{"new food category", NewFoodCategory}, {"edit food", NewFood},
                                         {"check-in", Checkin}, {"diary in use", DiaryInUse},
                                         {"diary not read", DiaryNotRead}, {"calendar months", MonthMenu},
                                         {"print over an existing file", PrintOverwrite}, {"wait for the diary", WaitForDiary},
                                         {"print to a pipe", PrintToPipe}, {"a backup", Backup},
                                         {"a restore", Restore}})
            QTest::addRow("%s, SIGTERM", name) << int(SIGTERM) << int(Nothing) << int(open);
    }

    void endsOnOneSignal()
    {
        QFETCH(int, signal);
        QFETCH(int, before);
        QFETCH(int, open);
        if (open != StartDialog)
            return endInWindow(Open(open), signal);
        Session session;
        if (!session.startDisplay())
            QSKIP("No virtual X display (Xvfb) can be started here");
        // Settings both in the folder of an earlier version and in the current one stop the
        // start-up with a message box; an empty home starts the first-run wizard.
        if (before == BothSettings) {
            QVERIFY(writeFile(session.path("config")
                              + QStringLiteral("/pantrel.example/Pantrel/Pantrel.ini")));
            QVERIFY(writeFile(session.path("config") + QStringLiteral("/Pantrel/Pantrel.ini")));
        }
        // A first run leaves a diary, which another program then holds for longer than the wait.
        std::optional<OtherReader> other;
        if (before == HeldDiary) {
            session.startProgram();
            QTRY_VERIFY_WITH_TIMEOUT(!findDiary(session.path("data")).isEmpty(), RunMs);
            session.program.terminate();
            QVERIFY(session.program.waitForFinished(RunMs));
            other.emplace(findDiary(session.path("data")), OtherReader::Exclusive);
            QVERIFY(other->reading());
        }
        // A copy that takes the wake-up but never answers holds the start in its wait.
        QLocalServer silent;
        const QString channel = session.path("runtime") + QLatin1Char('/') + QLatin1String(ApplicationId);
        QVERIFY(before != SilentCopy || silent.listen(channel));
        QVERIFY(before != TakenChannel || QDir().mkdir(channel));
        session.startProgram();
        // The program takes the channel's lock only once it watches for the end of the session.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(channel + QStringLiteral(".lock")), RunMs);
        QVERIFY2(before == SilentCopy || before == TakenChannel || session.waitUntilListening(),
                 session.program.readAllStandardError().constData());
        QTest::qWait(1000); // the dialog is on the display, or the start waits for the other copy
        QCOMPARE(session.program.state(), QProcess::Running);

        ::kill(pid_t(session.program.processId()), signal);
        QVERIFY2(session.program.waitForFinished(EndMs),
                 "the program still waits after one signal");
        QCOMPARE(session.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(session.program.exitCode(), 0);
        // An end asked for is no reason to tell.
        const QByteArray errors = session.program.readAllStandardError();
        QVERIFY2(!errors.contains("Cannot start: \n"), errors.constData());
    }

    // A request that trickles on keeps no signal waiting: the database update's check is
    // under way over TLS, its box up, when the signal comes.
    void endsOnOneSignalWhileARequestRuns()
    {
        Session session;
        if (!session.startDisplay())
            QSKIP("No virtual X display (Xvfb) can be started here");
        TestCertificates certificates;
        TestHttpsServer server(certificates.serverConfiguration(TestCertificates::Good));
        TestHttpServer::Answer trickle;
        trickle.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"};
        for (int i = 0; i < 300; ++i)
            trickle.pieces << "x";
        trickle.pauseMs = 100;
        server.answer(trickle);
        const QString resources = session.path("home") + QStringLiteral("/resources/");
        QVERIFY(QDir().mkpath(resources));
        QVERIFY(makeResources(resources, server.url(QStringLiteral("/feed.rss")), certificates.caFile()));
        session.startProgram({QStringLiteral("-resourcedir"), resources, QStringLiteral("-updatedb")});
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().size() == 1 || session.program.state() == QProcess::NotRunning,
                                 RunMs);
        QVERIFY2(session.program.state() == QProcess::Running, session.program.readAllStandardError().constData());
        QTest::qWait(1000);  // the request runs, the box is up
        QCOMPARE(server.openConnections(), 1);

        ::kill(pid_t(session.program.processId()), SIGTERM);
        QTRY_VERIFY2_WITH_TIMEOUT(session.program.state() == QProcess::NotRunning,
                                  "the program still waits after one signal", EndMs);
        QCOMPARE(session.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(session.program.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 1000);
    }

    // A service manager sends SIGTERM and SIGHUP at once: whichever comes first, the end is the
    // orderly one, the dialog cancelled and the loop ended with 0, never the default's.
    void endsOrderlyOnSignalsTogether()
    {
        // The signals go to the threads of a round only, so that none of them is still on its
        // way when the next round watches afresh: one sent to the whole process may wait in
        // any of its threads.
        const pthread_t loopThread = ::pthread_self();
        for (int round = 0; round < 50; ++round) {
            const SessionEnd session;
            QDialog dialog;
            int answer = -1;
            std::thread signaller;
            QTimer::singleShot(0, &dialog, [&] {
                // The first is handled in this thread before the second is sent, or both come
                // to the loop's thread together.
                signaller = std::thread([round, loopThread] {
                    const int first = round % 2 ? SIGHUP : SIGTERM;
                    round % 4 < 2 ? ::raise(first) : ::pthread_kill(loopThread, first);
                    ::pthread_kill(loopThread, first == SIGHUP ? SIGTERM : SIGHUP);
                });
                answer = dialog.exec();
            });
            QCOMPARE(SessionEnd::exec(), 0);
            QVERIFY(signaller.joinable());
            signaller.join();
            // A signal waiting for this thread is handled as the call returns.
            sigset_t waiting;
            ::sigpending(&waiting);
            QCOMPARE(answer, int(QDialog::Rejected));
        }
    }

private:
    // Cancelled, the dialog returns, the window closes with its pages once the main loop has
    // it back, and the diary keeps every row. Another program that held it lets go meanwhile.
    void endInWindow(Open open, int signal)
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        const QString diary = BXSettings::getUserDBPath() + QStringLiteral("userdata.db");
        CatalogueServices::install();
        QPointer<MainWindow> window = new MainWindow;
        QVERIFY(window->switchUser(window, UserDB::instance()->getCurrentUser()));
        window->show();
        // The diary gains a user after its copy is taken, which a whole restore would drop.
        QVERIFY(open != Restore || QFile::copy(diary, copyFile(Restore)));
        DBTypes::UserProfile bob;
        bob.name = QStringLiteral("Bob");
        QVERIFY(open != Restore || UserDB::instance()->addUser(bob, nullptr));
        const QStringList before = everyStoredRow();
        std::optional<OtherReader> other;
        if (open == DiaryInUse || open == DiaryNotRead || open == WaitForDiary)
            other.emplace(diary, open == DiaryNotRead ? OtherReader::Damaged : OtherReader::Exclusive);
        // Printed over this file, the report would replace it.
        const QString pdf = QDir::homePath() + QStringLiteral("/print.pdf");
        QVERIFY(open == PrintToPipe ? ::mkfifo(QFile::encodeName(pdf).constData(), 0600) == 0 : writeFile(pdf));
        // A pipe that nobody reads holds the open of a writer, until it is read here.
        std::atomic<bool> ended{false};
        std::atomic<bool> read{false};
        std::jthread reader([&] {
            for (QDeadlineTimer deadline(RunMs); open == PrintToPipe && !ended && !deadline.hasExpired();)
                QThread::msleep(10);
            if (open == PrintToPipe && !ended)
                read = ::close(::open(QFile::encodeName(pdf).constData(), O_RDONLY | O_NONBLOCK)) == 0;
        });
        QElapsedTimer ending;
        // The steps that a copy's progress showed after the signal.
        int stepsAfterSignal = 0;
        bool keptAtCheckpoint = signal != Checkpoint;
        {
            std::optional<BusyWaits> waits;
            if (open != WaitForDiary)
                waits.emplace(BusyWait::timeout());
            const SessionEnd session;
            std::thread signaller;
            QTimer asked; // the signal comes once a dialog or menu waits in its own loop
            asked.callOnTimeout([&] {
                QWidget* modal = QApplication::activeModalWidget();
                // A copy is ended once it shows its progress.
                if (open >= Backup && !qobject_cast<QProgressDialog*>(modal))
                    return answerOnTheWay(modal, Open(open));
                // The print's options are taken, then the file chosen and OK pressed in Qt's print dialog.
                if ((open == PrintOverwrite || open == PrintToPipe) && modal && !qobject_cast<QMessageBox*>(modal)) {
                    QLineEdit* file = modal->findChild<QLineEdit*>(QStringLiteral("filename"));
                    if (file && !modal->property("answered").toBool())
                        file->setText(pdf);
                    if (!modal->property("answered").toBool())
                        QMetaObject::invokeMethod(file ? modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok) : modal,
                                                  file ? "click" : "accept", Qt::QueuedConnection);
                    modal->setProperty("answered", true);
                    return;
                }
                if (!modal && !QApplication::activePopupWidget())
                    return;
                asked.stop();
                if (signal == Checkpoint) {
                    emit qApp->commitDataRequest(*qApp->findChild<QSessionManager*>());
                    QCoreApplication::processEvents();
                    keptAtCheckpoint = QApplication::activeModalWidget() == modal && !SessionEnd::requested();
                }
                if (QProgressBar* bar = modal ? modal->findChild<QProgressBar*>() : nullptr)
                    QObject::connect(bar, &QProgressBar::valueChanged, [&stepsAfterSignal] { ++stepsAfterSignal; });
                if (signal == Die)
                    QCoreApplication::quit();
                else
                    ::raise(signal == Checkpoint ? SIGTERM : signal);
                other.reset();
            });
            if (open != WaitForDiary)
                asked.start(0);
            QTimer::singleShot(0, window, [&] {
                ending.start();
                if (open == WaitForDiary) // the signal comes while the diary's connection waits
                    signaller = std::thread([signal] { QThread::msleep(200); ::kill(::getpid(), signal); });
                openInWindow(window, open);
                if (asked.isActive()) // nothing waited for an answer
                    QCoreApplication::exit(1);
            });
            QCOMPARE(SessionEnd::exec(), 0);
            QVERIFY2(stepsAfterSignal == 0, "the copy went on after the signal");
            ended = true;
            reader.join();
            if (signaller.joinable())
                signaller.join();
            other.reset();
        }
        QVERIFY2(!read, "the print dialog waited for a reader of the pipe");
        QVERIFY2(keptAtCheckpoint, "a checkpoint of the session closed the dialog");
        QVERIFY2(ending.elapsed() < BusyWait::timeout(), "the wait for the diary outlasted the signal");
        QFile kept(pdf);
        QVERIFY(open == PrintToPipe || (kept.open(QIODevice::ReadOnly) && kept.readAll() == "[x]\n"));
        QFile::remove(pdf);
        // A backup wrote nothing, and no copy left a working file.
        QVERIFY(open != Backup || !QFile::exists(copyFile(Backup)));
        for (const QString& folder : {QDir::homePath(), BXSettings::getUserDBPath()})
            QCOMPARE(QDir(folder).entryList({QStringLiteral("*.partial"), QStringLiteral("*.restoring"),
                                             QStringLiteral("*.before-restore")}, QDir::Files), QStringList());
        QVERIFY(window && !window->diaryPage());
        QCOMPARE(everyStoredRow(), before);
        delete window;
        CatalogueServices::cleanUp();
        endSession();
        QFile::remove(diary);
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
