// The main window's commands on the user database as a whole: backup, restore, switching,
// creating and deleting users, and the instance messages of the handheld synchronisation.

#include "mainwindowdoubles.h"

#include "app/syncdialog.h"
#include "app/tipoftheday.h"
#include "browser/draglistview.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "browser/itemdrag.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbdynamic.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/workingfile.h"
#include "net/staticdbupdater.h"
#include "diary/diarylistview.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "profile/settargetsdialog.h"
#include "userdb/diarydb.h"
#include "userdb/diarystart.h"
#include "userdb/diaryversion.h"
#include "userdb/filecopy.h"
#include "userdb/savedmealdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/bxtoolbar.h"
#include "widgets/expandingtabbar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/searchlineedit.h"
#include "widgets/shownday.h"
#include "tests/support/failingreads.h"
#include "tests/support/foreignschemas.h"
#include "tests/support/heldfolder.h"
#include "tests/support/otherprocess.h"
#include "tests/support/otherreader.h"
#include "tests/support/progressstopper.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/storedmealname.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <algorithm>
#include <cstring>
#include <optional>

using namespace MainWindowTest;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The access bits of a file or folder, -1 when it is missing.
int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs statements on a database file through a connection of its own; `value`, when given,
// gets the first value of the last one.
bool runOn(const QString& path, const QStringList& statements, QVariant* value = nullptr)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString& sql : statements)
            ok = ok && query.exec(sql);
        if (value)
            *value = ok && query.next() ? query.value(0) : QVariant();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
    return ok;
}

// Whether the user catalogue tree as built now holds the item.
bool treeHolds(const DynamicDB* tree, int itemId)
{
    const std::vector<BrowsableDBItem>& items = tree->getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == quint32(itemId) && !(tree->getFlags()[i] & FLAG_CATEGORY))
            return true;
    }
    return false;
}

// A custom food in the user's own root.
// The tool bar's shown button with that text, or null.
QToolButton* shownTool(QToolBar* bar, const QString& text)
{
    for (QAction* handle : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(handle));
        if (button && handle->isVisible() && button->text() == text)
            return button;
    }
    return nullptr;
}

// Made as the user makes it: only the user whose tree is shown makes foods in it.
qint64 addCustomFood(qint64 user, const QString& name)
{
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    DBTypes::FoodItem values;
    values.energy = 100.0f;
    const qint64 shown = UserDB::instance()->getCurrentUser();
    UserDB::instance()->setCurrentUser(user);
    const qint64 made = foods->createFood(foods->getRootForUser(user), name, QStringLiteral("slice"), values);
    UserDB::instance()->setCurrentUser(shown);
    return made;
}

constexpr int DefaultBusyTimeoutMs = 10000;

// Where the page of the table that holds a diary's format version starts in its file at path.
qint64 versionPage(const QString& path)
{
    QVariant offset;
    return runOn(path, {QStringLiteral("SELECT (rootpage - 1) * (SELECT page_size FROM pragma_page_size) "
                                       "FROM sqlite_master WHERE name = 'userdata_meta'")}, &offset)
        ? offset.toLongLong() : -1;
}

// The disk's answer to the next sync of a file, once: the error it fails with.
std::function<int()> s_nextSync;

} // namespace

extern "C" int fsync(int fd)
{
    const std::function<int()> fault = std::exchange(s_nextSync, nullptr);
    return fault ? (errno = fault(), -1) : int(::syscall(SYS_fsync, fd));
}

namespace {

QStringList userNames()
{
    QStringList names;
    const QList<DBTypes::UserProfile> users = UserDB::instance()->getUsersList().value();
    for (const DBTypes::UserProfile& user : users)
        names.append(user.name);
    return names;
}

} // namespace

class TestMainWindowData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void backupIsByteIdentical();
    void firstBackupMakesTheDefaultFolder();
    void cancelledBackupWritesNothing();
    void refusedDialogWritesNothing_data();
    void refusedDialogWritesNothing();
    void backupOntoLiveDatabaseFails_data();
    void backupOntoLiveDatabaseFails();
    void backupTakesThePlaceWhole_data();
    void backupTakesThePlaceWhole();
    void backupKeepsExistingFileWhenNotOverwriting();
    void backupStoppedInItsProof_data();
    void backupStoppedInItsProof();
    void backupIsMadeOnlyWhereRestoreTakesIt_data();
    void backupIsMadeOnlyWhereRestoreTakesIt();
    void copyReadOtherwiseOnceIsNoDamage_data();
    void copyReadOtherwiseOnceIsNoDamage();
    void backupBiggerThanTheDiskIsRefused();
    void backupOntoAFullDiskNamesTheFile();
    void backupWhileAnotherProgramHoldsTheDiary_data();
    void backupWhileAnotherProgramHoldsTheDiary();
    void diaryThatCannotBeReopenedAsksRetryOrQuit_data();
    void diaryThatCannotBeReopenedAsksRetryOrQuit();

    void restoreRefuses_data();
    void restoreRefuses();
    void restoreRefusesUnusableBackup_data();
    void restoreRefusesUnusableBackup();
    void restoreReplacesData_data();
    void restoreReplacesData();
    void restoreBringsOldBackupUpToDate();
    void restoreKeepsDataWhenRestartFails_data();
    void restoreKeepsDataWhenRestartFails();
    void restoreAsksBeforeOverwriting();
    void restoreShowsFirstUserWithUnitsAndFoods();
    void restoreTakesNoOtherInput();
    void stoppedCopyLeavesTheFiles_data();
    void stoppedCopyLeavesTheFiles();

    void firstRunCreatesUser();
    void cancelledWizardAddsNobody();
    void failedCreationIsReported();
    void choosingCurrentUserDoesNothing();
    void deletingUserSwitchesToFirst_data();
    void deletingUserSwitchesToFirst();
    void deletingLastUserEndsWhenWizardCancelled();
    void sixthUserIsRefused();
    void noUserWindowActsForNobody_data();
    void noUserWindowActsForNobody();
    void targetsAreStoredAndAnnounced();
    void targetsDialogStoresForDiaryDay();
    void switchingLoadsUserSettings();
    void eachUsersScreensShowThatUsersUnits_data();
    void eachUsersScreensShowThatUsersUnits();
    void switchingForgetsThePreviousUsersItems();
    void sharedMealWithAPrivateFood();
    void diaryItemsFollowTheDay();
    void toolBarFollowsClicksInTheDiaryList();

    void updateCheckFollowsInterval_data();
    void eachStartShowsTheNextTip();
    void updateCheckFollowsInterval();
    void brandWithoutUpdatesNeverChecks();
    void publishingPromptAfterAWeek_data();
    void publishingPromptAfterAWeek();
    void discardedPublishingClearsChanges();
    void closingAsksBeforePublishing_data();
    void closingAsksBeforePublishing();
    void metricsGiveUpAfterThreeTries();

    void shutDownWaitsForStartUp();
    void shutDownWaitsForUserSwitch();
    void backupMessageSetsText();
    void startUpWhileOpenOnlyRefreshes();
    void failedStartUpEndsProgram();
    void messagesWaitForCopy();

private:
    QString backupOfLive(const QString& name);

    ScriptedMainWindow* _window = nullptr;
    qint64 _ann = -1;
};

void TestMainWindowData::initTestCase()
{
    BrandSwitches switches;
    switches.family = true;
    switches.publish = true;
    switches.update = true;
    loadBrand(switches);
}

void TestMainWindowData::init()
{
    startFreshDatabase();
    _ann = addUser(QStringLiteral("Ann"));
    _window = new ScriptedMainWindow;
    UserDB::instance()->setCurrentUser(_ann);
}

void TestMainWindowData::cleanup()
{
    delete _window;
    _window = nullptr;
    CatalogueServices::cleanUp();
    FileCopy::setFreeSpaceProbe({});
}

void TestMainWindowData::cleanupTestCase()
{
    BXSqlDb::cleanUp();
    UserDB::cleanUp();
    BrandEngine::cleanUp();
}

QString TestMainWindowData::backupOfLive(const QString& name)
{
    const QString path = QDir::homePath() + QLatin1Char('/') + name;
    QFile::remove(path);
    _window->backupName = path;
    _window->backupUserDB();
    return path;
}

// Backup

void TestMainWindowData::backupIsByteIdentical()
{
    // What the copy read: the closed database file, just before it is opened again.
    QByteArray live;
    _window->restart = [&live](QString* error) {
        live = readAll(databaseFile());
        const StoreResult start = DiaryStart::startUp(true);
        const bool up = start.ok();
        *error = start.message();
        return up;
    };
    const QString path = backupOfLive(QStringLiteral("b.ptBackup"));
    QVERIFY(live.size() > 1000);
    QCOMPARE(readAll(path), live);
    QCOMPARE(modeOf(path), 0600);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
    QCOMPARE(_window->lastText(), QStringLiteral("Your data is now backed up in ") + QDir::toNativeSeparators(path));
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::firstBackupMakesTheDefaultFolder()
{
    BXSettings().setString(BXSettings::DataBackupPath, QString());
    const QString folder = BXSettings::defaultBackupDir();
    QDir(folder).removeRecursively();
    _window->backupName = folder + QStringLiteral("/first.ptBackup");
    _window->backupUserDB();
    QVERIFY(QFileInfo(_window->backupName).isFile());
    QCOMPARE(modeOf(folder), 0700);
}

void TestMainWindowData::cancelledBackupWritesNothing()
{
    _window->backupName = QString();
    _window->backupUserDB();
    QVERIFY(_window->messages.isEmpty());
    QVERIFY(BXSqlDb::isUp());
}

// A dialog the user leaves, however he leaves it, stores no setting and makes no folder: the
// default backup folder is read, never stored, until the user stores one.
void TestMainWindowData::refusedDialogWritesNothing_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("preferences, Escape") << "Escape";
    QTest::newRow("preferences, Cancel") << "Cancel";
    QTest::newRow("preferences, close button") << "close";
    QTest::newRow("preferences, OK, new folder refused, Escape") << "folder refused";
    QTest::newRow("backup, chooser closed") << "backup";
    QTest::newRow("restore, chooser closed") << "restore";
}

void TestMainWindowData::refusedDialogWritesNothing()
{
    QFETCH(QString, way);
    BXSettings().setString(BXSettings::DataBackupPath, QString());
    const QString folder = BXSettings::defaultBackupDir();
    QDir(folder).removeRecursively();
    const QString typed = QDir::homePath() + QStringLiteral("/never made");
    const QByteArray settings = readAll(BXSettings().fileName());
    _window->realForms = true;
    _window->backupName = QString();
    _window->restoreName = QString();
    QAction* action = way == QLatin1String("backup") ? _window->fileBackup_DatabasesAction
        : way == QLatin1String("restore")            ? _window->fileRestore_DatabasesAction
                                                     : _window->optionsPreferencesAction;
    if (action == _window->optionsPreferencesAction) {
        QTimer::singleShot(0, _window, [way, typed] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (way == QLatin1String("Cancel"))
                dialog->findChild<QPushButton*>(QStringLiteral("pushButton5"))->click();
            else if (way == QLatin1String("close"))
                dialog->close();
            if (way == QLatin1String("folder refused")) {
                dialog->findChild<QRadioButton*>(QStringLiteral("radProxyDirect"))->setChecked(true);
                dialog->findChild<QLineEdit*>(QStringLiteral("txtBackupPath"))->setText(typed);
                QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
                dialog->findChild<QPushButton*>(QStringLiteral("pushButton6"))->click();
            }
            if (dialog->isVisible())
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
    }
    action->trigger();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(readAll(BXSettings().fileName()), settings);
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(!QFileInfo::exists(typed));
}

void TestMainWindowData::backupOntoLiveDatabaseFails_data()
{
    QTest::addColumn<bool>("link");
    // What follows the diary's name in the name chosen, or its name in the data folder.
    QTest::addColumn<QString>("beside");
    QTest::addColumn<QString>("told");
    const QString itself = QStringLiteral(" is your diary itself: choose another file.");
    const QString kept = QStringLiteral(" is a file that this program keeps for itself: choose another file.");
    QTest::newRow("the diary") << false << QString() << itself;
    QTest::newRow("a link to the diary") << true << QString() << itself;
    // A start would remove the program's own working files, or put them in the diary's place;
    // the end of the program removes its lock, and the next write its list of working files.
    // The same holds for the catalogue update's files and the probe of the lock.
    for (const char* suffix : {"-journal", ".restoring", ".upgrading", ".before-restore", "/pantrel.lock", "/working-files",
                               "/static.db", "/static.db.backup", "/static.db.new", "/static.download", "/pantrel.lock.probe"})
        QTest::newRow(suffix) << false << QString::fromLatin1(suffix) << kept;
    QTest::newRow("a pipe") << false << QStringLiteral("/pipe") << QStringLiteral(" is not a file: choose another file.");
}

void TestMainWindowData::backupOntoLiveDatabaseFails()
{
    QFETCH(bool, link);
    QFETCH(QString, beside);
    QFETCH(QString, told);
    const QString data = QFileInfo(databaseFile()).path();
    const QString chosen = link ? QDir::homePath() + QStringLiteral("/link.ptBackup")
                                : (beside.startsWith(QLatin1Char('/')) ? data : databaseFile()) + beside;
    QVERIFY(!link || (QFile::remove(chosen), QFile::link(databaseFile(), chosen)));
    QVERIFY(beside != QLatin1String("/pipe") || ::mkfifo(QFile::encodeName(chosen).constData(), 0600) == 0);
    WorkingFile::keepLedger(data + QStringLiteral("/working-files"));
    StaticDbUpdater::removeLeftovers();
    _window->backupName = chosen;
    _window->backupUserDB();
    WorkingFile::keepLedger(QString());
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
    QCOMPARE(_window->lastText(), chosen + told);
    QVERIFY(beside.isEmpty() || !QFileInfo(chosen).isFile());
    QVERIFY(beside != QLatin1String("/pipe") || QFile::remove(chosen));
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
}

void TestMainWindowData::backupTakesThePlaceWhole_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("noFile");
    QTest::addColumn<QByteArray>("other"); // what stands at the name in place of a diary
    QTest::newRow("a journal of the file replaced goes") << false << false << QByteArray();
    QTest::newRow("a folder in the journal's place: refused") << true << false << QByteArray();
    QTest::newRow("a journal beside no file: refused, and it stays") << false << true << QByteArray();
    QTest::newRow("a journal beside no diary: refused, and both stay") << false << true << QByteArray("the user's notes");
}

