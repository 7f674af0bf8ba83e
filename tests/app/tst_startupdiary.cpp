// The start of the program with a diary that is damaged, locked, held by another program or
// holds odd rows.

#include "tests/app/programruns.h"
#include "tests/app/manageddisplay.h"
#include "core/fooddiaryitem.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/clock.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/diarylocation.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/otherreader.h"
#include "tests/support/brandinfront.h"
#include "tests/support/heldfolder.h"
#include "tests/support/progressstopper.h"
#include "widgets/shownday.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

// The program's own start-up and shutdown steps, compiled in here so that they can be run
// in this process; its entry point is renamed out of the way of the test's.
#define main pantrelMain
#include "app/main.cpp"
#undef main

class TestStartupDiary : public QObject, private ProgramRuns
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void corruptDatabaseExitsWithOne_data();
    void corruptDatabaseExitsWithOne();
    void lockedUserDataExitsWithOne_data();
    void lockedUserDataExitsWithOne();
    void busyDiaryIsNeverCalledDamaged_data();
    void busyDiaryIsNeverCalledDamaged();
    void waitingStartSaysWhyAndOffersQuit();
    void waitingStartAnswersASecondStart();
    void quitInAStartBoxEndsWithZero_data();
    void quitInAStartBoxEndsWithZero();
    void oddRowsDoNotStopTheStart_data();
    void oddRowsDoNotStopTheStart();
    void terminationDuringSyncWaitEnds();
    void leftOverRestoreGoesBackUnderProgress_data();
    void leftOverRestoreGoesBackUnderProgress();
};

void TestStartupDiary::initTestCase()
{
    prepareRuns();
}

void TestStartupDiary::cleanupTestCase()
{
    endRuns();
}

void TestStartupDiary::corruptDatabaseExitsWithOne_data()
{
    QTest::addColumn<QString>("pipe");  // the diary's own name, or that of a file beside it
    QTest::newRow("damaged file") << QString();
    QTest::newRow("pipe") << QString(""); // named as such, and left as it is
    QTest::newRow("pipe as its journal") << QStringLiteral("-journal");
}

void TestStartupDiary::corruptDatabaseExitsWithOne()
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

void TestStartupDiary::lockedUserDataExitsWithOne_data()
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
void TestStartupDiary::lockedUserDataExitsWithOne()
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

void TestStartupDiary::busyDiaryIsNeverCalledDamaged_data()
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
void TestStartupDiary::busyDiaryIsNeverCalledDamaged()
{
    QFETCH(int, hold);
    QFETCH(bool, metrics);
    QFETCH(QVariantList, answers);
    QFETCH(bool, starts);
    QFETCH(int, asked);
    const QString damaged = hold != OtherReader::Damaged ? QString()
        : QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 1, 1).remove(QLatin1Char(','));
    const StoreResult start = DiaryStart::startUp(true);
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
void TestStartupDiary::waitingStartSaysWhyAndOffersQuit()
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
void TestStartupDiary::waitingStartAnswersASecondStart()
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

// Escape in a box of the start that offers Quit (the wait for another program's hold on the
// diary, a damaged diary, a diary folder or file not found) is the user's Quit: the program
// ends with 0, not as a start that failed.
void TestStartupDiary::quitInAStartBoxEndsWithZero_data()
{
    QTest::addColumn<QString>("box");  // the title of the box answered with Escape
    QTest::newRow("diary in use") << "Waiting for your diary";
    QTest::newRow("diary damaged") << "Diary damaged";
    QTest::newRow("diary folder not found") << "Diary folder not found";
    QTest::newRow("diary a link to a file gone") << "Diary not found";
}

void TestStartupDiary::quitInAStartBoxEndsWithZero()
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
        QVERIFY(DiaryStart::startUp(true));
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

void TestStartupDiary::oddRowsDoNotStopTheStart_data()
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
void TestStartupDiary::oddRowsDoNotStopTheStart()
{
    QFETCH(QStringList, statements);
    addUser();
    const StoreResult start = DiaryStart::startUp(true);
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
void TestStartupDiary::terminationDuringSyncWaitEnds()
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

void TestStartupDiary::leftOverRestoreGoesBackUnderProgress_data()
{
    QTest::addColumn<bool>("stopped");
    QTest::newRow("checked, put back") << false;
    QTest::newRow("check stopped") << true;
}

// The data as it was, kept beside the diary by a restore that did not finish, is checked under
// a progress dialog before it goes back. Cancel there ends the start with both files as they
// were, and a later start puts that data back.
void TestStartupDiary::leftOverRestoreGoesBackUnderProgress()
{
    QFETCH(bool, stopped);
    const QString file = BXSettings::getUserDBPath() + QStringLiteral("userdata.db");
    const QString kept = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    const auto bytes = [](const QString& path) {
        QFile read(path);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    };
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    if (UserDB::instance()->numUsers().value() == 0) {
        // Entries enough for the check to take steps that its progress hears.
        DBTypes::FoodDiaryItem food;
        food.userId = addCompleteUser(QStringLiteral("Ada"));
        for (int day = 1; day <= 300; ++day) {
            food.entryId = -1;
            food.setDate(QDate(2020, 1, 1).addDays(day).toString(QStringLiteral("yyyyMMdd")).toStdString());
            QVERIFY(DiaryDB::instance()->addFoodEntry(food, true) >= 0);
        }
    }
    const int users = UserDB::instance()->numUsers().value();
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    const QByteArray keptBytes = bytes(file);
    // The restored data, which the restore did not make final, holds a user more.
    QVERIFY(DiaryStart::startUp(true));
    QVERIFY(addCompleteUser(stopped ? QStringLiteral("Rex") : QStringLiteral("Roy")) >= 0);
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::WriteOnly) && keptFile.write(keptBytes) == keptBytes.size());
    keptFile.close();
    // Each start is ended as the program ends.
    const auto startOnce = [] {
        ScriptedPrompter prompter;
        std::unique_ptr<QLockFile> lock;
        const bool started = startUserDatabase(lock, &prompter);
        const int found = started ? UserDB::instance()->numUsers().value_or(-1) : -1;
        QPointer<MainWindow> window;
        shutDown(window);
        BrandEngine::instance()->import(
            QFile::encodeName(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).constData());
        return found;
    };

    std::optional<ProgressStopper> stopper;
    if (stopped)
        stopper.emplace(ProgressStopper::Cancel, QStringLiteral("Checking your diary..."));
    const int found = startOnce();
    if (stopped) {
        QCOMPARE(found, -1);
        QVERIFY(stopper->stopped());
        QCOMPARE(stopper->title(), QStringLiteral("Open Diary"));
        QCOMPARE(bytes(kept), keptBytes);
        QCOMPARE(endedStart(), 1);
        stopper.reset();
        QCOMPARE(startOnce(), users);
    } else {
        QCOMPARE(found, users);
    }
    QVERIFY(!QFileInfo::exists(kept));
}

QTEST_MAIN(TestStartupDiary)
#include "tst_startupdiary.moc"
