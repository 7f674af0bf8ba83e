// The program's entry point: one copy per login, the command line, the brand, then either
// the static-database update or the main window until its last window closes.

#include "widgets/bxtoolbar.h"
#include "widgets/macutil.h"
#include "widgets/progressbox.h"
#include "widgets/prompter.h"
#include "widgets/screenfit.h"
#include "widgets/storeprompt.h"
#include "app/importingdialog.h"
#include "app/mainwindow.h"
#include "app/programicon.h"
#include "app/qtsingleapplication.h"
#include "app/sessionend.h"
#include "app/startprogress.h"
#include "app/startwait.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/recipeproxydb.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "core/lockcheck.h"
#include "core/notificationcenter.h"
#include "core/regularfile.h"
#include "core/workingfile.h"
#include "core/unitcollection.h"
#include "net/mealplandownloader.h"
#include "net/staticdbupdater.h"
#include "net/staticdbupdaterui.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarylocation.h"
#include "userdb/diarystart.h"
#include "userdb/fileclaim.h"
#include "userdb/filecopy.h"
#include "userdb/diaryrestore.h"
#include "userdb/previousdataimport.h"
#include "userdb/restorestaging.h"
#include "userdb/storeaction.h"
#include "userdb/storeresult.h"
#include "userdb/storetransaction.h"
#include "userdb/userdb.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace {

// What a later start sends to the running copy.
const char* const WakeUp = "Wake up!";
constexpr int WakeUpTimeoutMs = 5000;

struct Options
{
    bool updateDb = false;
    // The folder given with -resourcedir; empty when none was.
    QString resourceDir;
    // Why the command line was refused; empty when it was read.
    QString error;
};

QString tr(const char* text)
{
    return QCoreApplication::translate("Pantrel", text);
}

// A box that nobody could or would answer (no application object, the offscreen platform, a
// program asked to terminate) is written to standard error instead of being shown.
bool canShowBoxes()
{
    return !SessionEnd::requested() && qobject_cast<QApplication*>(QCoreApplication::instance())
           && QGuiApplication::platformName() != QLatin1String("offscreen")
           && QGuiApplication::platformName() != QLatin1String("minimal");
}

// A long report (`details`) is shown on request below the text, so the box fits the screen.
void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
             const QString& buttonText = QString(), const QString& details = QString())
{
    if (!canShowBoxes()) {
        std::fprintf(stderr, "%s: %s\n%s\n", qPrintable(caption), qPrintable(text),
                     qPrintable(details));
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::NoButton);
    box.setDetailedText(details);
    if (buttonText.isEmpty())
        box.setDefaultButton(box.addButton(QMessageBox::Ok));
    else
        box.setDefaultButton(box.addButton(buttonText, QMessageBox::AcceptRole));
    box.exec();
}

// The exit code of a refused command line.
constexpr int UsageExitCode = 2;

// Help needs neither a display nor the running copy, so it is looked for in the raw arguments.
bool helpAsked(int argc, char** argv)
{
    return std::any_of(argv + 1, argv + argc, [](const char* argument) {
        return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
    });
}

void printUsage(std::FILE* stream)
{
    std::fputs("Usage: pantrel [-updatedb] [-resourcedir FOLDER/]\n"
               "  -updatedb             update the food and exercise database, then exit\n"
               "  -resourcedir FOLDER/  read the program's files from FOLDER (ending with /)\n"
               "  -h, --help            show this help and exit\n",
               stream);
}

int refuseCommandLine(const QString& error)
{
    std::fprintf(stderr, "%s\n", qPrintable(error));
    printUsage(stderr);
    return UsageExitCode;
}

// Reads the arguments left once Qt has taken out its own options.
Options readCommandLine(const QStringList& arguments)
{
    Options options;
    bool resourceDirGiven = false;
    for (qsizetype i = 1; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("-updatedb")) {
            options.updateDb = true;
        } else if (argument != QLatin1String("-resourcedir")) {
            options.error = tr("Unknown argument: %1").arg(argument);
        } else if (i + 1 >= arguments.size()) {
            options.error = tr("-resourcedir must be followed by a directory path");
        } else if (resourceDirGiven) {
            options.error = tr("-resourcedir may be given only once");
        } else if (!QFileInfo(arguments.at(i + 1)).isDir()) {
            options.error = tr("-resourcedir: there is no folder %1").arg(arguments.at(i + 1));
        } else {
            resourceDirGiven = true;
            options.resourceDir = arguments.at(++i);
        }
    }
    return options;
}