// The journal of the file that a backup replaces would be played into the backup: it goes once
// the backup is in place, and the backup restores. One that cannot go, or that stands beside no
// file (something else's), refuses the name.
void TestMainWindowData::backupTakesThePlaceWhole()
{
    QFETCH(bool, folder);
    QFETCH(bool, noFile);
    QFETCH(QByteArray, other);
    const QString path = backupOfLive(QStringLiteral("stale.ptBackup"));
    const QString journal = path + QStringLiteral("-journal");
    addUser(QStringLiteral("Bob"));
    if (noFile) {
        QVERIFY(QFile::remove(path) && writeFile(journal, "another program's journal"));
        QVERIFY(other.isEmpty() || writeFile(path, other));
        _window->backupName = path;
        _window->backupUserDB();
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
        QVERIFY2(_window->lastText().contains(journal + " stands beside " + path), qPrintable(_window->lastText()));
        QCOMPARE(readAll(journal), QByteArray("another program's journal"));
        QCOMPARE(QFile::exists(path) ? readAll(path) : QByteArray(), other);
        QVERIFY(QFile::remove(journal));
        return;
    }
    if (folder) {
        QFile::remove(journal);
        QVERIFY(QDir().mkdir(journal));
    } else {
        // A change to the earlier backup that never ended: its journal is hot.
        QByteArray hot;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hot"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("BEGIN")) && query.exec(QStringLiteral("DELETE FROM user_users")));
            hot = readAll(journal);
            QVERIFY(query.exec(QStringLiteral("ROLLBACK")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("hot"));
        QVERIFY(hot.size() > 512 && writeFile(journal, hot));
    }
    const QByteArray earlier = readAll(path);
    _window->backupName = path;
    _window->backupUserDB();
    if (folder) {
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
        QVERIFY2(_window->lastText().contains(journal + " stands beside " + path), qPrintable(_window->lastText()));
        QCOMPARE(readAll(path), earlier);
        QVERIFY(QDir().rmdir(journal));
        return;
    }
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
    QVERIFY(!QFile::exists(journal));
    _window->restoreName = path;
    _window->restoreUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
}

void TestMainWindowData::backupKeepsExistingFileWhenNotOverwriting()
{
    const QString path = QDir::homePath() + QStringLiteral("/old.ptBackup");
    QVERIFY(writeFile(path, "older backup"));
    _window->backupName = path;
    _window->answers = {QMessageBox::No};
    _window->backupUserDB();
    QCOMPARE(_window->messages.first().first, QStringLiteral("Overwrite File?"));
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
    QCOMPARE(_window->lastText(), QStringLiteral("You have chosen not to overwrite existing file"));
    QCOMPARE(readAll(path), QByteArray("older backup"));
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::backupStoppedInItsProof_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << int(ProgressStopper::Cancel);
    QTest::newRow("Escape") << int(ProgressStopper::Escape);
    QTest::newRow("the end of the session") << int(ProgressStopper::EndOfSession);
}

// The copy's proof stops in its steps: the earlier backup stays as it was, and no working copy.
void TestMainWindowData::backupStoppedInItsProof()
{
    QFETCH(int, how);
    const QString path = backupOfLive(QStringLiteral("proven.ptBackup"));
    addUser(QStringLiteral("Bob"));
    const QByteArray earlier = readAll(path);
    _window->backupName = path;
    {
        const ProgressStopper stopper(ProgressStopper::How(how), QStringLiteral("Checking the backup..."));
        _window->backupUserDB();
        QVERIFY2(stopper.stopped(), "the proof of the copy was never shown");
    }
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup cancelled"));
    QCOMPARE(_window->lastText(), QStringLiteral("The backup was cancelled. The backup file %1 is as it was.")
                                      .arg(QDir::toNativeSeparators(path)));
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(QDir::home().entryList({QStringLiteral("*.partial")}, QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::backupIsMadeOnlyWhereRestoreTakesIt_data()
{
    QTest::addColumn<QString>("statements"); // run on the diary before the start
    QTest::addColumn<QString>("refusal");
    QTest::newRow("categories their own parents")
        << "UPDATE custom_food_cats SET parent_id = category_id"
        << "Restore Data would refuse a copy of it:\nthe table custom_food_cats holds a loop";
    QTest::newRow("a category of a long name its own parent")
        << "UPDATE custom_food_cats SET parent_id = category_id, name = printf('%.*c', 100000, 'c')"
        << QStringLiteral("(\"%1\") lies below itself").arg(QString(40, u'c'));
    QTest::newRow("more users than a household")
        << "INSERT INTO user_users(user_id, name) VALUES (11, 'B'), (12, 'C'), (13, 'D'), (14, 'E'), (15, 'F')"
        << "a copy of it:\nThis backup file has too many users: 6";
    // The start writes the tracked tables' rows anew as the program makes them.
    QTest::newRow("sync rows written otherwise")
        << "UPDATE userdata_sync_tables SET fields = 'date, user_id' WHERE source_table = 'water_diary'\n"
           "UPDATE userdata_sync_tables SET source_table = 'food_diary ' WHERE source_table = 'food_diary'"
        << "";
    // The start refuses them; another program makes them while this one runs.
    for (const ForeignSchema& foreign : ForeignSchemas)
        QTest::newRow(foreign.name) << QStringLiteral("while running\n") + QLatin1String(foreign.statements)
                                    << QStringLiteral("a copy of it:\n") + QLatin1String(foreign.named);
    // Ids no dialog writes, which the start opens.
    const struct
    {
        const char* name;
        const char* statement;
        const char* refusal;
    } Ids[] = {
        {"a diary line of a user past 32 bits", "INSERT INTO food_diary(user_id, date, ref_id) VALUES (4294967296, '20260101', 0)",
         "the table food_diary holds 4294967296 in its column user_id, an id this program never gives a user"},
        {"a diary line of a real user id", "INSERT INTO food_diary(user_id, date, ref_id) VALUES (1.5, '20260101', 0)",
         "the table food_diary holds 1.5 in its column user_id"},
        {"a diary line of a text user id", "INSERT INTO food_diary(user_id, date, ref_id) VALUES ('1x', '20260101', 0)",
         "the table food_diary holds 1x in its column user_id"},
        {"a diary food of a negative id", "INSERT INTO food_diary(user_id, date, ref_id) VALUES (0, '20260101', -1)",
         "the table food_diary holds -1 in its column ref_id, an id of a catalogue item this program never gives"},
        {"a diary food of a real id", "INSERT INTO food_diary(user_id, date, ref_id) VALUES (0, '20260101', 9040.5)",
         "the table food_diary holds 9040.5 in its column ref_id"},
        {"a diary food of a real id between whole ones",
         "INSERT INTO food_diary(user_id, date, ref_id) VALUES (0, '20260101', 1), (0, '20260101', 9040.5), (0, '20260101', 20000)",
         "the table food_diary holds 9040.5 in its column ref_id"},
        {"a diary food of the lowest id", "INSERT INTO food_diary(user_id, date, ref_id) VALUES (0, '20260101', -9223372036854775808)",
         "the table food_diary holds -9223372036854775808 in its column ref_id"},
        {"a favourite of a user past 32 bits", "INSERT INTO favorites(user_id, item_type, item_id) VALUES (4294967296, 1, 5)",
         "the table favorites holds 4294967296 in its column user_id"},
        {"a diary line in no group", "INSERT INTO food_diary(user_id, date, ref_id, group_id) VALUES (0, '20260101', 0, 77)",
         "the table food_diary holds 77 in its column group_id, which names no group"},
        {"a check-in of a user past 32 bits", "INSERT INTO user_checkins(user_id, date, weight) VALUES (4294967296, '20260101', 70)",
         "the table user_checkins holds 4294967296 in its column user_id"},
    };
    for (const auto& id : Ids)
        QTest::newRow(id.name) << id.statement << QStringLiteral("a copy of it:\n") + QLatin1String(id.refusal);
}

// What the start opens but Restore Data would refuse is never called backed up, nor takes the
// place of an earlier backup; a backup that is made restores. Restore Data judges the file
// alike, for the same reason.
void TestMainWindowData::backupIsMadeOnlyWhereRestoreTakesIt()
{
    QFETCH(QString, statements);
    QFETCH(QString, refusal);
    const QString path = backupOfLive(QStringLiteral("earlier.ptBackup"));
    const QByteArray earlier = readAll(path);
    const bool running = statements.startsWith(QLatin1String("while running\n"));
    if (!running) {
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
    }
    QVERIFY(runOn(databaseFile(), statements.split(QLatin1Char('\n')).mid(running ? 1 : 0)));
    const QString crafted = QDir::homePath() + QStringLiteral("/crafted.ptBackup");
    QFile::remove(crafted);
    QVERIFY(running || QFile::copy(databaseFile(), crafted));
    const StoreResult start = running ? StoreResult() : DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    _window->backupName = path;
    _window->backupUserDB();
    // Nor does the diary open again.
    QCOMPARE(BXSqlDb::isUp(), !running);
    if (refusal.isEmpty()) {
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
        _window->restoreName = path;
        _window->restoreUserDB();
        QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
        return;
    }
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
    QVERIFY2(_window->lastText().contains(refusal), qPrintable(_window->lastText()));
    QCOMPARE(readAll(path), earlier);
    if (running)
        return;
    _window->restoreName = crafted;
    _window->restoreUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore failed"));
    const QString reason = refusal.section(QStringLiteral("a copy of it:\n"), -1);
    QVERIFY2(_window->lastText().contains(QStringLiteral("cannot be restored")) && _window->lastText().contains(reason),
             qPrintable(_window->lastText()));
}

void TestMainWindowData::copyReadOtherwiseOnceIsNoDamage_data()
{
    QTest::addColumn<bool>("restoring");
    QTest::newRow("Backup Data") << false;
    QTest::newRow("Restore Data") << true;
}

// One read of the copy in its proof gives other bytes than the file holds, while the diary and
// the backup are whole: a second check of the same copy does not find the damage, so the copy
// could not be checked. Neither the diary nor the backup is called damaged, and nothing changes.
void TestMainWindowData::copyReadOtherwiseOnceIsNoDamage()
{
    QFETCH(bool, restoring);
    // Pages past those the first checks read, which the integrity check reads first.
    QVERIFY(runOn(databaseFile(), {QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 "
                                                  "FROM c WHERE n < 2000) INSERT INTO metrics_startStats "
                                                  "SELECT 0, printf('%0100d', n), n FROM c")}));
    const QString path = backupOfLive(QStringLiteral("changed.ptBackup"));
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
    const QByteArray earlier = readAll(path);
    const QByteArray live = readAll(databaseFile());
    _window->messages.clear();
    s_unreadOnce = true;
    s_unreadChanged = true;
    s_unreadFrom = earlier.size() - 16 * 1024;
    s_unreadEnding = restoring ? QByteArray(".restoring") : QByteArray(".partial");
    if (restoring) {
        _window->restoreName = path;
        _window->restoreUserDB();
    } else {
        _window->backupName = path;
        _window->backupUserDB();
    }
    const bool changedRead = s_unreadEnding.isEmpty();
    s_unreadEnding.clear();
    s_unreadChanged = false;
    s_unreadOnce = false;
    s_unreadFrom = 0;
    QVERIFY(changedRead);
    QCOMPARE(_window->lastCaption(), restoring ? QStringLiteral("Restore failed") : QStringLiteral("Backup failed"));
    const QString told = _window->lastText();
    QVERIFY2(told.contains(QStringLiteral("it could not be checked: its check found damage that a second check "
                                          "of the same file did not find"))
                 && !told.contains(QStringLiteral("did not pass")) && !told.contains(QStringLiteral("refuse")),
             qPrintable(told));
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(readAll(databaseFile()), live);
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::backupBiggerThanTheDiskIsRefused()
{
    const QString path = QDir::homePath() + QStringLiteral("/big.ptBackup");
    QFile::remove(path);
    const qint64 size = QFileInfo(databaseFile()).size();
    FileCopy::setFreeSpaceProbe([size](const QString&) { return size / 2; });
    _window->backupName = path;
    _window->backupUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
    const QLocale locale;
    for (const QString& part : {QDir::toNativeSeparators(path),
                                locale.formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat),
                                locale.formattedDataSize(size / 2, 1, QLocale::DataSizeTraditionalFormat)})
        QVERIFY2(_window->lastText().contains(part), qPrintable(_window->lastText()));
    QVERIFY(!QFile::exists(path));
    QVERIFY(BXSqlDb::isUp());
}

// A file size limit, set while the database is closed for the copy, stands in for a full
// disk: the write stops part way. The message names the backup file and the system's reason;
// the older backup of that name is kept and no part of the new one is left.
void TestMainWindowData::backupOntoAFullDiskNamesTheFile()
{
    const QString path = QDir::homePath() + QStringLiteral("/full.ptBackup");
    QVERIFY(writeFile(path, "older backup"));
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    const sighandler_t previous = std::signal(SIGXFSZ, SIG_IGN);
    bool limitSet = false;
    _window->duringMessage = [&] { limitSet = setrlimit(RLIMIT_FSIZE, &limited) == 0; };
    _window->restart = [&](QString* error) {
        setrlimit(RLIMIT_FSIZE, &saved);
        const StoreResult start = DiaryStart::startUp(true);
        const bool up = start.ok();
        *error = start.message();
        return up;
    };
    _window->backupName = path;
    _window->backupUserDB();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QVERIFY(limitSet);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
    QVERIFY2(_window->lastText().startsWith(QStringLiteral("The backup file ") + QDir::toNativeSeparators(path)
                                            + QStringLiteral(" could not be written: ")
                                            + QString::fromLocal8Bit(std::strerror(EFBIG))),
             qPrintable(_window->lastText()));
    QCOMPARE(readAll(path), QByteArray("older backup"));
    QCOMPARE(QDir::home().entryList({QStringLiteral("full.ptBackup*")}),
             QStringList{QStringLiteral("full.ptBackup")});
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::backupWhileAnotherProgramHoldsTheDiary_data()
{
    QTest::addColumn<int>("hold");
    // Bytes from the end of the copy that its reads fail on; none when 0.
    QTest::addColumn<int>("copyUnread");
    // Whether those reads fail only once the copy's one check, the proof that Restore Data
    // would take it, has read them: nothing reads the copy again.
    QTest::addColumn<bool>("inProof");
    QTest::newRow("a reader: the backup is made") << int(OtherReader::Shared) << 0 << false;
    QTest::newRow("a writer: the diary is in use") << int(OtherReader::Exclusive) << 0 << false;
    QTest::newRow("damaged: the earlier backup is kept") << int(OtherReader::Damaged) << 0 << false;
    QTest::newRow("a reader, the copy unread: the earlier backup is kept")
        << int(OtherReader::Shared) << INT_MAX << false;
    QTest::newRow("a reader, the copy's last page unread: the earlier backup is kept")
        << int(OtherReader::Shared) << 4096 << false;
    QTest::newRow("a reader, the copy's last page unread after its proof: the backup is made")
        << int(OtherReader::Shared) << 4096 << true;
    QTest::newRow("nobody, a pipe at the copy's journal: nothing waits for it") << -1 << 0 << false;
}

// The copy is made while no other program can change the diary; one that holds it longer than
// a change would wait is named, and the window keeps the diary as it was. A damaged diary is
// told, and its copy never takes the place of a backup.
void TestMainWindowData::backupWhileAnotherProgramHoldsTheDiary()
{
    QFETCH(int, hold);
    QFETCH(int, copyUnread);
    QFETCH(bool, inProof);
    const bool exclusive = hold == OtherReader::Exclusive;
    const QString path = QDir::homePath() + QStringLiteral("/held.ptBackup");
    QFile::remove(path);
    QVERIFY((hold != OtherReader::Damaged && !copyUnread) || writeFile(path, "older backup"));
    const QByteArray live = readAll(databaseFile());
    const QString journal = path + QStringLiteral(".partial-journal");
    QVERIFY(hold >= 0 || ::mkfifo(QFile::encodeName(journal).constData(), 0600) == 0);
    BXSqlDb::setBusyTimeout(100);
    std::optional<OtherReader> other;
    if (hold >= 0)
        other.emplace(databaseFile(), OtherReader::Hold(hold), QStringLiteral("food_diary"));
    QVERIFY(!other || other->reading());
    _window->backupName = path;
    // Pages that read the diary afterwards ask to try again; the answer is to cancel.
    ScriptedPrompter prompter;
    s_unreadEnding = copyUnread ? QByteArray(".partial") : QByteArray();
    s_unreadFrom = std::max<qint64>(0, live.size() - qint64(copyUnread));
    if (inProof)
        s_beforeRead = [] { s_unreadEnding = QByteArray(".partial"); };
    // A wait for ever ends the test as a failure.
    ::alarm(20);
    _window->backupUserDB();
    ::alarm(0);
    s_unreadEnding.clear();
    s_unreadFrom = 0;
    s_beforeRead = nullptr;
    other.reset();
    BXSqlDb::setBusyTimeout(DefaultBusyTimeoutMs);
    QVERIFY(BXSqlDb::isUp());
    // The damage, put right again, leaves the file's change counter moved on.
    QCOMPARE(readAll(databaseFile()).mid(100), live.mid(100));
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
    if (hold < 0) {
        QFile::remove(journal);
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
        QVERIFY2(_window->lastText().contains("The journal " + journal + " of "), qPrintable(_window->lastText()));
        QVERIFY(!QFile::exists(path));
        return;
    }
    if (hold == OtherReader::Damaged) {
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
        QCOMPARE(_window->lastIcon, QMessageBox::Warning);
        QCOMPARE(prompter.asked.size(), 0);
        QVERIFY(_window->lastText().startsWith("Your diary " + databaseFile() + " did not pass its check (the file is damaged)") && !_window->lastDetails.isEmpty());
        QCOMPARE(readAll(path), QByteArray("older backup"));
        return;
    }
    if (copyUnread && !inProof) {
        // The diary is whole: only the copy is blamed, with the disk's reason.
        QCOMPARE(_window->lastCaption(), QStringLiteral("Backup failed"));
        QVERIFY2(_window->lastText().startsWith("The copy of your diary written for " + path + " could not be checked (")
                     && _window->lastText().contains("I/O error") && !_window->lastText().contains("refuse"),
                 qPrintable(_window->lastText()));
        QCOMPARE(readAll(path), QByteArray("older backup"));
        return;
    }
    if (!exclusive) {
        // The folder of the backup is remembered afterwards, which the reader holds up; an
        // earlier backup is overwritten once asked.
        QCOMPARE(_window->messages.at(copyUnread ? 1 : 0).first, QStringLiteral("Backup successful"));
        QCOMPARE(readAll(path), live);
        return;
    }
    // Reads of the window that the writer held up may say so too, after the refusal.
    QCOMPARE(_window->messages.first().first, QStringLiteral("Backup failed"));
    QVERIFY2(_window->messages.first().second.contains(QStringLiteral("is in use by another program")),
             qPrintable(_window->messages.first().second));
    QVERIFY(QDir::home().entryList({QStringLiteral("held.ptBackup*")}).isEmpty());
}

void TestMainWindowData::diaryThatCannotBeReopenedAsksRetryOrQuit_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("told");
    const QString inUse = QStringLiteral("in use by another program");
    QTest::newRow("retry") << int(QMessageBox::Retry) << true << inUse;
    QTest::newRow("quit") << int(QMessageBox::Close) << false << inUse;
    // One read that the disk failed says nothing of the diary.
    QTest::newRow("one read of its version failed, retry")
        << int(QMessageBox::Retry) << true
        << "cannot be read now: disk I/O error: Input/output error. The file has been left as it is; try again.";
    // Another process takes the diary as the reopening reads it, and lets it go at Retry.
    QTest::newRow("held by another program from its version on, retry") << int(QMessageBox::Retry) << true << inUse;
}

// Another program takes the diary between the copy and the reopening, or a read fails: the
// user is asked, and the program never runs on without its diary, nor aborts.
void TestMainWindowData::diaryThatCannotBeReopenedAsksRetryOrQuit()
{
    QFETCH(int, answer);
    QFETCH(bool, up);
    QFETCH(QString, told);
    int restarts = 0;
    const bool held = QByteArray(QTest::currentDataTag()).contains("held");
    const bool unread = !held && !told.contains(QStringLiteral("in use"));
    std::optional<OtherProcess> other;
    if (held) {
        other.emplace(databaseFile());
        s_beforeRead = [&other] { QVERIFY(other->take()); };
        BXSqlDb::setBusyTimeout(100);
    }
    _window->restart = [&restarts, &other, unread, held](QString* error) {
        if (restarts++ == 0 && !unread && !held) {
            *error = QStringLiteral("Your diary is in use by another program");
            return false;
        }
        if (restarts > 1)
            other.reset();
        const StoreResult start = DiaryStart::startUp(true);
        const bool started = start.ok();
        *error = start.message();
        return started;
    };
    _window->answers = {QMessageBox::StandardButton(answer)};
    s_unreadOnce = unread || held;
    s_unreadFrom = versionPage(databaseFile());
    s_unreadEnding = unread || held ? QByteArray("/userdata.db") : QByteArray();
    const QString path = backupOfLive(QStringLiteral("reopen.ptBackup"));
    BXSqlDb::setBusyTimeout(DefaultBusyTimeoutMs);
    s_unreadEnding.clear();
    s_unreadOnce = false;
    QVERIFY(!s_beforeRead);
    QCOMPARE(_window->messages.first().first, QStringLiteral("Diary not available"));
    QVERIFY2(_window->messages.first().second.contains(told), qPrintable(_window->messages.first().second));
    QCOMPARE(BXSqlDb::isUp(), up);
    QCOMPARE(_window->quits, up ? 0 : 1);
    QCOMPARE(restarts, up ? 2 : 1);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
    QVERIFY(QFile::exists(path));
}

// Restore

void TestMainWindowData::restoreRefuses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("text file") << "text" << "It is not a backup made by this program: file is not a database.";
    QTest::newRow("unreadable") << "unreadable" << "It cannot be read: ";
    QTest::newRow("older format") << "sqlite2" << "SQLite 2.1";
    QTest::newRow("version 203") << "v203" << "This backup file is incompatible with this version of Desktop Pantrel";
    QTest::newRow("no version") << "noversion"
                                << "This backup file is incompatible with this version of Desktop Pantrel";
    QTest::newRow("version 311") << "v311" << "This backup file is incompatible with this version of Desktop Pantrel";
    QTest::newRow("version 500") << "v500" << "This backup file is incompatible with this version of Desktop Pantrel";
    QTest::newRow("six users") << "six" << "This backup file has too many users: 6";
    QTest::newRow("no users") << "none" << "This backup file contains no users";
    QTest::newRow("user id out of range") << "userid" << "the table user_users holds a user whose user_id is 70000";
    QTest::newRow("named pipe") << "pipe" << "is not a backup file";
    QTest::newRow("folder") << "folder" << "is not a backup file";
    QTest::newRow("its journal a pipe") << "journal" << "journal.ptBackup-journal of ";
    QTest::newRow("bigger than the disk") << "room" << "are needed on the disk of";
    QTest::newRow("diary read by another program") << "shared" << "is in use by another program";
    QTest::newRow("diary held by another program") << "exclusive" << "is in use by another program";
}

void TestMainWindowData::restoreRefuses()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString path = backupOfLive(QStringLiteral("r.ptBackup"));
    const QString version = QStringLiteral("UPDATE userdata_meta SET itemvalue = '%1' WHERE itemkey = 'schema_version'");
    QString chosen = path;
    if (kind == QLatin1String("text")) {
        QVERIFY(writeFile(path, "just some text that is no database at all\n"));
    } else if (kind == QLatin1String("sqlite2")) {
        QVERIFY(writeFile(path, QByteArray("** This file contains an SQLite 2.1 database **\0", 48) + QByteArray(1000, 'x')));
    } else if (kind.startsWith(QLatin1Char('v'))) {
        QVERIFY(runOn(path, {version.arg(kind.mid(1))}));
    } else if (kind == QLatin1String("noversion")) {
        QVERIFY(runOn(path, {QStringLiteral("DELETE FROM userdata_meta WHERE itemkey = 'schema_version'")}));
    } else if (kind == QLatin1String("six")) {
        QStringList inserts;
        for (int id = 10; id < 15; ++id)
            inserts << QStringLiteral("INSERT INTO user_users (user_id, name) VALUES (%1, 'U%1')").arg(id);
        QVERIFY(runOn(path, inserts));
    } else if (kind == QLatin1String("none")) {
        QVERIFY(runOn(path, {QStringLiteral("DELETE FROM user_users")}));
    } else if (kind == QLatin1String("userid")) {
        QVERIFY(runOn(path, {QStringLiteral("INSERT INTO user_users (user_id, name) VALUES (70000, 'Far')")}));
    } else if (kind == QLatin1String("pipe")) {
        chosen = QDir::homePath() + QStringLiteral("/pipe.ptBackup");
        QFile::remove(chosen);
        QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        chosen = QDir::homePath() + QStringLiteral("/folder.ptBackup");
        QVERIFY(QDir().mkpath(chosen));
    } else if (kind == QLatin1String("journal")) {
        chosen = QDir::homePath() + QStringLiteral("/journal.ptBackup");
        QVERIFY(QFile::copy(path, chosen) && ::mkfifo(QFile::encodeName(chosen + "-journal").constData(), 0600) == 0);
    } else if (kind == QLatin1String("room")) {
        const qint64 needed = QFileInfo(path).size() + QFileInfo(databaseFile()).size();
        FileCopy::setFreeSpaceProbe([needed](const QString&) { return needed - 1; });
    }
    const QByteArray backup = readAll(path);
    addUser(QStringLiteral("Bob"));
    const QByteArray live = readAll(databaseFile());
    std::optional<OtherReader> other;
    if (kind == QLatin1String("shared") || kind == QLatin1String("exclusive")) {
        BXSqlDb::setBusyTimeout(100);
        other.emplace(databaseFile(), kind == QLatin1String("shared") ? OtherReader::Hold::Shared
                                                                      : OtherReader::Hold::Exclusive);
        QVERIFY(other->reading());
    }
    _window->messages.clear();
    _window->restoreName = chosen;
    // No descriptor is left for the backup's open, refused as for a file this account may not read.
    rlimit files {};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlimit noneLeft {rlim_t(::dup(0)), files.rlim_max};
    ::close(int(noneLeft.rlim_cur));
    if (kind == QLatin1String("unreadable"))
        _window->duringMessage = [&noneLeft] { setrlimit(RLIMIT_NOFILE, &noneLeft); };
    _window->restoreUserDB();
    setrlimit(RLIMIT_NOFILE, &files);
    other.reset();
    BXSqlDb::setBusyTimeout(DefaultBusyTimeoutMs);

    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore failed"));
    QVERIFY2(_window->lastText().contains(message), qPrintable(_window->lastText()));
    QVERIFY(_window->lastText().contains(QFileInfo(chosen).absoluteFilePath())
            || _window->lastText().contains(databaseFile()));
    // The question and the refusal; the disk's room is checked once the user said to overwrite.
    QCOMPARE(_window->messages.size(), kind == QLatin1String("room") ? 3 : 2);
    if (kind == QLatin1String("room")) {
        const QLocale locale;
        for (const qint64 size : {QFileInfo(path).size() + QFileInfo(databaseFile()).size(),
                                  QFileInfo(path).size() + QFileInfo(databaseFile()).size() - 1})
            QVERIFY2(_window->lastText().contains(
                         locale.formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat)),
                     qPrintable(_window->lastText()));
    }
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(readAll(databaseFile()), live);
    QCOMPARE(QDir(BXSettings::getUserDBPath()).entryList({QStringLiteral("userdata.db?*")}), QStringList());
    QCOMPARE(readAll(path), backup);
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
}