// The options that the toolkit takes out of the command line as it makes the application, and
// whether each is followed by a value; a leading "--" counts as "-".
bool toolkitOption(QString argument, bool* takesValue)
{
    static const QStringList withValue{
        QStringLiteral("-platform"), QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"), QStringLiteral("-plugin"),
        QStringLiteral("-qwindowgeometry"), QStringLiteral("-geometry"),
        QStringLiteral("-qwindowtitle"), QStringLiteral("-title"),
        QStringLiteral("-qwindowicon"), QStringLiteral("-icon"), QStringLiteral("-session"),
        QStringLiteral("-display"), QStringLiteral("-name"), QStringLiteral("-style"),
        QStringLiteral("-stylesheet"), QStringLiteral("-qmljsdebugger")};
    static const QStringList flags{QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                   QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                   QStringLiteral("-sync"), QStringLiteral("-testability")};
    if (argument.startsWith(QLatin1String("--")))
        argument.remove(0, 1);
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    *takesValue = !argument.contains(QLatin1Char('=')) && withValue.contains(name);
    return withValue.contains(name) || flags.contains(argument);
}

// The raw command line without the toolkit's own options: it is checked before the
// application is made, because making one needs a display, and a mistyped argument is refused
// without one.
QStringList ownArguments(int argc, char** argv)
{
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        bool takesValue = false;
        if (!toolkitOption(argument, &takesValue))
            arguments << argument;
        else if (takesValue)
            ++i;
    }
    return arguments;
}

// Without its brand the program has no name, folders, settings or switches: a brand archive
// that is missing, damaged or incomplete ends the start, naming the file, before anything is
// made.
bool importBrand()
{
    const QString path = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
    BrandEngine* brand = BrandEngine::instance();
    QString reason;
    if (brand->import(QFile::encodeName(path).constData(), &reason)
        && brand->servesTheProgram(&reason))
        return true;
    const QString file = QDir::toNativeSeparators(path);
    showBox(QMessageBox::Critical, tr("Cannot start"),
            QFileInfo::exists(path)
                ? tr("%1 cannot be used. %2 Install the program again, or give the folder that "
                     "holds its files with -resourcedir.")
                      .arg(file, reason)
                : tr("Cannot find %1. Install the program again, or give the folder that holds "
                     "its files with -resourcedir.")
                      .arg(file));
    return false;
}

bool brandSwitch(const char* id)
{
    BrandEngine* brand = BrandEngine::instance();
    return brand->idExists(id) && brand->getBool(id);
}

// Data and settings of earlier versions move to the current folders before anything reads them;
// Qt's own settings are then kept beside the program's.
bool moveOldFolders()
{
    QString error;
    if (BXSettings::moveOldFolders(&error)) {
        BXSettings::keepPrivate();
        if (const std::optional<QString> problem = BXSettings::settingsProblem())
            showBox(QMessageBox::Warning, tr("Settings"), *problem);
        return true;
    }
    showBox(QMessageBox::Critical, tr("Cannot start"), error);
    return false;
}

// Set when a start found the copy that holds the user data through the channel it recorded,
// and handed over to it.
bool s_handedOver = false;
// Set when the user chose to end the start in one of its boxes.
bool s_userQuit = false;

// The exit code of a start that ends before its window runs: 0 when it handed over or the user
// quit, 1 when it failed.
int endedStart()
{
    return s_handedOver || s_userQuit ? 0 : 1;
}

// Asks a question of the start whose button `quit` ends it, which Escape and the close button
// answer too. The user's Quit is no failure: the start then ends with 0.
int askAtStart(Prompter* prompter, QMessageBox::Icon icon, const QString& caption, const QString& text,
               const QStringList& buttons, int defaultIndex, int quit)
{
    const int answer = prompter->choice(nullptr, icon, caption, text, buttons, defaultIndex, quit);
    s_userQuit = answer == quit;
    return answer;
}