void TestMainWindowData::restoreReplacesData_data()
{
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("refused"); // what the disk refuses at the restore's end
    QTest::addColumn<QString>("held"); // a statement run on the backup
    QTest::newRow("diary file") << false << "" << "";
    QTest::newRow("diary linked from another folder") << true << "" << "";
    QTest::newRow("data kept while it ran cannot be removed") << false << "rename" << "";
    // Emptied, the data kept is never put back: the restore is final, and the failed sync told.
    QTest::newRow("data kept while it ran can be neither renamed nor synced") << false << "rename, sync" << "";
    // Still the user's data: what no dialog writes reads as unknown, in the restore's own check too.
    QTest::newRow("a goal and activity of 2^31, a weight of 1e308")
        << false << ""
        << "INSERT INTO user_misc(user_id, date, goal, activity) SELECT user_id, '20000101', 2147483648, "
           "2147483648 FROM user_users; INSERT INTO user_checkins(user_id, date, weight, note) SELECT "
           "user_id, '20000101', 1e308, printf('%.*c', 10000000, 'n') FROM user_users";
}

// A diary that is a link stays one: the file it points at takes the restored data.
void TestMainWindowData::restoreReplacesData()
{
    QFETCH(bool, link);
    QFETCH(QString, refused);
    QFETCH(QString, held);
    const QString path = backupOfLive(QStringLiteral("good.ptBackup"));
    const QString target = QDir::homePath() + QStringLiteral("/synced/diary.db");
    if (link) {
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        QVERIFY(QFile::rename(databaseFile(), target) && QFile::link(target, databaseFile()));
    }
    QStringList statements{QStringLiteral("UPDATE userdata_meta SET itemvalue = '499' WHERE itemkey = 'schema_version'")};
    if (!held.isEmpty())
        statements += held.split(QStringLiteral("; "));
    QVERIFY(runOn(path, statements));
    addUser(QStringLiteral("Bob"));
    _window->messages.clear();
    _window->restoreName = path;
    const bool syncFails = refused.endsWith(QLatin1String("sync"));
    if (!refused.isEmpty())
        _window->restart = [this, syncFails](QString*) {
            _window->duringMessage = [] { holdFolder(BXSettings::getUserDBPath(), false); };
            _window->restart = nullptr;
            const bool up = DiaryStart::startUp(true).ok() && holdFolder(BXSettings::getUserDBPath(), true);
            if (syncFails)
                s_nextSync = [] { return holdFolder(BXSettings::getUserDBPath(), false) ? EIO : 0; };
            return up;
        };
    _window->restoreUserDB();

    // What no dialog writes is told once the restored diary is read.
    const auto leftOut = [this] {
        return std::find_if(_window->messages.begin(), _window->messages.end(),
                            [](const auto& message) { return message.first == QLatin1String("Values left out"); });
    };
    if (!held.isEmpty()) {
        QTRY_VERIFY(leftOut() != _window->messages.end());
        _window->messages.erase(leftOut());
    }
    QCOMPARE(_window->messages.size(), 3);
    QCOMPARE(_window->messages.at(0).first, QStringLiteral("Restore"));
    QCOMPARE(_window->messages.at(1).first, QStringLiteral("Overwrite File?"));
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
    QVERIFY(_window->lastText().contains(QStringLiteral("\nThe first user of the backup is shown.")));
    QCOMPARE(_window->lastText().contains(QString::fromLocal8Bit(std::strerror(EIO))), syncFails);
    QCOMPARE(_window->lastIcon, syncFails ? QMessageBox::Warning : QMessageBox::Information);
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
    QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
    QVERIFY(_window->windowTitle().endsWith(QStringLiteral(" - Ann")));
    QCOMPARE(QFileInfo(databaseFile()).isSymLink(), link);
    // The next start opens the restored data.
    BXSqlDb::cleanUp();
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
    for (const QString& file : {databaseFile(), target}) {
        QVERIFY(!QFile::exists(file + QStringLiteral(".before-restore")));
        QVERIFY(!QFile::exists(file + QStringLiteral(".restoring")));
    }
    QFile::remove(databaseFile());
}

void TestMainWindowData::restoreRefusesUnusableBackup_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("foreign file of an old version") << "foreign309" << "Upgrade schema 309 -> 310 failed.";
    QTest::newRow("foreign file of the current version") << "foreign412"
                                                         << "it lacks what this program reads: the table";
    QTest::newRow("zeroed pages") << "zeroed" << "damaged";
    // A fault of the system says nothing of the backup: told with its reason, never as damage.
    QTest::newRow("pages of its copy unread by the check")
        << "unread .restoring" << "a part of the file could not be read (disk I/O error";
    QTest::newRow("the backup file unread, the system out of memory")
        << "unread ENOMEM .ptBackup" << "It could not be read just now (disk I/O error: Cannot allocate memory)";
    QTest::newRow("the backup file unread, a read error")
        << "unread .ptBackup" << "It could not be read just now (disk I/O error: Input/output error)";
    QTest::newRow("one read of its copy failed")
        << "unread once .restoring" << "it could not be read just now (disk I/O error: Input/output error); try again";
    for (const char* table : {"user_target", "user_firsttime_tips", "custom_food_cats", "favorites",
                              "food_diary"})
        QTest::newRow(qPrintable(QStringLiteral("without %1").arg(table)))
            << QStringLiteral("DROP TABLE %1").arg(table)
            << QStringLiteral("it lacks what this program reads: the table %1").arg(table);
    QTest::newRow("without a column") << "ALTER TABLE user_users DROP COLUMN summaryOptions"
                                      << "the column summaryOptions of the table user_users";
    for (const char* table : {"custom_food_cats", "custom_exercise_cats"})
        QTest::newRow(qPrintable(QStringLiteral("%1 their own parents").arg(table)))
            << QStringLiteral("UPDATE %1 SET parent_id = category_id").arg(table)
            << QStringLiteral("the table %1 holds a loop").arg(table);
    QTest::newRow("a user's root below a category")
        << "INSERT INTO custom_food_cats VALUES (16777216, 33554432, 'Snacks')\n"
           "UPDATE custom_food_cats SET parent_id = 16777216 WHERE category_id < 33554432 AND parent_id = 0"
        << "places the root category 33550336 (\"My Foods\") below the category 16777216 (\"Snacks\")";
    // Ids past 32 bits that end in another user's category or food.
    QTest::newRow("a category id past 32 bits")
        << "INSERT INTO custom_food_cats VALUES (4311744513, 33550336, 'Wide')"
        << "the table custom_food_cats holds 4311744513 in its column category_id, an id this program never gives";
    QTest::newRow("a parent id past 32 bits")
        << "INSERT INTO custom_exercise_cats VALUES (16777216, 4311744513, 'Wide')"
        << "the table custom_exercise_cats holds 4311744513 in its column parent_id";
    QTest::newRow("a food id past 32 bits")
        << "INSERT INTO custom_foods(food_id, category_id, name) VALUES (4311744514, 33550336, 'Wide')"
        << "the table custom_foods holds 4311744514 in its column food_id";
    // Ids that leave a table no next id the program holds, or that it never gives.
    QTest::newRow("a diary entry id leaving no next id")
        << "INSERT INTO exer_diary(ex_id, user_id, date) VALUES (9223372036854775807, 0, '20260101')"
        << "the table exer_diary holds an entry whose ex_id is 9223372036854775807, an id this program never gives";
    QTest::newRow("a saved meal id leaving no next id")
        << "INSERT INTO group_diary(group_id, user_id, name, status) VALUES (9223372036854775807, 0, 'Last', 1)"
        << "the table group_diary holds an entry whose group_id is 9223372036854775807";
    QTest::newRow("a diary food named by an id past the catalogue's")
        << "INSERT INTO food_diary(user_id, date, ref_id) VALUES (0, '20260101', 4294967301)"
        << "the table food_diary holds 4294967301 in its column ref_id";
    QTest::newRow("a favourite named by a text")
        << "INSERT INTO favorites(user_id, item_type, item_id) VALUES (0, 1, 'five')"
        << "the table favorites holds five in its column item_id";
    QTest::newRow("a negative diary entry id")
        << "INSERT INTO food_mealplan(food_id, user_id, date) VALUES (-3, 0, '20260101')"
        << "the table food_mealplan holds an entry whose food_id is -3";
    QTest::newRow("a user id past 32 bits")
        << "INSERT INTO user_users(user_id, name) VALUES (4294967297, 'Wide')"
        << "the table user_users holds a user whose user_id is 4294967297, an id this program never gives a user";
    QTest::newRow("a user id no user may be") << "INSERT INTO user_users(user_id, name) VALUES (-2, 'Far')"
                                              << "the table user_users holds a user whose user_id is -2";
    QTest::newRow("a sync row holding statements")
        << "INSERT INTO userdata_sync_tables VALUES ('water_diary BEGIN DELETE FROM food_diary; END /*', "
           "'water_diary_sync', 'user_id, date')"
        << "it holds the row ('water_diary BEGIN DELETE FROM food_diary; END /*'";
    QTest::newRow("without a sync row") << "DELETE FROM userdata_sync_tables WHERE source_table = 'metrics_startStats'"
                                        << "it has no row for the table metrics_startStats";
    QTest::newRow("a sync device of a text id") << "INSERT INTO userdata_sync_devices(id, name) VALUES ('x', 'reader')"
                                                << "it holds a sync device of the id x, which this program never gives";
    QTest::newRow("two sync devices of one id") << "INSERT INTO userdata_sync_devices(id, name) VALUES (2, 'again')"
                                                << "it holds two sync devices of the id 2";
    QTest::newRow("a sync device of a user no user may be")
        << "INSERT INTO userdata_sync_devices(id, name, user_id) VALUES (3, 'reader', 4096)"
        << "its sync device 3 follows the user 4096, an id this program never gives a user";
    QTest::newRow("a unique index") << "CREATE UNIQUE INDEX once ON exer_diary(user_id, date)"
                                    << "the unique index once on the table exer_diary";
    QTest::newRow("a NOT NULL column")
        << "DROP TABLE water_diary\nCREATE TABLE water_diary (user_id INTEGER, date TEXT, "
           "cups NUMERIC NOT NULL, PRIMARY KEY(user_id, date))"
        << "the NOT NULL column cups of the table water_diary";
    for (const ForeignSchema& foreign : ForeignSchemas)
        QTest::newRow(foreign.name) << foreign.statements << foreign.named;
    QTest::newRow(UnknownCollation.name) << UnknownCollation.statements << UnknownCollation.named;
    // Nothing runs on one brought up to date either.
    QTest::newRow("a trigger in a diary of an earlier format")
        << "UPDATE userdata_meta SET itemvalue = '411' WHERE itemkey = 'schema_version'\n"
           "CREATE TRIGGER wipe AFTER UPDATE ON user_users BEGIN DELETE FROM food_diary; END"
        << "it holds what this program does not make: the trigger wipe on the table user_users";
    QTest::newRow("a trigger named as SQLite's own in a diary of an earlier format")
        << "UPDATE userdata_meta SET itemvalue = '411' WHERE itemkey = 'schema_version'\n"
           "CREATE TRIGGER wipe AFTER UPDATE ON user_users BEGIN DELETE FROM food_diary; END\nPRAGMA writable_schema = ON\n"
           "UPDATE sqlite_master SET name = 'sqlite_wipe', sql = replace(sql, 'TRIGGER wipe', 'TRIGGER sqlite_wipe') "
           "WHERE name = 'wipe'"
        << "it holds what this program does not make: the trigger sqlite_wipe on the table user_users";
}