// A diary that is a link to a file that is gone is never replaced by an empty one unasked: the
// user may have a new diary made where the link points, or the start ends.
bool findLinkedDiary(Prompter* prompter, const QString& diary)
{
    const QFileInfo link(diary);
    if (!link.isSymLink() || link.exists())
        return true;
    const QString target = WorkingFile::fileBehind(diary);
    const QString missing =
        tr("Your diary %1 is a link to %2, which cannot be found. The file may be on a disk that "
           "is not connected, or it may have been moved or renamed.")
            .arg(QDir::toNativeSeparators(diary), QDir::toNativeSeparators(target));
    const QString told = missing + tr("\nMake the file available and start the program again.");
    if (!prompter) {
        showBox(QMessageBox::Critical, tr("Cannot start"), told);
        return false;
    }
    // Where the folder is gone too, no diary can be made in the file's place.
    if (!QFileInfo(target).absoluteDir().exists()) {
        prompter->message(nullptr, QMessageBox::Critical, tr("Cannot start"), told, QMessageBox::Ok,
                          QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    const QString question = missing + tr("\n\nQuit, make the file available and start the "
                                          "program again, or start a new, empty diary in its place?");
    return askAtStart(prompter, QMessageBox::Warning, tr("Diary not found"), question,
                      {tr("Quit"), tr("Start a New Diary")}, 0, 0)
        == 1;
}

// A stored user database folder without its diary (a disk not connected, a folder moved or
// renamed) is never filled with an empty diary: the user may take the default folder instead,
// or the start ends. Without a prompter (nobody could answer) the start ends.
bool findUserData(Prompter* prompter)
{
    const QString stored = BXSettings::storedUserDBPath();
    const QString diary = (stored.isEmpty() ? BXSettings::getDirData() : stored + QLatin1Char('/'))
                          + QLatin1String(DiaryLocation::FileName);
    if (stored.isEmpty() || QFileInfo::exists(diary) || QFileInfo(diary).isSymLink())
        return findLinkedDiary(prompter, diary);
    const QString folder = QDir::toNativeSeparators(stored);
    if (!prompter) {
        showBox(QMessageBox::Critical, tr("Cannot start"),
                tr("Your diary cannot be found in the folder %1, where it is kept. The folder may "
                   "be on a disk that is not connected, or it may have been moved or renamed.\n"
                   "Make the folder available and start the program again.")
                    .arg(folder));
        return false;
    }
    const QString question =
        tr("Your diary cannot be found in the folder %1, where it is kept. The folder may be on a "
           "disk that is not connected, or it may have been moved or renamed.\n\nQuit, make the "
           "folder available and start the program again, or keep your diary in the default "
           "folder %2 from now on?")
            .arg(folder, QDir::toNativeSeparators(BXSettings::getDirData()));
    const int answer = askAtStart(prompter, QMessageBox::Warning, tr("Diary folder not found"),
                                  question, {tr("Quit"), tr("Use the Default Folder")}, 0, 0);
    if (answer != 1)
        return false;
    BXSettings::forgetUserDBPath();
    return findLinkedDiary(prompter, BXSettings::getDirData() + QLatin1String(DiaryLocation::FileName));
}

// Why nothing can be written into the user data folder (a full disk, no permission, no
// folder), in the system's words.
QString writeFailure()
{
    QFile probe(BXSettings::userDataLockProbe());
    // Made afresh: opening a pipe left in its place would wait for a reader for ever.
    probe.remove();
    const bool written = probe.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
                         && probe.write("0", 1) == 1;
    const QString reason = written ? tr("the lock file cannot be made") : probe.errorString();
    probe.remove();
    return reason;
}

// What a start finds of the copy that holds the user data: one that its own environment puts
// the channel elsewhere for (another runtime folder) is woken through the channel it recorded,
// and the start ends (s_handedOver), or, updating, says that the update is left to that copy;
// one that does not respond there either is told.
std::string anotherCopy(const QString& folder, bool updating)
{
    auto* app = qobject_cast<QtSingleApplication*>(QCoreApplication::instance());
    const QString channel = app ? app->recordedChannel(BXSettings::userDataChannel()) : QString();
    if (channel.isEmpty() || channel == QtSingleApplication::serverName(app->id()))
        return tr("Another copy of this program is using the user data in %1 and does not "
                  "respond. Close it and start the program again.")
            .arg(folder).toStdString();
    if (app->sendMessageTo(channel, QLatin1String(WakeUp), WakeUpTimeoutMs)) {
        s_handedOver = !updating;
        return updating ? tr("The databases were not updated, because another copy of this program "
                             "is running. Update them from that copy, or close it and try again.")
                              .toStdString()
                        : std::string();
    }
    return tr("Another copy of this program is using the user data in %1 and does not respond "
              "on its channel %2. Close it and start the program again.")
        .arg(folder, channel).toStdString();
}

// Keeps a second copy, one that found the running copy unresponsive, away from the user data.
// A copy found through the channel it recorded is woken instead (see anotherCopy()).
std::unique_ptr<QLockFile> lockUserData(std::string& error, bool updating)
{
    const QString folder = BXSettings::getUserDBPath();
    // A folder too deep for the diary is named before anything is made in it.
    const QString diary = folder + QLatin1String(DiaryLocation::FileName);
    if (const std::optional<QString> tooDeep = FileClaim::journalProblem(diary)) {
        error = tooDeep->toStdString();
        return nullptr;
    }
    orvCreateDirectory(folder);
    const QString path = BXSettings::userDataLock();
    if (const auto unusable = RegularFile::firstProblem(RegularFile::lockFiles(path))) {
        error = tr("The lock %1 of the user data cannot be used: %2. Remove it and start the "
                   "program again.")
                    .arg(QDir::toNativeSeparators(unusable->first), unusable->second).toStdString();
        return nullptr;
    }
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    bool locked = lock->tryLock(0);
    // A lock left by a copy that ended, which Qt could not remove (a read-only one, say), goes
    // here when it can; one that cannot go is never taken for a running copy.
    std::optional<QString> unremovable;
    if (!locked && lock->error() == QLockFile::LockFailedError) {
        unremovable = LockCheck::leftLockProblem(*lock, path);
        locked = !unremovable && lock->tryLock(0);
    }
    if (locked) {
        // A start from another environment finds this copy's channel here.
        auto* app = qobject_cast<QtSingleApplication*>(QCoreApplication::instance());
        if (app && !app->recordChannel(BXSettings::userDataChannel()))
            qWarning("The place of the channel cannot be recorded beside the lock %s", qPrintable(path));
        // Only now, as the one copy running, are the working files a killed run left removed.
        if (const std::optional<QString> kept = WorkingFile::keepLedger(folder + QStringLiteral("working-files")))
            showBox(QMessageBox::Warning, tr("Unfinished files"), *kept);
        return lock;
    }
    if (unremovable) {
        error = tr("The lock %1 was left by a copy of this program that has ended, and it "
                   "cannot be removed: %2. Remove it and start the program again.")
                    .arg(QDir::toNativeSeparators(path), *unremovable).toStdString();
    } else if (lock->error() == QLockFile::LockFailedError) {
        error = anotherCopy(folder, updating);
    } else {
        error = tr("The user data folder %1 cannot be written: %2.")
                    .arg(folder, writeFailure()).toStdString();
    }
    return nullptr;
}

// Asks whether to try again while another program holds the diary: true for Retry, false for
// Quit, which the user may have chosen already in the window of the wait.
bool retryWhileInUse(Prompter* prompter, const QString& inUse)
{
    if (StartWait::quitChosen()) {
        s_userQuit = true;
        return false;
    }
    return askAtStart(prompter, QMessageBox::Warning, tr("Diary in use"), inUse, {tr("Retry"), tr("Quit")}, 0, 1)
        == 0;
}

// Asks for the backup to restore in place of a damaged diary; null when none was chosen.
std::function<QString()> s_chooseBackup = [] {
    return QFileDialog::getOpenFileName(nullptr, tr("Restore a Backup"),
                                        BXSettings::backupFolder(), tr("All files (*)"));
};

// Puts a proven copy of the backup `path` in place of the damaged diary (closed), which is
// kept beside it for rescue; false with the reason. The next start of the diary opens it. The
// copies and the checks run under a progress that Cancel, Escape or its close button stops.
bool installBackup(const QString& path, QString* reason)
{
    *reason = MainWindow::checkBackupFile(path);
    if (!reason->isNull())
        return false;
    const QString kept = DiaryLocation::path() + QStringLiteral(".damaged-")
                         + Clock::now().toString(QStringLiteral("yyMMdd-hhmmss"));
    ProgressBox progress(nullptr, tr("Restore a Backup"), tr("Restoring your data..."));
    if (!FileCopy::copy(DiaryLocation::path(), kept, reason, {}, nullptr, &progress))
        return false;
    const StoreResult installed = DiaryRestore::install(path, &progress);
    if (installed)
        return true;
    QFile::remove(kept);
    *reason = installed.message();
    return false;
}

// Offers to restore a backup in place of a damaged diary (closed): true once one took its
// place, false when the user quits. A backup that cannot be used is told, and asked again.
bool restoreInPlace(Prompter* prompter, const QString& damage)
{
    QString text = damage;
    for (;;) {
        const int answer = askAtStart(
            prompter, QMessageBox::Critical, tr("Diary damaged"),
            text + tr("\n\nRestore a backup in its place now? The damaged diary is kept beside it."),
            {tr("Restore a Backup..."), tr("Quit")}, 0, 1);
        if (answer != 0)
            return false;
        const QString backup = s_chooseBackup();
        // No backup chosen is the user's Quit too.
        s_userQuit = backup.isEmpty();
        QString reason;
        if (backup.isEmpty() || installBackup(backup, &reason))
            return !backup.isEmpty();
        text = tr("The backup %1 cannot be restored:\n%2\n\n%3")
                   .arg(QDir::toNativeSeparators(backup), StoreResult::splitDetails(reason, &reason), damage);
    }
}

// Opens the user database. A diary that another program holds is never taken for a damaged
// one: the user may try again or quit (then `error` is empty). A damaged one may be replaced
// by a backup, which stays once it has opened. Without a prompter (nobody could answer) the
// start ends. A wait for another program shows what it waits for.
bool openDiary(Prompter* prompter, std::string& error, bool restored = false)
{
    const StartWait waiting(DiaryLocation::path());
    if (prompter)
        PreviousDataImport::setQuestion([prompter](PreviousDataImport::Found found, const QString& path) {
            return ImportingDialog::ask(prompter, found, path);
        });
    bool started = false;
    std::string ending;
    for (;;) {
        // The start's checks of the diary (the data a restore kept beside it, before it goes
        // back; an older diary's upgrade) show their progress; so does the data as it was going
        // back once the backup restored here has not opened.
        StartProgress checks(restored ? tr("Restore a Backup") : tr("Open Diary"),
                             restored ? tr("Putting your data back as it was...")
                                      : tr("Checking your diary..."));
        const StoreResult start = DiaryStart::startUp(true, &checks);
        started = start.ok();
        error = start.message().toStdString();
        if (std::exchange(restored, false)) {
            const StoreResult end = DiaryRestore::end(started, &checks);
            ending = end.message().toStdString();
            if (!end) {
                error = ending;
                started = false;
                break;
            }
        }
        if (started)
            break;
        BXSqlDb::cleanUp();
        if (start.kind() == StoreResult::Kind::Damaged && prompter) {
            // The way out offered here stands for the one that the message names.
            restored = restoreInPlace(prompter, QString::fromStdString(error).section(QStringLiteral("\n\n"), 0, 0));
            if (!restored) {
                error.clear();
                break;
            }
        } else if (start.kind() != StoreResult::Kind::Busy || !prompter) {
            break;
        } else if (!retryWhileInUse(prompter, QString::fromStdString(error))) {
            error.clear();
            break;
        }
    }
    PreviousDataImport::setQuestion({});
    const QString undone = RestoreStaging::takeUndone();
    if (started && !undone.isEmpty())
        showBox(QMessageBox::Warning, tr("Restore not finished"), undone);
    else if (started && !ending.empty())
        showBox(QMessageBox::Warning, tr("Restore"), QString::fromStdString(ending));
    return started;
}

bool updatesSupported()
{
    return brandSwitch("update_enabled") && BrandEngine::instance()->idExists("update_rss_url");
}

void tellUpdatesUnsupported()
{
    showBox(QMessageBox::Information, tr("Database Update"),
            tr("Sorry, this product does not support database updates."));
}

// Ends with 1 when the databases could not be updated: the user data is held, the diary does
// not open, or a step of the update failed (each told to the user); with 0 when the user quit
// in a box of the start.
int runUpdateMode()
{
    if (updatesSupported()) {
        std::string error;
        const std::unique_ptr<QLockFile> lock = lockUserData(error, true);
        if (!lock) {
            showBox(QMessageBox::Critical, tr("Database Update"),
                    QString::fromStdString(error));
            return 1;
        }
        if (!openDiary(canShowBoxes() ? Prompter::instance() : nullptr, error)) {
            if (!error.empty())
                showBox(QMessageBox::Critical, tr("Database Update"), QString::fromStdString(error));
            return endedStart();
        }
        CatalogueServices::install();
        bool updated = false;
        {
            StaticDbUpdaterUI updater(nullptr);
            updated = updater.doUpdate(false);
        }
        StaticDbUpdater::cleanUp();
        BXSqlDb::cleanUp();
        return updated ? 0 : 1;
    }
    tellUpdatesUnsupported();
    return 0;
}

void setThemeFonts()
{
    const QFont small = MacUtil::getThemeFont(MacUtil::SmallSystemFont);
    QApplication::setFont(small);
    for (const char* className : {"QTreeWidget", "QListWidget", "QLabel"})
        QApplication::setFont(small, className);
    QApplication::setFont(MacUtil::getThemeFont(MacUtil::PushButtonFont), "QPushButton");
    QApplication::setFont(MacUtil::getThemeFont(MacUtil::MiniSystemFont), "QHeaderView");
}

// The shipped food and exercise catalogue (a folder given with -resourcedir may hold a damaged
// one); false with the reason.
bool catalogueIsReadable(std::string& error)
{
    bool failed = false;
    const StaticDB* foods = FoodDBStatic::instance(&failed);
    if (failed) {
        error = foods->errorMessage();
        return false;
    }
    const StaticDB* exercises = ExDBStatic::instance(&failed);
    error = exercises->errorMessage();
    return !failed;
}

// A backup cut short in a folder that a user backed up to is never taken for a whole one. Only
// the copy that holds the user data's lock removes them: another copy's backup may be under way.
void removeCutShortBackups()
{
    for (const QString& folder : {BXSettings::backupFolder(), BXSettings::defaultBackupDir()})
        FileCopy::removeWorkingCopies(folder, QStringLiteral("*.ptBackup"));
    const std::optional<QStringList> folders = UserDB::instance()->getBackupPaths();
    if (!folders) {
        qWarning("The backup folders could not be read; backups cut short are left for the next start");
        return;
    }
    for (const QString& folder : *folders)
        FileCopy::removeWorkingCopies(folder, QStringLiteral("*.ptBackup"));
}

// Opens the user database and its store, and connects the catalogues to the diary entries
// and to user deletion.
bool startUserDatabase(std::unique_ptr<QLockFile>& lock, Prompter* prompter)
{
    s_userQuit = false;
    std::string error;
    lock = lockUserData(error, false);
    if (lock && openDiary(prompter, error)) {
        UserDB::instance();
        removeCutShortBackups();
        StaticDbUpdater::removeLeftovers();
        CatalogueServices::install();
        if (catalogueIsReadable(error))
            return true;
    }
    if (error.empty())
        return false;
    QString details;
    const QString reason = StoreResult::splitDetails(QString::fromStdString(error), &details);
    showBox(QMessageBox::Critical, tr("Database initialization error"),
            tr("An error occurred while initializing databases:\n\n%1\n\n"
               "The program will now exit")
                .arg(reason),
            QString(), details);
    return false;
}

// The users of the diary, read once the diary can be read; nothing when the user quits or they
// could not be read, told why. Users of a diary that could not be read are none, with `unread`
// saying why, so that the window opens from which a backup can be restored.
std::optional<QList<DBTypes::UserProfile>> readUsers(Prompter* prompter, QString* unread)
{
    const StartWait waiting(DiaryLocation::path());
    for (;;) {
        std::optional<QList<DBTypes::UserProfile>> users;
        StoreResult outcome;
        {
            const StoreAction action(StoreAction::Kind::Read);
            if (action.outcome().ok())
                users = UserDB::instance()->getUsersList();
            outcome = action.outcome();
        }
        if (users && outcome.ok())
            return users;
        const QString why =
            outcome.kind() == StoreResult::Kind::Damaged
                ? tr("The users of your diary could not be read: the diary is damaged (%1).").arg(outcome.message())
                : tr("The users of your diary could not be read. %1").arg(outcome.readText());
        if (!prompter) {
            showBox(QMessageBox::Critical, tr("Cannot start"), why);
            return std::nullopt;
        }
        if (!outcome.busy()) {
            *unread = why;
            return QList<DBTypes::UserProfile>();
        }
        if (!retryWhileInUse(prompter, why))
            return std::nullopt;
    }
}

// Makes sure a user exists and shows the first one; otherwise the exit code of the start: 1
// when the users cannot be read for another program and nobody is asked, 0 when the user quit
// there or cancelled the first profile. Users or a page of the user's diary that a damaged diary keeps from being read
// are told: the window opens all the same, on no user and no day, so that a backup can be
// restored from it.
std::optional<int> pickFirstUser(MainWindow* window, Prompter* prompter)
{
    QString unread;
    const std::optional<QList<DBTypes::UserProfile>> users = readUsers(prompter, &unread);
    if (!users)
        return endedStart();
    if (!unread.isEmpty()) {
        const QString restore = MainWindow::restoreHint();
        prompter->choice(nullptr, QMessageBox::Warning, tr("Diary not read"),
                         (unread + QStringLiteral("\n\n") + restore).trimmed(), {tr("OK")}, 0, 0);
        window->showNoUser({}, (unread + QLatin1Char(' ') + restore).trimmed());
        return std::nullopt;
    }
    if (window->showFirstUser(*users))
        return std::nullopt;
    showBox(QMessageBox::Warning, tr("User creation canceled."),
            tr("You must finish the profile before you can use this program."),
            tr("Quit"));
    return 0;
}

// The start's own change, the count of starts, is made only while this program holds the
// diary whole, so that it is stored rather than lost: it waits for another program once, then
// says the diary is in use, with Retry and Quit. False when the user quits or nobody can be
// asked. A count the store refused for another reason is told, and the start goes on.
bool countStart(Prompter* prompter)
{
    const StartWait waiting(DiaryLocation::path());
    for (;;) {
        QString inUse;
        StoreResult outcome;
        {
            const StoreAction action(StoreAction::Kind::Change);
            if (StoreTransaction change(&inUse); change)
                change.end(UserDB::instance()->incrementLogin() >= 0);
            outcome = action.outcome();
        }
        if (inUse.isEmpty()) {
            if (!outcome.ok())
                showBox(QMessageBox::Warning, tr("Change not saved"), outcome.changeText());
            return true;
        }
        if (!prompter) {
            showBox(QMessageBox::Critical, tr("Diary in use"), inUse);
            return false;
        }
        if (!retryWhileInUse(prompter, inUse))
            return false;
    }
}

int runMainWindow(QtSingleApplication& app, QPointer<MainWindow>& window, Prompter* prompter)
{
    window = new MainWindow();
    app.setMainWidget(window);
    QObject::connect(&app, &QtSingleApplication::messageReceived, window,
                     &MainWindow::processMessage);
    if (const std::optional<int> ended = pickFirstUser(window, prompter))
        return *ended;
    // Like a diary held at the opening, one held at the count ends the start.
    if (brandSwitch("metrics_enabled") && !countStart(prompter))
        return endedStart();
    window->show();
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, &QCoreApplication::quit);
    NotificationCenter::notify("app_about_to_start");
    // The window may already be closed, from a dialog that the notification opened.
    if (!window || !window->isVisible())
        return 0;
    return SessionEnd::exec();
}

int runApplication(QtSingleApplication& app, QPointer<MainWindow>& window,
                   std::unique_ptr<QLockFile>& lock)
{
    setThemeFonts();
    QApplication::setDesktopSettingsAware(false);
    MacUtil::fixApplicationPaletteInactive(true);
    Prompter* prompter = canShowBoxes() ? Prompter::instance() : nullptr;
    if (!startUserDatabase(lock, prompter))
        return endedStart();
    return runMainWindow(app, window, prompter);
}

// Releases the shared services in order: the user database first, so that nothing torn down
// later can reach it; the main window before the catalogues that its pages show, and before
// the brand, so that its geometry is written under the brand's settings prefix.
void shutDown(QPointer<MainWindow>& window)
{
    BXSqlDb::cleanUp();
    if (RecipeProxyDB::instance(false))
        RecipeProxyDB::cleanUp();
    StaticDbUpdater::cleanUp();
    MealPlanDownloader::cleanUp();
    delete window;
    CatalogueServices::cleanUp();
    UserDB::cleanUp();
    UnitCollection::cleanUp();
    BrandEngine::cleanUp();
}

// A copy that handed over to the running one ends quietly, unless it was to update the
// databases, which it leaves undone and says why; one that can neither hand over nor open the
// channel says why instead of running where no later start could reach it.
int refuseWithoutChannel(const QtSingleApplication& app, QtSingleApplication::Start start,
                         const Options& options)
{
    if (start == QtSingleApplication::Start::HandedOver) {
        if (!options.updateDb)
            return 0;
        if (!updatesSupported()) {
            tellUpdatesUnsupported();
            return 0;
        }
        showBox(QMessageBox::Warning, tr("Database Update"),
                tr("The databases were not updated, because another copy of this program is "
                   "running. Update them from that copy, or close it and try again."));
        return 1;
    }
    // Without a reason the wait was cut short by the end of the session: there is nothing to tell.
    if (!app.channelError().isEmpty())
        showBox(QMessageBox::Critical, tr("Cannot start"), app.channelError());
    return 1;
}

}  // namespace