// Backups that pass the first checks but that the start-up could not use: they are refused
// before anything is replaced, and every later start opens the data as it was.
void TestMainWindowData::restoreRefusesUnusableBackup()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = backupOfLive(QStringLiteral("unusable.ptBackup"));
    if (kind.startsWith(QLatin1String("foreign"))) {
        QFile::remove(path);
        QVERIFY(runOn(path, {QStringLiteral("CREATE TABLE user_users (user_id INTEGER, name TEXT)"),
                             QStringLiteral("INSERT INTO user_users VALUES (0, 'Eve')"),
                             QStringLiteral("CREATE TABLE userdata_meta (itemkey TEXT, itemvalue)"),
                             QStringLiteral("INSERT INTO userdata_meta VALUES ('schema_version', %1)")
                                 .arg(kind.mid(7))}));
    } else if (kind != QLatin1String("zeroed") && !kind.startsWith(QLatin1String("unread "))) {
        QVERIFY(runOn(path, kind.split(QLatin1Char('\n'))));
    } else {
        // Some diary pages of the backup are zeroed or unread, past the tables that the checks
        // read.
        QVERIFY(runOn(path, {QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 "
                                            "FROM c WHERE n < 2000) INSERT INTO metrics_startStats "
                                            "SELECT 0, printf('%0100d', n), n FROM c")}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 128 * 1024);
        s_unreadOnce = kind.contains(QLatin1String("once"));
        s_unreadFrom = s_unreadOnce ? versionPage(path) : kind.endsWith(QLatin1String(".ptBackup")) ? 4096 : file.size() - 64 * 1024;
        s_unreadError = kind.contains(QLatin1String("ENOMEM")) ? ENOMEM : EIO;
        for (qint64 back = 16 * 1024; kind == QLatin1String("zeroed") && back <= 64 * 1024; back += 8 * 1024) {
            QVERIFY(file.seek(file.size() - back));
            QVERIFY(file.write(QByteArray(4096, '\0')) == 4096);
        }
    }
    addUser(QStringLiteral("Bob"));
    const QByteArray live = readAll(databaseFile());
    _window->messages.clear();
    _window->restoreName = path;
    s_unreadEnding = kind.startsWith(QLatin1String("unread ")) ? kind.section(QLatin1Char(' '), -1).toUtf8() : QByteArray();
    _window->restoreUserDB();
    s_unreadEnding.clear();
    s_unreadFrom = 0;
    s_unreadError = EIO;
    s_unreadOnce = false;

    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore failed"));
    QVERIFY2(_window->lastText().contains(QStringLiteral("cannot be restored"))
                 && _window->lastText().contains(reason),
             qPrintable(_window->lastText()));
    // A damaged backup's integrity report goes whole to the details; the text stays short.
    if (kind == QLatin1String("zeroed")) {
        QCOMPARE(_window->lastText().count(QLatin1Char('\n')), 1);
        QVERIFY2(_window->lastDetails.count(QLatin1Char('\n')) >= 5, qPrintable(_window->lastDetails));
    }
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QCOMPARE(readAll(databaseFile()), live);
    const QStringList leftOver = QDir(BXSettings::getUserDBPath()).entryList({QStringLiteral("userdata.db?*")});
    QCOMPARE(leftOver, QStringList());

    // The next start of the program finds the same data.
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
}

void TestMainWindowData::restoreBringsOldBackupUpToDate()
{
    const QString path = backupOfLive(QStringLiteral("v411.ptBackup"));
    QVERIFY(runOn(path, {QStringLiteral("UPDATE userdata_meta SET itemvalue = '411' WHERE itemkey = 'schema_version'")}));
    addUser(QStringLiteral("Bob"));
    _window->restoreName = path;
    _window->restoreUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
    QCOMPARE(DiaryVersion::read(), 412);
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
}

void TestMainWindowData::restoreKeepsDataWhenRestartFails_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("another program holds the restored copy") << "held" << "in use by another program";
    QTest::newRow("restored copy damaged") << "damaged" << "cannot be read as a diary: it is damaged.";
    QTest::newRow("restored copy gone") << "gone" << "is no longer there";
    QTest::newRow("restored copy damaged, data put back on retry") << "damaged, held folder" << "it is damaged.";
    QTest::newRow("restored copy damaged, check of the data stopped") << "damaged, stopped" << "it is damaged.";
}

// The start-up that follows the copy cannot use the restored data: the data as it was goes
// back in its place, and the next start of the program finds it.
void TestMainWindowData::restoreKeepsDataWhenRestartFails()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = backupOfLive(QStringLiteral("bad.ptBackup"));
    addUser(QStringLiteral("Bob"));
    std::optional<OtherReader> other;
    _window->restart = [&](QString* error) {
        if (kind == QLatin1String("held")) {
            other.emplace(databaseFile(), OtherReader::Exclusive);
            BXSqlDb::setBusyTimeout(100);
        } else if (kind.startsWith(QLatin1String("damaged"))) {
            QFile file(databaseFile());
            if (file.open(QIODevice::ReadWrite) && file.seek(4096))
                file.write(QByteArray(2 * 4096, '\x5a'));
        } else if (kind == QLatin1String("gone")) {
            QFile::remove(databaseFile());
        }
        if (kind.endsWith(QLatin1String("held folder")) && holdFolder(BXSettings::getUserDBPath(), true))
            _window->duringMessage = [this] { _window->answers = {QMessageBox::Retry}; holdFolder(BXSettings::getUserDBPath(), false); };
        if (kind.endsWith(QLatin1String("stopped")))
            _window->duringMessage = [this] { _window->answers = {QMessageBox::Retry}; };
        _window->restart = nullptr;
        const StoreResult start = DiaryStart::startUp(true);
        const bool up = start.ok();
        *error = start.message();
        return up;
    };
    _window->messages.clear();
    _window->restoreName = path;
    {
        // Cancel stops the check of the data as it was before it goes back: the diary is then
        // not available, and Retry checks it again under a progress.
        const ProgressStopper stopper(ProgressStopper::Cancel, kind.endsWith(QLatin1String("stopped"))
                                                                   ? QStringLiteral("Putting your data back as it was...")
                                                                   : QStringLiteral("no such stage"));
        _window->restoreUserDB();
    }
    other.reset();
    BXSqlDb::setBusyTimeout(DefaultBusyTimeoutMs);
    QStringList told;
    for (const auto& [caption, text] : std::as_const(_window->messages))
        told << (caption == QLatin1String("Diary not available") ? text : QString());
    told.removeAll(QString());
    QCOMPARE(told.size(), kind.endsWith(QLatin1String("stopped")) || kind.endsWith(QLatin1String("held folder")) ? 1 : 0);
    if (kind.endsWith(QLatin1String("stopped")))
        QVERIFY2(told.first().contains(QStringLiteral("could not be checked")), qPrintable(told.first()));

    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore failed"));
    QVERIFY2(_window->lastText().contains(QStringLiteral("your previous data has been kept"))
                 && (_window->lastText() + _window->lastDetails).contains(reason),
             qPrintable(_window->lastText()));
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    QCOMPARE(QDir(BXSettings::getUserDBPath()).entryList({QStringLiteral("userdata.db?*")}), QStringList());
}

void TestMainWindowData::restoreAsksBeforeOverwriting()
{
    const QString path = backupOfLive(QStringLiteral("no.ptBackup"));
    addUser(QStringLiteral("Bob"));
    _window->messages.clear();
    _window->answers = {QMessageBox::Yes, QMessageBox::No};
    _window->restoreName = path;
    _window->restoreUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore failed"));
    QCOMPARE(_window->lastText(), QStringLiteral("You have chosen not to overwrite existing file"));
    QCOMPARE(userNames().size(), 2);

    // Answering No to the first question ends the command before the file is chosen.
    _window->messages.clear();
    _window->answers = {QMessageBox::No};
    _window->restoreUserDB();
    QCOMPARE(_window->messages.size(), 1);
}

void TestMainWindowData::restoreShowsFirstUserWithUnitsAndFoods()
{
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(_ann).value();
    prefs.measurementUnits = 0;
    QVERIFY(UserDB::instance()->setUserPrefs(_ann, prefs));
    const int toast = addCustomFood(_ann, QStringLiteral("Toast"));
    QVERIFY(toast > 0);
    const QString path = backupOfLive(QStringLiteral("units.ptBackup"));

    // After the backup: Ann changes units and loses her food; Bob is shown.
    prefs.measurementUnits = 1;
    QVERIFY(UserDB::instance()->setUserPrefs(_ann, prefs));
    QVERIFY(FoodDBDynamic::instance()->deleteFood(toast));
    const int bob = addUser(QStringLiteral("Bob"));
    QVERIFY(_window->switchUser(_window, bob));
    QVERIFY(!treeHolds(FoodDBDynamic::instance(), toast));
    _window->installedUnits.clear();
    QSignalSpy changed(_window, &MainWindow::userChanged);

    _window->restoreName = path;
    _window->restoreUserDB();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
    QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(_window->installedUnits, QList<int>{0});
    QVERIFY(treeHolds(FoodDBDynamic::instance(), toast));
    QCOMPARE(_window->windowTitle(), BrandEngine::instance()->getString("app_name") + QStringLiteral(" - Ann"));
}

// Clicks on the water counter and a second Restore, queued at every turn of the event loop
// while a restore runs (an old backup, brought up to date on the way), never reach the
// restored data; a modal progress shows while it runs.
void TestMainWindowData::restoreTakesNoOtherInput()
{
    const QString path = backupOfLive(QStringLiteral("busy.ptBackup"));
    QVERIFY(runOn(path, {QStringLiteral("UPDATE userdata_meta SET itemvalue = '411' WHERE itemkey = 'schema_version'")}));
    QVERIFY(_window->switchUser(_window, _ann));
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    FluidCounterViewButton* up = _window->findChild<FluidCounterView*>()->upButton();
    QVERIFY(up->isEnabled());
    const QPoint centre = up->rect().center();
    bool copied = false;
    std::function<void()> keepClicking = [&] {
        if (copied)
            return;
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(up, new QMouseEvent(type, centre, up->mapToGlobal(centre),
                                                            Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
        QMetaObject::invokeMethod(_window, &MainWindow::restoreUserDB, Qt::QueuedConnection);
        QMetaObject::invokeMethod(_window, keepClicking, Qt::QueuedConnection);
    };
    _window->duringMessage = keepClicking;
    bool modalProgress = false;
    int cupsRestored = -1;
    const QByteArray today = Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    _window->restart = [&](QString* error) {
        copied = true;
        modalProgress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()) != nullptr;
        const StoreResult start = DiaryStart::startUp(true);
        const bool started = start.ok();
        *error = start.message();
        cupsRestored = UserDB::instance()->getFluid(_ann, today.constData()).value();
        return started;
    };
    _window->answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok};
    _window->messages.clear();
    _window->restoreName = path;
    _window->restoreUserDB();

    QCOMPARE(cupsRestored, 0);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Restore successful"));
    QStringList captions;
    for (const auto& message : std::as_const(_window->messages))
        captions << message.first;
    QCOMPARE(captions, (QStringList{QStringLiteral("Restore"), QStringLiteral("Overwrite File?"),
                                    QStringLiteral("Restore successful")}));
    QVERIFY(modalProgress);
    QVERIFY(!QApplication::activeModalWidget());

    QCoreApplication::processEvents();
    QCOMPARE(UserDB::instance()->getFluid(_ann, today.constData()).value(), 0);

    // Once the restore is over, the window takes clicks again.
    up = _window->findChild<FluidCounterView*>()->upButton();
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(UserDB::instance()->getFluid(_ann, today.constData()).value(), 1);
}

// Stopped at its progress by Cancel, Escape or the close button, a backup leaves the earlier
// backup file and a restore the diary byte for byte as they were; the progress names its command.
void TestMainWindowData::stoppedCopyLeavesTheFiles_data()
{
    QTest::addColumn<bool>("restoring");
    QTest::addColumn<int>("how");
    for (const auto& [name, how] : {std::pair{"Cancel", ProgressStopper::Cancel},
                                    {"Escape", ProgressStopper::Escape}, {"closed", ProgressStopper::Close}}) {
        QTest::addRow("backup, %s", name) << false << int(how);
        QTest::addRow("restore, %s", name) << true << int(how);
    }
}

void TestMainWindowData::stoppedCopyLeavesTheFiles()
{
    QFETCH(bool, restoring);
    QFETCH(int, how);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    const QString path = backupOfLive(QStringLiteral("earlier.ptBackup"));
    addUser(QStringLiteral("Bob"));  // the diary now differs from its backup
    const QByteArray backup = readAll(path);
    const QByteArray diary = readAll(databaseFile());
    {
        const ProgressStopper stopper{ProgressStopper::How(how)};
        _window->backupName = _window->restoreName = path;
        restoring ? _window->restoreUserDB() : _window->backupUserDB();
        QVERIFY(stopper.stopped());
        QCOMPARE(stopper.title(), restoring ? QStringLiteral("Restore Data") : QStringLiteral("Backup Data"));
    }
    QVERIFY2(_window->lastText().contains(QStringLiteral("was cancelled")), qPrintable(_window->lastText()));
    QCOMPARE(_window->lastCaption(), restoring ? QStringLiteral("Restore cancelled") : QStringLiteral("Backup cancelled"));
    QCOMPARE(readAll(path), backup);
    QCOMPARE(readAll(databaseFile()), diary);
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
}

// Users

void TestMainWindowData::firstRunCreatesUser()
{
    QVERIFY(UserDB::instance()->deleteUser(_ann) == 0);
    QSignalSpy changed(_window, &MainWindow::userChanged);
    QVERIFY(_window->switchUser(_window, -1));
    QCOMPARE(_window->wizardRuns, 1);
    QCOMPARE(userNames(), QStringList{QStringLiteral("New")});
    const int id = UserDB::instance()->getUsersList().value().first().userId;
    QCOMPARE(UserDB::instance()->getCurrentUser(), id);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().first().toInt(), id);
    char today[DBTypes::DATE_CODE_SIZE] = {};
    DateToCode4(QDate::currentDate(), today);
    QVERIFY(UserDB::instance()->hasCheckin(id, today).value());
    QCOMPARE(_window->windowTitle(), BrandEngine::instance()->getString("app_name") + QStringLiteral(" - New "));
}

void TestMainWindowData::cancelledWizardAddsNobody()
{
    _window->wizardAccepts = false;
    QVERIFY(!_window->switchUser(_window, -1));
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
}

void TestMainWindowData::failedCreationIsReported()
{
    QVERIFY(_window->switchUser(_window, _ann));
    BXSqlQuery refuse("CREATE TEMP TRIGGER refuse_users BEFORE INSERT ON user_users "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    QVERIFY(refuse.exec());
    QSignalSpy changed(_window, &MainWindow::userChanged);
    ScriptedPrompter prompter;
    QVERIFY(!_window->switchUser(_window, -1));
    QCOMPARE(_window->wizardRuns, 1);
    QCOMPARE(prompter.lastCaption(), QStringLiteral("Cannot save the profile"));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
}

void TestMainWindowData::choosingCurrentUserDoesNothing()
{
    QVERIFY(_window->switchUser(_window, _ann));
    QSignalSpy changed(_window, &MainWindow::userChanged);
    _window->fromProfileMenuSwitchUser(_ann);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(_window->wizardRuns, 0);
}

void TestMainWindowData::deletingUserSwitchesToFirst_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("unread");
    QTest::newRow("another user than the one shown") << false << false;
    // The first user's page goes bad as the user shown is deleted, or the disk fails its reads:
    // the window goes to no user, and nothing is stored for the deleted one. Only damage that
    // SQLite finds is offered a backup.
    QTest::newRow("the user shown, the next user's page damaged") << true << false;
    QTest::newRow("the user shown, the diary's reads failing") << false << true;
}