// Debug messages and warnings are dropped; a critical message is written to standard error.
// A fatal one, which only Qt itself still sends, is written there too and shown in a "Fatal
// Error" box when one can be shown; Qt ends the program once the handler returns.
void myMessageOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg && type != QtCriticalMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::fflush(stderr);
    if (type == QtCriticalMsg)
        return;
    if (canShowBoxes()) {
        QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("main", "Fatal Error"), message,
                        QMessageBox::Ok);
        box.exec();
    }
}

namespace {

// Everything the start does once the application object is made, up to the end of the run.
int runStart(QtSingleApplication& app, QPointer<MainWindow>& window,
             std::unique_ptr<QLockFile>& lock)
{
    // Every box and window of the start and the run lies whole on the screen.
    ScreenFit::install();
    // A mistyped argument is refused even while another copy runs, rather than waking it.
    const Options options = readCommandLine(QApplication::arguments());
    if (!options.error.isEmpty())
        return refuseCommandLine(options.error);
    if (!options.resourceDir.isEmpty())
        BXSettings::setResourceDBPath(options.resourceDir);
    qInstallMessageHandler(myMessageOutput);
    // A brand that cannot serve ends the start before the channel or any file is made.
    if (!importBrand())
        return 1;
    const QtSingleApplication::Start start =
        app.handOverOrRun(QLatin1String(WakeUp), WakeUpTimeoutMs);
    if (start != QtSingleApplication::Start::Running)
        return refuseWithoutChannel(app, start, options);
    // From the first box of the start on, a later start brings whatever is shown to the user.
    QObject::connect(&app, &QtSingleApplication::messageReceived, &app, [&app](const QString& message) {
        if (message == QLatin1String(WakeUp))
            app.activateMainWidget();
    });
    QApplication::setWindowIcon(ProgramIcon::load());
    const bool found = moveOldFolders()
                       && findUserData(canShowBoxes() ? Prompter::instance() : nullptr);
    const int result = found ? (options.updateDb ? runUpdateMode() : runApplication(app, window, lock))
                             : endedStart();
    shutDown(window);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    // Every file and folder that the program and Qt make is the user's alone.
    ::umask(077);
    BXSettings::ignoreRelativeFolders();
    int result = 0;
    QPointer<MainWindow> window;
    std::unique_ptr<QLockFile> lock;
    if (helpAsked(argc, argv)) {
        printUsage(stdout);
        return 0;
    }
    if (const Options raw = readCommandLine(ownArguments(argc, argv)); !raw.error.isEmpty())
        return refuseCommandLine(raw.error);
    {
        QtSingleApplication app(QString::fromLatin1(ApplicationId), argc, argv);
        // Watched from the first box of the start on, and before the channel opens: a copy that
        // others can reach can also be ended.
        const SessionEnd session;
        result = runStart(app, window, lock);
    }
    // The end of the session asked for is no failure, wherever it came, whatever box was open.
    return SessionEnd::requested() ? 0 : result;
}