void TestMainWindowData::deletingUserSwitchesToFirst()
{
    QFETCH(bool, damaged);
    QFETCH(bool, unread);
    const int bob = addUser(QStringLiteral("Bob"));
    const int cid = addUser(QStringLiteral("Cid"));
    QVERIFY(_window->switchUser(_window, cid));
    if (damaged || unread) {
        ScriptedPrompter prompter;
        std::optional<OtherReader> other;
        // At the third box, "User is deleted".
        _window->duringMessage = [&] {
            _window->duringMessage = [&] {
                _window->duringMessage = [&] {
                    if (damaged)
                        other.emplace(databaseFile(), OtherReader::Damaged);
                    s_unreadEnding = unread ? QByteArray("/userdata.db") : QByteArray();
                };
            };
        };
        _window->fromProfileMenuDeleteUser(cid);
        QVERIFY(unread || (other && other->reading()));
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Diary not read"));
        QCOMPARE(ShownDay::instance()->user(), -1);
        QVERIFY(!_window->windowTitle().contains(QStringLiteral("Cid")));
        QVERIFY(!_window->centralWidget()->isEnabled());
        const auto* told = _window->statusBar()->findChild<QLabel*>();
        QVERIFY(told && told->text().startsWith(QStringLiteral("Ann's diary could not be read")));
        QCOMPARE(told->text().endsWith(QStringLiteral("Restore Data in the File menu.")), damaged);
        // The status line names the user tried last.
        _window->fromProfileMenuSwitchUser(bob);
        QVERIFY(told->text().startsWith(QStringLiteral("Bob's diary could not be read")));
        other.reset();
        s_unreadEnding.clear();
        _window->fromProfileMenuSwitchUser(_ann);
        QVERIFY(_window->windowTitle().contains(QStringLiteral("Ann")) && !_window->statusBar()->isVisible());
        const QList<QToolButton*> tools = _window->mainToolBar()->findChildren<QToolButton*>();
        QVERIFY(std::any_of(tools.cbegin(), tools.cend(), [](const QToolButton* tool) {
            return tool->text() == QStringLiteral("Print") && tool->isEnabled();
        }));
        return;
    }
    _window->fromProfileMenuDeleteUser(bob);
    QCOMPARE(_window->messages.at(0).first, QStringLiteral("Delete user..."));
    QCOMPARE(_window->messages.at(0).second, QStringLiteral("Are you sure you want to delete user \"Bob\"?"));
    QCOMPARE(_window->messages.at(1).first, QStringLiteral("Are you sure?"));
    QCOMPARE(_window->messages.at(2).first, QStringLiteral("User is deleted"));
    QCOMPARE(userNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Cid")}));
    QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
    QCOMPARE(_window->deleteUserSubmenu()->actions().size(), 2);

    // A No to either question keeps the user.
    _window->messages.clear();
    _window->answers = {QMessageBox::Yes, QMessageBox::No};
    _window->fromProfileMenuDeleteUser(cid);
    QCOMPARE(userNames().size(), 2);
}

void TestMainWindowData::deletingLastUserEndsWhenWizardCancelled()
{
    QVERIFY(_window->switchUser(_window, _ann));
    _window->wizardAccepts = false;
    _window->fromProfileMenuDeleteUser(_ann);
    QCOMPARE(_window->wizardRuns, 1);
    QCOMPARE(_window->lastCaption(), QStringLiteral("User creation canceled."));
    QCOMPARE(_window->quits, 1);
}

void TestMainWindowData::noUserWindowActsForNobody_data()
{
    QTest::addColumn<bool>("usersRead");
    QTest::newRow("the diary's users unread") << false;
    QTest::newRow("the first user's page unread") << true;
}

// The window on no user, as the start leaves it when the users or the first user's page could
// not be read: no command it leaves open (menus, closed ones too for their shortcuts, tool bar)
// acts for a user or shows a page. The users listed lead to a user, as other tests show.
void TestMainWindowData::noUserWindowActsForNobody()
{
    QFETCH(bool, usersRead);
    _window->showNoUser(usersRead ? UserDB::instance()->getUsersList().value() : QList<DBTypes::UserProfile>(),
                        QStringLiteral("not read"));
    _window->show();
    QCOMPARE(_window->deleteUserSubmenu()->menuAction()->isEnabled(), usersRead);
    ScriptedPrompter prompter;
    _window->answers = QList<QMessageBox::StandardButton>(20, QMessageBox::No);
    _window->wizardAccepts = false;
    QTimer escape;
    connect(&escape, &QTimer::timeout, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    escape.start(10);
    QList<QAction*> actions = _window->menuBar()->actions() + _window->mainToolBar()->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        QAction* action = actions.at(i);
        if (action->menu())
            actions << action->menu()->actions();
        const bool toUser = action->data().isValid() && qobject_cast<QMenu*>(action->parent());
        if (!action->isEnabled() || action->menu() || toUser || action == _window->exitAction)
            continue;
        action->trigger();
        QVERIFY2(ShownDay::instance()->user() == -1 && _window->statusBar()->isVisible()
                     && _window->pageStack()->currentWidget()->objectName() == QStringLiteral("WStackPage"),
                 qPrintable(action->text()));
    }
}

void TestMainWindowData::sixthUserIsRefused()
{
    for (const char* name : {"B", "C", "D", "E"})
        addUser(QString::fromLatin1(name));
    QVERIFY(_window->switchUser(_window, _ann));
    QVERIFY(!_window->optionsCreateUsersAction->isEnabled());
    _window->fromProfileMenuCreateUser();
    QCOMPARE(_window->wizardRuns, 0);
    QCOMPARE(userNames().size(), 5);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Create User"));
}

void TestMainWindowData::targetsAreStoredAndAnnounced()
{
    QVERIFY(_window->switchUser(_window, _ann));
    QSignalSpy announced(_window, &MainWindow::signalTargetUpdate);
    _window->setTargets();
    QCOMPARE(_window->targetsRuns, 1);
    QCOMPARE(announced.size(), 1);
}

// The main window with the real targets dialog.
class TargetsWindow : public ScriptedMainWindow
{
protected:
    bool execTargetsDialog(DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs) override
    {
        return MainWindow::execTargetsDialog(checkin, prefs);
    }
};

void TestMainWindowData::targetsDialogStoresForDiaryDay()
{
    delete _window;
    auto* window = new TargetsWindow;
    _window = window;
    QVERIFY(_window->switchUser(_window, _ann));
    _window->diaryPage()->prevDayButton_clicked();
    const QByteArray day = _window->diaryPage()->getDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    UserDB* users = UserDB::instance();
    QVERIFY(users->setFluid(_ann, day.constData(), 5));
    DBTypes::CheckinItem weighing;
    weighing.userId = _ann;
    qstrcpy(weighing.date, day.constData());
    weighing.weight = 72.5f;
    weighing.hasWeight = true;
    QVERIFY(users->addCheckin(weighing, false));

    bool filled = false;
    QTimer::singleShot(0, _window, [this, &filled] {
        auto* dialog = _window->findChild<SetTargetsDialog*>();
        QVERIFY(dialog);
        dialog->targetEdit(DBTypes::ENERGY)->setText(QStringLiteral("1800"));
        dialog->targetEdit(DBTypes::FAT)->setText(QStringLiteral("60"));
        dialog->targetEdit(DBTypes::SODIUM)->clear();
        dialog->sizeBox(DBTypes::SODIUM)->setCurrentIndex(0);
        dialog->findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
        filled = true;
    });
    QSignalSpy announced(_window, &MainWindow::signalTargetUpdate);
    _window->setTargets();
    QVERIFY(filled);

    QCOMPARE(announced.size(), 1);
    const auto sent = announced.at(0).at(0).value<DBTypes::CheckinItem>();
    QCOMPARE(sent.target(DBTypes::ENERGY), 1800.0f);
    const DBTypes::CheckinItem stored = users->getCheckin(_ann, day.constData()).value();
    QCOMPARE(stored.target(DBTypes::ENERGY), 1800.0f);
    QCOMPARE(stored.target(DBTypes::FAT), 60.0f);
    QVERIFY(stored.noTarget(DBTypes::SODIUM));
    QCOMPARE(users->getUserPrefs(_ann).value().targetSize(DBTypes::SODIUM), DBTypes::UserPrefs::Large);
    // Targets set by hand are the user's own, which the wizard opens on.
    QVERIFY(stored.hasDietPlan());
    QCOMPARE(stored.dietPlan(), QStringLiteral(""));
    // The day's water and weight stay as they were.
    QCOMPARE(users->getFluid(_ann, day.constData()).value(), 5);
    bool exact = false;
    QCOMPARE(users->getWeight(_ann, day.constData(), &exact), 72.5f);
    QVERIFY(exact);

    // OK with nothing changed a day later stores nothing, so later changes still reach it.
    _window->diaryPage()->nextDayButton_clicked();
    const QByteArray next =
        _window->diaryPage()->getDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    QTimer::singleShot(0, _window, [this] {
        auto* dialog = _window->findChild<SetTargetsDialog*>();
        QVERIFY(dialog);
        dialog->findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
    });
    _window->setTargets();
    QCOMPARE(announced.size(), 1);
    QCOMPARE(users->getTarget(_ann, next.constData(), "target_calories", &exact), 1800.0f);
    QVERIFY(!exact);
}

void TestMainWindowData::switchingLoadsUserSettings()
{
    const int bob = addUser(QStringLiteral("Bob"));
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(bob).value();
    prefs.snackDisplay = DBTypes::SNACKS_NUMBERED;
    prefs.showNutrientAndFluid = true;
    prefs.energyUnits = 0; // kilojoules
    UserDB::instance()->setUserPrefs(bob, prefs);
    UserDB::instance()->saveColumnSettings(bob, QStringLiteral("0:"));
    UserDB::instance()->saveColumnSettings(_ann, QStringLiteral("0:"));
    const QTreeWidget* list = _window->diaryPage()->diaryView1->mealView;
    const int bobsFood = addCustomFood(bob, QStringLiteral("Bagel"));
    QVERIFY(_window->switchUser(_window, _ann));
    QCOMPARE(_window->previousUser(), _ann);
    QVERIFY(!treeHolds(FoodDBDynamic::instance(), bobsFood));

    QVERIFY(_window->switchUser(_window, bob));
    QVERIFY(treeHolds(FoodDBDynamic::instance(), bobsFood));
    QCOMPARE(_window->installedUnits.last(), prefs.measurementUnits);
    QVERIFY(_window->toggleViewModeB->isChecked());
    QVERIFY(_window->toggleFluidNutrientAction->isChecked());
    QCOMPARE(_window->diaryPage()->diaryView1->mealView->getColumnSettings(), QStringLiteral("0:"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Kilojoules"));
    QCOMPARE(_window->windowTitle(), BrandEngine::instance()->getString("app_name") + QStringLiteral(" - Bob "));
    QCOMPARE(_window->usersSubmenu()->actions().last()->text(), QStringLiteral("Bob"));
    QVERIFY(_window->usersSubmenu()->actions().last()->isChecked());

    // Leaving Bob keeps his columns; Ann gets hers back.
    QVERIFY(_window->switchUser(_window, _ann));
    QCOMPARE(UserDB::instance()->getColumnSettings(bob), QStringLiteral("0:"));
    QCOMPARE(_window->diaryPage()->diaryView1->mealView->getColumnSettings(),
             UserDB::instance()->getColumnSettings(_ann));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Calories"));
}

// Ann works in kilojoules, Bob in calories. A user made, shown after a switch or after a
// delete sees that user's own units, in the profile wizard as in the diary; a wizard that is
// cancelled leaves Ann's units in place.
void TestMainWindowData::eachUsersScreensShowThatUsersUnits_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("wizardEnergy");
    QTest::addColumn<QString>("diaryEnergy");
    QTest::newRow("create user") << "create" << "Calories" << "Calories";
    QTest::newRow("create user, cancelled") << "cancel" << "Calories" << "Kilojoules";
    QTest::newRow("switch to Bob") << "switch" << QString() << "Calories";
    QTest::newRow("delete Ann, Bob shown") << "delete" << QString() << "Calories";
}

void TestMainWindowData::eachUsersScreensShowThatUsersUnits()
{
    QFETCH(QString, step);
    QFETCH(QString, diaryEnergy);
    UserDB* users = UserDB::instance();
    DBTypes::UserPrefs kilojoules = users->getUserPrefs(_ann).value();
    kilojoules.energyUnits = 0;
    QVERIFY(users->setUserPrefs(_ann, kilojoules));
    const int bob = addUser(QStringLiteral("Bob"));
    DBTypes::UserPrefs calories = users->getUserPrefs(bob).value();
    calories.energyUnits = 1;
    QVERIFY(users->setUserPrefs(bob, calories));
    QVERIFY(_window->switchUser(_window, _ann));
    QCOMPARE(UnitCollection::instance()->get(UnitCollection::Energy)->printName(),
             QStringLiteral("Kilojoules"));

    QString wizardEnergy;
    _window->duringWizard = [&wizardEnergy] {
        wizardEnergy = UnitCollection::instance()->get(UnitCollection::Energy)->printName();
    };
    _window->wizardAccepts = step != QLatin1String("cancel");
    if (step == QLatin1String("create") || step == QLatin1String("cancel"))
        _window->fromProfileMenuCreateUser();
    else if (step == QLatin1String("switch"))
        _window->fromProfileMenuSwitchUser(bob);
    else
        _window->fromProfileMenuDeleteUser(_ann);
    QTEST(wizardEnergy, "wizardEnergy");
    QCOMPARE(UnitCollection::instance()->get(UnitCollection::Energy)->printName(), diaryEnergy);
    QCOMPARE(_window->diaryPage()->diaryView1->mealView->headerItem()->text(1), diaryEnergy);
}

// After Users > Conrad nothing of Alice's stays in the browser: her custom food selected in the
// Custom Foods tab is neither shown nor added, and the panel speaks Conrad's units.
void TestMainWindowData::switchingForgetsThePreviousUsersItems()
{
    CatalogueServices::install(); // the detail panel reads the selected food
    ScriptedPrompter prompter;
    const int alice = addUser(QStringLiteral("Alice"));
    const int conrad = addUser(QStringLiteral("Conrad"));
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(conrad).value();
    prefs.energyUnits = 0; // kilojoules
    QVERIFY(UserDB::instance()->setUserPrefs(conrad, prefs));
    const int creme = addCustomFood(alice, QStringLiteral("Crème brûlée maison"));
    DBTypes::FoodDiaryItem apple;
    apple.userId = alice;
    apple.setDate(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toStdString());
    apple.meal = DBTypes::DiaryDay::BREAKFAST;
    apple.refId = 0;
    apple.desc = QStringLiteral("Apple");
    QVERIFY(DiaryDB::instance()->addFoodEntry(apple, true) >= 0);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    QVERIFY(_window->switchUser(_window, alice));
    DiaryListView* diary = _window->diaryPage()->diaryView1->mealView;
    const auto appleRow = [diary] {
        const QList<QTreeWidgetItem*> rows = diary->findItems(QStringLiteral("Apple"), Qt::MatchRecursive | Qt::MatchContains);
        return rows.value(0);
    };
    QVERIFY(appleRow());
    diary->setCurrentItem(appleRow());
    FoodQueryWidget* browser = _window->diaryPage()->foodQueryWidget3;
    browser->categoryBar->setCurrentIndex(2); // Custom Foods
    browser->myfoodView->setCurrentItem(browser->myfoodView->locateFvi(creme, false, nullptr));
    QCOMPARE(browser->displayStack->currentIndex(), int(FoodQueryWidget::FoodPage));
    QVERIFY(browser->foodWidget->nameLabel->text().contains(QStringLiteral("Crème brûlée maison")));

    _window->usersSubmenu()->actions().last()->trigger(); // Conrad
    QCOMPARE(UserDB::instance()->getCurrentUser(), conrad);
    QCOMPARE(browser->displayStack->currentIndex(), int(FoodQueryWidget::NothingPage));
    QVERIFY(!browser->foodWidget->nameLabel->text().contains(QStringLiteral("Crème")));
    QVERIFY(!browser->foodWidget->addButton->isEnabled());
    for (const DragListView* list : {browser->foodView, browser->exerciseView, browser->myfoodView,
                                     browser->myexerciseView, browser->savedMealView})
        QVERIFY2(list->selectedItems().isEmpty(), qPrintable(list->objectName()));
    QVERIFY(!browser->myfoodView->locateFvi(creme, false, nullptr));
    QVERIFY(!appleRow());
    QVERIFY(diary->selectedItems().isEmpty());

    // Add is refused by the panel, and the diary refuses the food however it comes.
    browser->foodWidget->addToMeal(DBTypes::DiaryDay::BREAKFAST);
    DBTypes::FoodDiaryItem stale;
    stale.changeFood(creme);
    stale.meal = DBTypes::DiaryDay::BREAKFAST;
    _window->diaryPage()->diaryView1->mealView->addContextFood(stale);
    BXSqlQuery pointing("SELECT count(*) FROM food_diary WHERE user_id = ? AND ref_id = ?");
    pointing.bindValue(0, conrad);
    pointing.bindValue(1, creme);
    QVERIFY(pointing.exec() && pointing.next());
    QCOMPARE(pointing.value(0).toInt(), 0);

    // A shipped food now shows Conrad's kilojoules.
    browser->categoryBar->setCurrentIndex(0); // Foods
    browser->prettySearchEdit->lineEdit()->setText(QStringLiteral("butter salted"));
    browser->foodView->setCurrentItem(browser->foodView->locateFvi(1001, false, nullptr));
    QCOMPARE(browser->displayStack->currentIndex(), int(FoodQueryWidget::FoodPage));
    QVERIFY2(browser->foodWidget->caloriesLabel->text().endsWith(QStringLiteral(" kJ")),
             qPrintable(browser->foodWidget->caloriesLabel->text()));
}

// Alice shares a meal that holds her own food: she is warned first. Conrad's Add of the shared
// meal, through the browser's menu, is refused with the food named, and nothing is added.
void TestMainWindowData::sharedMealWithAPrivateFood()
{
    CatalogueServices::install();
    ScriptedPrompter prompter;
    const int alice = addUser(QStringLiteral("Alice"));
    const int conrad = addUser(QStringLiteral("Conrad"));
    DBTypes::FoodDiaryItem creme;
    creme.changeFood(addCustomFood(alice, QStringLiteral("Crème brûlée maison")));
    DBTypes::FoodDiaryItem tea;
    tea.desc = QStringLiteral("Tea");
    tea.refId = 0;
    const qint64 dessert = SavedMealDB::instance()->storeMeal(alice, -1, "Dessert", {tea, creme}, true);
    QVERIFY(dessert > 0);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    QVERIFY(_window->switchUser(_window, alice));
    DragListView* meals = _window->diaryPage()->foodQueryWidget3->savedMealView;
    meals->applyTerms(false);
    const auto shareDessert = [meals, dessert] {
        FoodViewItem* row = meals->locateFvi(dessert, false, nullptr);
        meals->setCurrentItem(row);
        meals->startDragRow();
        ItemDrag move(dessert, row->type);
        return meals->dropPayload(&move, meals, meals->locateFvi(1, true, nullptr));
    };
    prompter.answer(int(QMessageBox::No));
    QVERIFY(shareDessert());
    QVERIFY(prompter.lastText().contains(QStringLiteral("holds private foods (Crème brûlée maison)")));
    QCOMPARE(storedMealName(alice, dessert), QStringLiteral("Dessert"));
    prompter.answer(int(QMessageBox::Yes));
    QVERIFY(shareDessert());
    QVERIFY(storedMealName(alice, dessert).isEmpty());

    _window->usersSubmenu()->actions().last()->trigger(); // Conrad
    QCOMPARE(UserDB::instance()->getCurrentUser(), conrad);
    meals->applyTerms(false);
    prompter.answer(QStringLiteral("Add meal to breakfast"));
    prompter.answer(1.0);
    meals->showContextMenu(meals->locateFvi(dessert, false, nullptr), QPoint(), 0);
    QCOMPARE(prompter.lastText(),
             QStringLiteral("This meal holds \"Crème brûlée maison\", a food private to another user, "
                            "so the meal cannot be added to your diary and nothing was added. The "
                            "food's owner can move it to Shared Foods for every user."));
    BXSqlQuery entries("SELECT count(*) FROM food_diary WHERE user_id = ? AND date IS NOT NULL");
    entries.bindValue(0, conrad);
    QVERIFY(entries.exec() && entries.next());
    QCOMPARE(entries.value(0).toInt(), 0);
}

void TestMainWindowData::diaryItemsFollowTheDay()
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = _ann;
    entry.setDate(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toStdString());
    entry.meal = DBTypes::DiaryDay::BREAKFAST;
    entry.refId = 42;
    entry.servingId = 7;
    entry.desc = QStringLiteral("Apple");
    entry.servingDesc = QStringLiteral("cup");
    entry.size = 1.0f;
    entry.values.energy = 80.0f;
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
    QVERIFY(_window->switchUser(_window, _ann));
    DiaryListView* list = _window->diaryPage()->diaryView1->mealView;
    _window->show();
    QApplication::setActiveWindow(_window);
    QVERIFY(QTest::qWaitForWindowActive(_window));
    list->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
    // A month browsed in the pop-up calendar is no day change: the actions keep the day shown,
    // and the pop-up opens on it again.
    QPopupCalendar* popup = _window->diaryPage()->popupCalendar();
    popup->calendar()->findChild<QPushButton*>(QStringLiteral("prevMonthButton"))->click();
    QCoreApplication::sendPostedEvents(list, QEvent::MetaCall);
    _window->refreshEditMenu(1, 0);
    QVERIFY(_window->eM_DiarySavedNewFromBreakfast->isVisible());
    QVERIFY(!_window->eM_DiarySavedNewFromLunch->isVisible());
    QVERIFY(!_window->eM_DiarySavedNewFromNone->isVisible());
    QVERIFY(_window->eM_DiaryClearAll->isEnabled());
    popup->popup(QPoint());
    QCOMPARE(popup->calendar()->getDate(), Clock::today());
    popup->hide();

    const QByteArray today = Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    _window->answers = {QMessageBox::No};
    _window->slotClearDiary();
    QCOMPARE(_window->lastCaption(), QStringLiteral("Clear Today's Diary Entries"));
    QCOMPARE(DiaryDB::instance()->getDay(_ann, today.constData(), false).value().foods.size(), size_t(1));
    _window->slotClearDiary();
    QVERIFY(DiaryDB::instance()->getDay(_ann, today.constData(), false).value().foods.empty());
    QVERIFY(_window->eM_DiarySavedNewFromNone->isVisible());
}

// Rows clicked one after another: the tool bar's Edit and Delete are enabled whenever a row
// is selected, as the Edit menu's items are, and act on the row clicked last.
void TestMainWindowData::toolBarFollowsClicksInTheDiaryList()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QMap<QString, int> ids;
    for (const char* name : {"Butter", "Milk", "Apple"}) {
        DBTypes::FoodDiaryItem entry;
        entry.userId = _ann;
        entry.setDate(today.toStdString());
        entry.meal = DBTypes::DiaryDay::BREAKFAST;
        entry.refId = 42;
        entry.servingId = 7;
        entry.desc = QLatin1String(name);
        entry.servingDesc = QStringLiteral("cup");
        entry.size = 1.0f;
        ids[QLatin1String(name)] = DiaryDB::instance()->addFoodEntry(entry, true);
    }
    QVERIFY(_window->switchUser(_window, _ann));
    DiaryListView* list = _window->diaryPage()->diaryView1->mealView;
    _window->show();
    QApplication::setActiveWindow(_window);
    QVERIFY(QTest::qWaitForWindowActive(_window));
    const auto rowOf = [list](int id) -> QTreeWidgetItem* {
        for (QTreeWidgetItemIterator it(list); *it; ++it) {
            if (DiaryListView::rowId(*it) == id)
                return *it;
        }
        return nullptr;
    };
    for (const char* name : {"Butter", "Milk", "Butter", "Apple"}) {
        QTreeWidgetItem* row = rowOf(ids[QLatin1String(name)]);
        QVERIFY(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
        QVERIFY2(row->isSelected(), name);
        QVERIFY(_window->eM_DiaryEditEntry->isEnabled() && _window->eM_DiaryDeleteEntry->isEnabled());
        for (const QString& text : {QStringLiteral("Edit"), QStringLiteral("Delete")}) {
            const QToolButton* tool = shownTool(_window->mainToolBar(), text);
            QVERIFY2(tool && tool->isEnabled(), qPrintable(QStringLiteral("%1 after %2").arg(text, name)));
        }
    }
    shownTool(_window->mainToolBar(), QStringLiteral("Delete"))->click();
    QTRY_VERIFY(!rowOf(ids[QStringLiteral("Apple")]));
    QVERIFY(rowOf(ids[QStringLiteral("Butter")]) && rowOf(ids[QStringLiteral("Milk")]));
    DiaryDB::instance()->delDiaryEntries(_ann, QDate::currentDate(), 0);
}

// Start-up checks, publishing and metrics

void TestMainWindowData::updateCheckFollowsInterval_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<int>("checks");

    QTest::newRow("27 of 28 days") << 28 << 27 << 0;
    QTest::newRow("28 of 28 days") << 28 << 28 << 1;
    QTest::newRow("never") << -1 << 400 << 0;
}

void TestMainWindowData::eachStartShowsTheNextTip()
{
    TipOfTheDay::cleanUp();
    const QList<int> tips = TipOfTheDay::instance()->tipNumbers();
    QVERIFY(tips.size() >= 2);
    UserDB::instance()->setTipOfTheDay(_ann, 0);
    QList<int> shown;
    QTimer closer;
    closer.setInterval(0);
    connect(&closer, &QTimer::timeout, [&shown] {
        auto* tip = qobject_cast<TipOfTheDay*>(QApplication::activeModalWidget());
        if (tip && tip->isVisible()) {
            shown.append(tip->currentTip());
            tip->closeButton()->click();
        }
    });
    closer.start();
    for (int start = 0; start < 3; ++start) {
        TipOfTheDay::cleanUp();
        _window->appAboutToStart();
        QTRY_COMPARE(shown.size(), start + 1);
    }
    // A first start shows the first tip; every later one the tip after the one closed.
    QCOMPARE(shown, (QList<int>{tips.at(0), tips.at(1), tips.at(2)}));
    QCOMPARE(UserDB::instance()->getTipOfTheDay(_ann), tips.at(2));
}

void TestMainWindowData::updateCheckFollowsInterval()
{
    QFETCH(int, interval);
    QFETCH(int, daysAgo);
    UserDB::instance()->setTipOfTheDay(_ann, -1);
    // Days are counted by the calendar, so the start is fixed away from midnight.
    Clock::setNow(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
    const auto realClock = qScopeGuard([] { Clock::reset(); });
    const QDateTime last = Clock::now().addDays(-daysAgo).addSecs(-60);
    {
        BXSettings settings;
        settings.setInt(BXSettings::StaticDbUpdateInterval, interval);
        settings.setString(BXSettings::StaticDbLastUpdate, last.toString(Qt::ISODate));
    }
    _window->appAboutToStart();
    QTEST(_window->updateChecks, "checks");
    BXSettings settings;
    const QDateTime stored = QDateTime::fromString(settings.getString(BXSettings::StaticDbLastUpdate), Qt::ISODate);
    if (_window->updateChecks)
        QCOMPARE(stored, QDateTime::fromString(Clock::now().toString(Qt::ISODate), Qt::ISODate));
    else
        QCOMPARE(stored, QDateTime::fromString(last.toString(Qt::ISODate), Qt::ISODate));

    // A first run stores now and checks nothing.
    settings.setString(BXSettings::StaticDbLastUpdate, QString());
    settings.setInt(BXSettings::StaticDbUpdateInterval, 0);
    _window->updateChecks = 0;
    _window->appAboutToStart();
    QCOMPARE(_window->updateChecks, 1);
}

void TestMainWindowData::brandWithoutUpdatesNeverChecks()
{
    delete _window;
    _window = nullptr;
    BrandSwitches switches;
    switches.update = false;
    loadBrand(switches);
    _window = new ScriptedMainWindow;
    UserDB::instance()->setTipOfTheDay(_ann, -1);
    {
        BXSettings settings;
        settings.setInt(BXSettings::StaticDbUpdateInterval, 28);
        settings.setString(BXSettings::StaticDbLastUpdate,
                           QDateTime::currentDateTime().addDays(-100).toString(Qt::ISODate));
    }
    _window->appAboutToStart();
    QCOMPARE(_window->updateChecks, 0);
    delete _window;
    _window = nullptr;
    initTestCase();
}

void TestMainWindowData::publishingPromptAfterAWeek_data()
{
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<int>("prompts");

    QTest::newRow("6 days") << 6 << 0;
    QTest::newRow("7 days") << 7 << 1;
    QTest::newRow("never published") << -1 << 1;
}

void TestMainWindowData::publishingPromptAfterAWeek()
{
    QFETCH(int, daysAgo);
    BXSettings settings;
    if (daysAgo < 0)
        settings.removeEntry(QStringLiteral("LastSyncDate"));
    else
        settings.writeEntry(QStringLiteral("LastSyncDate"),
                            QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyyMMdd")));
    _window->publishDay();
    QCOMPARE(_window->publishes, 0);  // the publisher could not be prepared
    QCOMPARE(_window->prompts, 0);
    _window->publisherReady = true;
    _window->publishDay();
    QTEST(_window->prompts, "prompts");
    QCOMPARE(_window->publishes, 1);
}

void TestMainWindowData::discardedPublishingClearsChanges()
{
    BXSettings settings;
    settings.removeEntry(QStringLiteral("LastSyncDate"));
    _window->publisherReady = true;
    _window->promptAccepts = false;
    _window->publishDay();
    QCOMPARE(_window->publishes, 0);
    _window->promptAccepts = true;
    _window->promptDiscard = true;
    _window->publishDay();
    QCOMPARE(_window->publishes, 0);
    QCOMPARE(_window->promptsShown, 2);
}

void TestMainWindowData::closingAsksBeforePublishing_data()
{
    QTest::addColumn<bool>("publishing");
    QTest::newRow("publishing") << true;
    QTest::newRow("a brand without publishing reads nothing for it") << false;
}

void TestMainWindowData::closingAsksBeforePublishing()
{
    QFETCH(bool, publishing);
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(_ann).value();
    prefs.webUserName = QStringLiteral("ann");
    prefs.autoPublish = true;
    prefs.askBeforePublish = true;
    UserDB::instance()->setUserPrefs(_ann, prefs);
    _window->publisherReady = true;
    _window->answers = {QMessageBox::No};
    loadBrand(BrandSwitches{false, publishing});
    ScriptedPrompter prompter;
    // Without publishing, a diary held whole is never waited for nor asked about.
    std::optional<OtherReader> other;
    QVERIFY(publishing || other.emplace(databaseFile(), OtherReader::Exclusive).reading());
    QVERIFY(_window->close());
    other.reset();
    initTestCase();
    QCOMPARE(int(prompter.asked.size() + _window->messages.size()), publishing ? 1 : 0);
    if (!publishing)
        return;
    QCOMPARE(_window->lastText(), QStringLiteral("Do you want to publish new diary entries to the online diary now?"));
    QVERIFY(_window->lastCaption().endsWith(QStringLiteral(" Web Publish")));
    QCOMPARE(_window->publishes, 0);
    QVERIFY(!_window->diaryPage());
}

void TestMainWindowData::metricsGiveUpAfterThreeTries()
{
    _window->sendMetrics();
    QCOMPARE(_window->metricsStarts, 1);
    _window->metricsDone(true);
    QTRY_COMPARE_WITH_TIMEOUT(_window->metricsStarts, 2, 3000);
    _window->metricsDone(true);
    QTRY_COMPARE_WITH_TIMEOUT(_window->metricsStarts, 3, 3000);
    QVERIFY(_window->messages.isEmpty());
    _window->metricsDone(true);
    QCoreApplication::processEvents(); // told from the event loop
    QCOMPARE(_window->messages.size(), 1);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Cannot send metrics"));
    QCOMPARE(_window->lastText(),
             QStringLiteral("Please contact technical support with the following message\nError: offline"));
    QTest::qWait(50);
    QCOMPARE(_window->metricsStarts, 3);
}

// Instance messages

void TestMainWindowData::shutDownWaitsForStartUp()
{
    bool closedWhileWaiting = false;
    bool escaped = true;
    SyncDialog* shown = nullptr;
    QTimer::singleShot(0, _window, [&] {
        shown = _window->syncDialog();
        closedWhileWaiting = !BXSqlDb::isUp();
        QTest::keyClick(shown, Qt::Key_Escape);  // the wait cannot be escaped
        escaped = !shown->isVisible();
        _window->processMessage(QStringLiteral("Shut down!"));  // ignored while waiting
        _window->processMessage(QStringLiteral("Start up!"));
    });
    _window->processMessage(QStringLiteral("Shut down!"));
    QVERIFY(shown);
    QVERIFY(closedWhileWaiting);
    QVERIFY(!escaped);
    QVERIFY(!_window->syncDialog());
    QVERIFY(BXSqlDb::isUp());
    QCOMPARE(userNames(), QStringList{QStringLiteral("Ann")});
}

// Another program holds the diary as a user switch reads it: "Shut down!", heard while the
// switch asks to try again, waits until the switch has ended, and then takes its turn.
void TestMainWindowData::shutDownWaitsForUserSwitch()
{
    struct AskingPrompter : ScriptedPrompter
    {
        std::function<void()> during;
        int choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
                   const QStringList& buttons, int defaultIndex, int escapeIndex) override
        {
            if (during)
                std::exchange(during, nullptr)();
            return ScriptedPrompter::choice(parent, icon, caption, text, buttons, defaultIndex, escapeIndex);
        }
    };
    const int bob = addUser(QStringLiteral("Bob"));
    BXSqlDb::setBusyTimeout(100);
    std::optional<OtherReader> other(std::in_place, databaseFile(), OtherReader::Exclusive);
    QVERIFY(other->reading());
    bool inQuestion = false;
    bool waitedInQuestion = false;
    int waits = 0;
    QTimer sync;
    QObject::connect(&sync, &QTimer::timeout, _window, [&] {
        if (!_window->syncDialog())
            return;
        // A wait begun inside the question lets the other program go, so that it can end.
        if (inQuestion) {
            waitedInQuestion = true;
            other.reset();
        }
        ++waits;
        _window->processMessage(QStringLiteral("Start up!"));
    });
    sync.start(20);
    AskingPrompter prompter;
    prompter.answer(0);
    prompter.during = [&] {
        inQuestion = true;
        _window->processMessage(QStringLiteral("Shut down!"));
        inQuestion = false;
        other.reset();
    };
    const bool switched = _window->switchUser(_window, bob);
    BXSqlDb::setBusyTimeout(DefaultBusyTimeoutMs);
    QCOMPARE(prompter.lastCaption(), QStringLiteral("Diary in use"));
    QVERIFY(!waitedInQuestion);
    QVERIFY(switched);
    QCOMPARE(ShownDay::instance()->user(), bob);
    QTRY_COMPARE(waits, 1);
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::backupMessageSetsText()
{
    QString text;
    QWidget* parent = _window;
    QTimer::singleShot(0, _window, [&] {
        text = _window->syncDialog()->textLabel()->text();
        parent = _window->syncDialog()->parentWidget();
        _window->processMessage(QStringLiteral("Start up!"));
    });
    _window->processMessage(QStringLiteral("Start DB Backup"));
    QCOMPARE(text, QStringLiteral("Please wait. Backing up database"));
    QVERIFY(!parent);
    QVERIFY(BXSqlDb::isUp());
}

void TestMainWindowData::startUpWhileOpenOnlyRefreshes()
{
    int restarts = 0;
    _window->restart = [&restarts](QString*) { ++restarts; return true; };
    _window->processMessage(QStringLiteral("Start up!"));
    QCOMPARE(restarts, 0);
    QVERIFY(BXSqlDb::isUp());
    _window->processMessage(QStringLiteral("Some other message"));
    QVERIFY(_window->messages.isEmpty());
}

void TestMainWindowData::failedStartUpEndsProgram()
{
    BXSqlDb::cleanUp();
    _window->restart = [](QString* error) {
        *error = QStringLiteral("broken");
        return false;
    };
    _window->processMessage(QStringLiteral("Start up!"));
    QCOMPARE(_window->lastCaption(), QStringLiteral("Error after sync"));
    QCOMPARE(_window->lastText(), QStringLiteral("Cannot start application after sync: broken"));
    QCOMPARE(_window->quits, 1);
}

void TestMainWindowData::messagesWaitForCopy()
{
    const QString path = QDir::homePath() + QStringLiteral("/held.ptBackup");
    QVERIFY(writeFile(path, "x"));
    int restarts = 0;
    bool upDuringCopy = true;
    _window->restart = [&restarts](QString* error) {
        ++restarts;
        const StoreResult start = DiaryStart::startUp(true);
        const bool up = start.ok();
        *error = start.message();
        return up;
    };
    // The overwrite question runs inside the copy, with the database closed.
    _window->duringMessage = [&] {
        _window->processMessage(QStringLiteral("Start up!"));
        upDuringCopy = BXSqlDb::isUp();
    };
    _window->backupName = path;
    _window->backupUserDB();
    QVERIFY(!upDuringCopy);
    QCOMPARE(restarts, 1);
    QCOMPARE(_window->lastCaption(), QStringLiteral("Backup successful"));
    // The held message runs once the copy is over; the database is open by then.
    QTest::qWait(20);
    QCOMPARE(restarts, 1);
    QVERIFY(BXSqlDb::isUp());
}

QTEST_MAIN(TestMainWindowData)
#include "tst_mainwindowdata.moc"
