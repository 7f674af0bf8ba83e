// Backup and restore of the user database: a byte copy of the whole file, made with the
// database closed.

#include "app/mainwindow.h"
#include "widgets/shownday.h"
#include "core/clock.h"

#include "catalogue/dynamicdb.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "core/keptfiles.h"
#include "core/regularfile.h"
#include "diary/diarypagecontent.h"
#include "userdb/bxexception.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryheader.h"
#include "userdb/diaryproof.h"
#include "userdb/busywait.h"
#include "userdb/diaryinuse.h"
#include "userdb/diarylocation.h"
#include "userdb/diarystart.h"
#include "userdb/diaryversion.h"
#include "userdb/failurewitness.h"
#include "userdb/fileclaim.h"
#include "userdb/filecopy.h"
#include "userdb/fileintegrity.h"
#include "userdb/diaryrestore.h"
#include "userdb/restorestaging.h"
#include "userdb/storeaction.h"
#include "userdb/storednotices.h"
#include "userdb/storeresult.h"
#include "userdb/userdb.h"
#include "widgets/progressbox.h"
#include "widgets/storeprompt.h"
#include "widgets/userturn.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

const char* const CheckConnection = "BXSqlDb_chk";

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Whether `widget` is a part of `window`: the window itself, one of its widgets, or a menu
// opened from one of them. A dialog of the window is a window apart.
bool isPartOf(const QWidget* widget, const QWidget* window)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget == window)
            return true;
        if (widget->isWindow() && widget->windowType() != Qt::Popup)
            return false;
    }
    return false;
}

// Whether the input that `target` receives is meant for `window`: `target` is one of its
// widgets, a key sequence made for one of them, or a command shown in one of them.
bool isInputOf(QObject* target, const QWidget* window)
{
    if (auto* action = qobject_cast<QAction*>(target)) {
        const QObjectList shownIn = action->associatedObjects();
        return std::any_of(shownIn.begin(), shownIn.end(),
                           [window](QObject* object) { return isInputOf(object, window); });
    }
    if (auto* shortcut = qobject_cast<QShortcut*>(target))
        target = shortcut->parent();
    return target && target->isWidgetType() && isPartOf(static_cast<QWidget*>(target), window);
}

QString notWritten(const QFileInfo& destination, const QString& reason)
{
    return QObject::tr("The backup file %1 could not be written: %2.\nYour data is as it was; "
                       "the backup file has not been changed.")
        .arg(QDir::toNativeSeparators(destination.absoluteFilePath()), reason);
}

// A copy of a damaged diary would be refused by Restore Data: it never takes the place of the
// backup file. `findings` is the integrity check's reason, DetailsMark and its report.
QString damagedDiary(const QFileInfo& destination, bool earlier, const QString& findings)
{
    QString report;
    const QString reason = StoreResult::splitDetails(findings, &report);
    const QString file = QDir::toNativeSeparators(destination.absoluteFilePath());
    return QObject::tr("Your diary %1 did not pass its check (%2), so it was not backed up: "
                       "Restore Data would refuse the copy.\n%3\nRestore your latest good backup "
                       "with Restore Data.")
               .arg(QDir::toNativeSeparators(DiaryLocation::path()), reason,
                    earlier ? QObject::tr("The backup file %1 has not been changed: it still "
                                          "holds your earlier backup.").arg(file)
                            : QObject::tr("No backup file was written."))
        + QLatin1String(StoreResult::DetailsMark) + report;
}

// What the user is told after why a backup was not made: the backup file as it was, the diary
// as it was, the advice to try again, and the check's report in the details.
QString keptAsItWas(const QString& file, bool earlier, const QString& report)
{
    return u'\n'
        + (earlier ? QObject::tr("The backup file %1 has not been changed: it still holds your "
                                 "earlier backup.").arg(file)
                   : QObject::tr("No backup file was written."))
        + u'\n' + QObject::tr("Your diary is as it was. Try again.")
        + (report.isEmpty() ? QString() : QLatin1String(StoreResult::DetailsMark) + report);
}

// Neither the copy nor the diary could be checked (a read of the disk failed, say): nothing
// is known of either, and nothing has changed.
QString uncheckedDiary(const QFileInfo& destination, bool earlier, const QString& findings)
{
    QString report;
    const QString reason = StoreResult::splitDetails(findings, &report);
    return QObject::tr("Your diary %1 could not be checked (%2), so it was not backed up.")
               .arg(QDir::toNativeSeparators(DiaryLocation::path()), reason)
        + keptAsItWas(QDir::toNativeSeparators(destination.absoluteFilePath()), earlier, report);
}

// A copy that could not be proven for a reason of its own (it could not be checked, or it was
// damaged on its way while the diary passes its check) never takes the place of the backup
// file; the diary is as it was. `findings` is the check's reason, DetailsMark and its report.
QString unprovenCopy(const QFileInfo& destination, bool earlier, bool checked, const QString& findings)
{
    QString report;
    const QString reason = StoreResult::splitDetails(findings, &report);
    const QString file = QDir::toNativeSeparators(destination.absoluteFilePath());
    return (checked ? QObject::tr("The copy of your diary written for %1 did not pass its check "
                                  "(%2), though your diary passes its own: the copy was damaged "
                                  "on its way to the disk.")
                    : QObject::tr("The copy of your diary written for %1 could not be checked "
                                  "(%2)."))
               .arg(file, reason)
        + keptAsItWas(file, earlier, report);
}

// Whether Restore Data would take the file at `path`: what its checks and the proof of its copy
// find, with the user database closed; otherwise `refusal` says why. The proof runs in steps
// under `progress`, and once that stops it ends unread.
StoreResult::Kind restoreVerdict(const QString& path, QString* refusal, WorkProgress* progress)
{
    bool unread = false;
    *refusal = MainWindow::checkBackupFile(path, &unread);
    if (!refusal->isEmpty())
        return unread ? StoreResult::Kind::Unread : StoreResult::Kind::Refused;
    const StoreResult proof = DiaryProof::proveFile(path, DiaryProof::Proof::Restore, progress);
    *refusal = proof.message();
    return proof.kind();
}

// A whole copy that Restore Data would refuse for what the diary holds never takes the place
// of the backup file. `refusal` is the restore's reason, with DetailsMark and a report if any.
QString refusedByRestore(const QFileInfo& destination, bool earlier, const QString& refusal)
{
    QString report;
    const QString reason = StoreResult::splitDetails(refusal, &report);
    const QString file = QDir::toNativeSeparators(destination.absoluteFilePath());
    return QObject::tr("Your diary %1 was not backed up, as Restore Data would refuse a copy of "
                       "it:\n%2\n%3\nYour diary is as it was.")
               .arg(QDir::toNativeSeparators(DiaryLocation::path()), reason,
                    earlier ? QObject::tr("The backup file %1 has not been changed: it still "
                                          "holds your earlier backup.").arg(file)
                            : QObject::tr("No backup file was written."))
        + (report.isEmpty() ? QString() : QLatin1String(StoreResult::DetailsMark) + report);
}

// Why the copy of `diary` at `destination` was not kept: the system's reason when it could not
// be written, the diary's damage when the copy was found damaged and the diary fails its own
// check (run under `progress`), else the copy's own failure.
QString copyRefused(const QFileInfo& diary, const QFileInfo& destination, bool earlier,
                    StoreResult::Kind copy, const QString& reason, WorkProgress* progress)
{
    if (copy == StoreResult::Kind::Done)
        return notWritten(destination, reason);
    if (copy != StoreResult::Kind::Damaged)
        return unprovenCopy(destination, earlier, false, reason);
    const StoreResult diaryCheck = FileIntegrity::check(diary.absoluteFilePath(), nullptr, progress);
    const QString findings = diaryCheck.message();
    if (diaryCheck.kind() == StoreResult::Kind::Damaged)
        return damagedDiary(destination, earlier, findings);
    if (!diaryCheck)
        return uncheckedDiary(destination, earlier, findings);
    return unprovenCopy(destination, earlier, true, reason);
}

QString backupUnconfirmed(const QFileInfo& destination, const QString& reason)
{
    return QObject::tr("The disk did not confirm that it stored the backup in %1: %2. Should the "
                       "computer stop before it does, the backup may be lost: make it again "
                       "then.")
        .arg(QDir::toNativeSeparators(destination.absolutePath()), reason);
}

// Whether the two name one file, also through links.
bool sameFile(const QFileInfo& one, const QFileInfo& other)
{
    const QString canonical = one.canonicalFilePath();
    return one.absoluteFilePath() == other.absoluteFilePath()
        || (!canonical.isEmpty() && canonical == other.canonicalFilePath());
}

// The user's own trees of foods, exercises and saved meals, read as showing the user builds
// them; the trees shown stay as they are.
bool readsCataloguesOf(qint64 user)
{
    DynamicDB* const trees[] = {FoodDBDynamic::instance(), ExDBDynamic::instance(),
                                SavedMealTree::instance()};
    return std::all_of(std::begin(trees), std::end(trees),
                       [user](DynamicDB* tree) { return tree->readsTreeOf(user); });
}

// Each user's first page of the data now open, read as a user switch reads it (the profile,
// the diary page of the day shown, what the window holds of the user, the user's catalogue
// trees), inside one reading that asks and tells nothing: empty when all of it reads, else
// what could not be read.
QString unreadFirstPage()
{
    const StoreAction reading(StoreAction::Kind::Read);
    UserDB* store = UserDB::instance();
    const std::optional<QList<DBTypes::UserProfile>> users = store->getUsersList();
    QString unread;
    for (const DBTypes::UserProfile& user : users.value_or(QList<DBTypes::UserProfile>())) {
        if (!store->getProfile(user.userId)
            || !DiaryPageContent::read(user.userId, ShownDay::instance()->date())
            || !MainWindow::readUserHold(user.userId) || !readsCataloguesOf(user.userId)) {
            unread = user.name;
            break;
        }
    }
    if (users && unread.isEmpty() && reading.outcome().ok())
        return QString();
    const QString reason = reading.outcome().ok()
        ? QObject::tr("What it holds does not read as this program's data.")
        : reading.outcome().readText();
    if (!users)
        return QObject::tr("Its users cannot be read. %1").arg(reason);
    return unread.isEmpty() ? QObject::tr("Its diaries cannot be read. %1").arg(reason)
                            : QObject::tr("%1's diary cannot be read. %2").arg(unread, reason);
}

QString diaryInUse(bool restoring)
{
    const QString diary = QDir::toNativeSeparators(DiaryLocation::path());
    return (restoring ? QObject::tr("Your diary %1 is in use by %2, so the backup cannot be "
                                    "restored now.\nYour data is as it was. %3")
                      : QObject::tr("Your diary %1 is in use by %2, so it cannot be backed up "
                                    "now.\nYour data is as it was. %3"))
        .arg(diary, DiaryInUse::holder(), DiaryInUse::advice());
}

// Runs one read of the checks of a backup file; a read that the system failed (a read error,
// the system out of memory) or another program held up says nothing of the file: it throws
// BXException with that reason. SQLite ends a statement whose read the disk failed as damage:
// damage not proven is told with the system's reason. Whether the read gave a row.
// A reading of a backup file that the system failed or another program held up.
class UnreadBackup : public BXException
{
public:
    using BXException::BXException;
};

bool readBackup(QSqlDatabase& db, QSqlQuery& query, const QString& sql)
{
    if (query.exec(sql) && query.next())
        return true;
    const QSqlError error = query.lastError();
    const StoreResult outcome = FileIntegrity::proven(error, db);
    const bool unread = StoreResult::fromError(error).kind() == StoreResult::Kind::Damaged;
    if (outcome.unread())
        throw UnreadBackup(QObject::tr("It could not be read just now (%1). The file has been left "
                                      "as it is; try again.")
                              .arg(outcome.busy() ? error.databaseText()
                                         : unread ? outcome.message()
                                                  : FailureWitness::faultText(db, error.nativeErrorCode().toInt())));
    return false;
}

// Runs the checks of a backup file on an open read-only connection; throws BXException.
void checkOpenBackup(QSqlDatabase& db)
{
    QSqlQuery users(db);
    if (!readBackup(db, users, QStringLiteral("SELECT COUNT(user_id) FROM user_users")))
        throw BXException(QObject::tr("It is not a backup made by this program: %1.")
                              .arg(users.lastError().databaseText()));
    const int count = users.value(0).toInt();
    if (count > UserDB::MaxFamilyUsers)
        throw BXException(QObject::tr("This backup file has too many users: %1").arg(count));
    if (count == 0)
        throw BXException(QObject::tr("This backup file contains no users"));
    // Each user's own foods and exercises hang under a root of the user's id.
    QSqlQuery ids(db);
    if (readBackup(db, ids, QStringLiteral("SELECT user_id FROM user_users WHERE user_id < 0 OR "
                                           "user_id > %1 LIMIT 1")
                                .arg(DynamicDB::MAX_USER)))
        throw BXException(QObject::tr("This backup file was not made by this program: the table "
                                      "user_users holds a user whose user_id is %1, an id this "
                                      "program never gives a user.")
                              .arg(ids.value(0).toString()));

    QSqlQuery version(db);
    bool ok = false;
    if (readBackup(db, version,
                   QStringLiteral("SELECT itemvalue FROM userdata_meta WHERE itemkey = 'schema_version'")))
        ok = DiaryVersion::isOpenable(version.value(0).toString().trimmed().toInt());
    if (!ok)
        throw BXException(QObject::tr("This backup file is incompatible with this version of Desktop Pantrel"));
}

QString notRestored(const QString& backup, const QString& reason)
{
    return QObject::tr("The backup file %1 cannot be restored, so your data has been left as it "
                       "was:\n%2")
        .arg(QDir::toNativeSeparators(QFileInfo(backup).absoluteFilePath()), reason);
}

// Puts a proven copy of the backup in place of the user database, keeping the current data
// until the restore ends; throws BXException when the backup cannot be used.
void installRestoredFile(const QFileInfo& backup, WorkProgress* progress)
{
    const StoreResult installed = DiaryRestore::install(backup.absoluteFilePath(), progress);
    if (!installed)
        throw BXException(notRestored(backup.absoluteFilePath(), installed.message()));
}

} // namespace

QString MainWindow::askBackupFileName(const QString& proposed)
{
    return QFileDialog::getSaveFileName(this, QString(), proposed, tr("Pantrel Backups (*.ptBackup)"));
}

QString MainWindow::askRestoreFileName(const QString& folder)
{
    return QFileDialog::getOpenFileName(this, QString(), folder, tr("All files (*)"));
}

void MainWindow::backupUserDB()
{
    if (_fileCommand)
        return;
    const QScopedValueRollback<bool> running(_fileCommand, true);
    _copyStopped = false;
    const QString folder = BXSettings::backupFolder();
    // The chooser opens in the default folder, made for it; a backup refused or made elsewhere
    // leaves no folder behind.
    const bool made = QDir::cleanPath(folder) == QDir::cleanPath(BXSettings::defaultBackupDir())
        && !QFileInfo::exists(folder) && orvCreateDirectory(folder);
    const QString proposed = folder + QLatin1Char('/')
        + Clock::today().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".ptBackup");
    const QString chosen = askBackupFileName(proposed);
    UserTurn::passEvents();
    if (made && (chosen.isNull() || QFileInfo(chosen).absolutePath() != QDir(folder).absolutePath()))
        QDir().rmdir(folder);
    if (chosen.isNull())
        return;
    QFileInfo destination(chosen);
    QFileInfo source(DiaryLocation::path());
    const QString error = doCopy(source, destination);
    if (error.isNull() && BXSqlDb::isUp()) {
        // Without its folder stored, a backup cut short there is never looked for.
        UserDB* users = UserDB::instance();
        const QString folder = destination.absolutePath();
        StorePrompt::change(this, tr("Backup folder not stored"),
                            [users, &folder] { return users->setBackupPath(ShownDay::instance()->user(), folder); },
                            tr("The backup was made, but its folder could not be stored."));
    }
    if (error.isNull()) {
        const QString note = std::exchange(_copyNote, QString());
        const QString done = tr("Your data is now backed up in %1")
                                 .arg(QDir::toNativeSeparators(destination.absoluteFilePath()));
        showMessage(note.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    tr("Backup successful"), note.isEmpty() ? done : done + u'\n' + note,
                    QMessageBox::Ok, QMessageBox::Ok);
    } else {
        QString details;
        const QString reason = StoreResult::splitDetails(error, &details);
        showMessage(QMessageBox::Warning, _copyStopped ? tr("Backup cancelled") : tr("Backup failed"),
                    reason, QMessageBox::Ok, QMessageBox::Ok, QString(), details);
    }
    UserTurn::passEvents();
}

QString MainWindow::checkBackupFile(const QString& path, bool* unread)
{
    if (unread)
        *unread = false;
    // A pipe or a device would block the window in its first read, for ever.
    if (!QFileInfo(path).isFile())
        return tr("It is not a backup file: only a file made by Backup Data can be restored.");
    QFile file;
    QString reason;
    if (!RegularFile::open(file, path, &reason)) {
        if (unread)
            *unread = true;
        return tr("It cannot be read: %1.").arg(reason);
    }
    file.close();
    if (DiaryHeader::isOlderFormat(path))
        return DiaryHeader::olderFormatMessage(path);
    if (const std::optional<QString> journal = FileClaim::journalProblem(path))
        return *journal;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QLatin1String(CheckConnection));
        db.setDatabaseName(QFileInfo(path).absoluteFilePath());
        // Read-only: the check never creates or changes the chosen file.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open() || db.isOpenError()) {
            error = tr("It cannot be opened as a database: %1.")
                        .arg(FailureWitness::openError(db.lastError(), path).databaseText());
            // A read that the system failed says nothing of the file.
            const StoreResult opening = FileIntegrity::proven(db.lastError(), db);
            if (unread)
                *unread = opening.unread();
        } else {
            BusyWait::install(db, BusyWait::timeout());
            try {
                checkOpenBackup(db);
            } catch (const UnreadBackup& e) {
                error = e.message();
                if (unread)
                    *unread = true;
            } catch (const BXException& e) {
                error = e.message();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(CheckConnection));
    return error;
}

void MainWindow::restoreUserDB()
{
    if (_fileCommand)
        return;
    const QScopedValueRollback<bool> running(_fileCommand, true);
    _copyStopped = false;
    const auto answer = showMessage(
        QMessageBox::Question, tr("Restore"),
        tr("This will restore your data to a previous backup. This will destroy any changes or "
           "entries you have made since that backup was created.\n\nAre you sure you want to "
           "proceed?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    UserTurn::passEvents();
    const QString chosen = askRestoreFileName(BXSettings::backupFolder());
    if (chosen.isNull())
        return;
    const QString error = _restoreFrom(chosen);
    if (error.isNull()) {
        const QString file = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath());
        const QString note = std::exchange(_copyNote, QString());
        const QString restored =
            _showFirstUser()
                ? tr("Your data is restored from %1.\nThe first user of the backup is shown.").arg(file)
                : tr("Your data is restored from %1.\nIts first user could not be shown: choose a "
                     "user in the Users menu.").arg(file);
        showMessage(note.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    tr("Restore successful"), note.isEmpty() ? restored : restored + u'\n' + note,
                    QMessageBox::Ok, QMessageBox::Ok);
        refreshCurrentWidget();
    } else {
        // A report (an integrity check's findings) goes to the details, so the box fits the screen.
        QString details;
        const QString reason = StoreResult::splitDetails(error, &details);
        showMessage(QMessageBox::Warning, _copyStopped ? tr("Restore cancelled") : tr("Restore failed"),
                    reason, QMessageBox::Ok, QMessageBox::Ok, QString(), details);
    }
    UserTurn::passEvents();
}

QString MainWindow::_restoreFrom(const QString& path)
{
    const QString refused = checkBackupFile(path);
    if (!refused.isNull())
        return notRestored(path, refused);
    QFileInfo source(path);
    QFileInfo destination(DiaryLocation::path());
    return doCopy(source, destination);
}

// The restored file's first user becomes current, with that user's catalogue, layout and
// units; the user who was current before may not exist in it, or be another person. When the
// first user's page could not be read, no user is shown: then false (the user has been told
// why); no user is taken for a list that was not read.
bool MainWindow::_showFirstUser()
{
    std::optional<QList<DBTypes::UserProfile>> users;
    bool shown = false;
    const bool read = StorePrompt::read(this, [&] {
        users = UserDB::instance()->getUsersList();
        if (users && !users->isEmpty() && _showUser(users->first().userId)) {
            shown = true;
            _setCaption(users->first().name, false);
        }
    });
    if (!shown) {
        const QList<DBTypes::UserProfile> held = users.value_or(QList<DBTypes::UserProfile>());
        showNoUser(held, held.isEmpty() ? noUserReadText() : unreadUserText(held.first().name));
    }
    return read && shown;
}

bool MainWindow::restartUserDatabase(QString* error)
{
    // During a copy, the data a restore kept is checked under its progress before it goes back.
    const StoreResult started = DiaryStart::startUp(true, _copyProgress.get());
    if (started)
        return true;
    BXSqlDb::cleanUp();
    *error = started.message();
    return false;
}

// While the database is copied (and restarted), the window takes no input: clicks, keys and
// the key sequences of its commands queued for it would reach a closed database or the copy
// being opened. The progress dialog and every other window keep theirs.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (_copying && isUserInput(event->type()) && isInputOf(watched, this))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// A modal progress dialog that stays up until the copy and the restart are over; its Cancel
// stops the copy until the copy takes the place of the file it replaces.
void MainWindow::_showCopyProgress(const QString& title, const QString& label)
{
    _copyProgress = std::make_unique<ProgressBox>(this, title, label);
    UserTurn::passEvents(QEventLoop::ExcludeUserInputEvents);
}

QString MainWindow::doCopy(QFileInfo& source, QFileInfo& destination)
{
    const QString live = DiaryLocation::path();
    const bool replacesLive = destination.absoluteFilePath() == QFileInfo(live).absoluteFilePath();
    // No other program changes the diary while it is copied, nor uses it while it is replaced;
    // one that holds it now is waited for as long as a change would be.
    FileClaim claim(live, replacesLive ? FileClaim::Mode::Sole : FileClaim::Mode::Read,
                    BusyWait::timeout());
    if (claim.state() == FileClaim::State::Busy)
        return diaryInUse(replacesLive);
    _copying = true;
    _copyNote.clear();
    qApp->installEventFilter(this);
    BXSqlDb::cleanUp();
    QString result;
    bool cursorSet = false;
    bool installed = false;
    try {
        installed = _copyFile(source, destination, replacesLive, &cursorSet);
    } catch (const BXException& e) {
        result = e.message();
    }
    _copyStopped = _copyProgress && _copyProgress->stopped();
    if (_copyStopped)
        result = replacesLive ? tr("The restore was cancelled. Your data is as it was.")
                              : tr("The backup was cancelled. The backup file %1 is as it was.")
                                    .arg(QDir::toNativeSeparators(destination.absoluteFilePath()));
    if (cursorSet)
        QApplication::restoreOverrideCursor();
    claim.release();
    if (installed)
        result = _endRestore(source);
    // The pages keep what they show: the data they read is the same, or a restore that stayed
    // shows its first user afresh.
    _reopenDiary();
    // Input queued during the copy is dropped here, before the window takes input again.
    UserTurn::passEvents();
    _copyProgress.reset();
    qApp->removeEventFilter(this);
    _copying = false;
    const QStringList held = _heldMessages;
    _heldMessages.clear();
    for (const QString& message : held)
        QTimer::singleShot(0, this, [this, message] { processMessage(message); });
    return result;
}

// Opens the diary again after a copy. While it cannot be opened (another program took it in
// the meantime, say) the user may try again or quit; the window never runs without it.
void MainWindow::_reopenDiary()
{
    QString error;
    while (!BXSqlDb::isUp() && !restartUserDatabase(&error)) {
        const auto answer = showMessage(
            QMessageBox::Critical, tr("Diary not available"),
            tr("Your diary cannot be opened again:\n%1\n\nTry again, or quit the program?")
                .arg(error),
            QMessageBox::Retry | QMessageBox::Close, QMessageBox::Retry);
        if (answer != QMessageBox::Retry) {
            quitProgram();
            return;
        }
        // A check that the user stopped runs again under a progress that can be stopped again.
        if (_copyProgress && _copyProgress->stopped())
            _showCopyProgress(_copyProgress->title(), _copyProgress->label());
    }
}

// The restored data stays once the start-up has opened it and it has passed its check;
// until then the previous data is kept, and otherwise it goes back in its place. Data that
// could not go back is put back by the start that reopens the diary, when the user tries
// again: then that is what the user is told.
QString MainWindow::_endRestore(const QFileInfo& backup)
{
    // The diary restored is told of afresh.
    StoredNotices::restart();
    QString error;
    const bool sound = restartUserDatabase(&error) && _restoredDataIsSound(&error);
    if (!sound && _copyProgress)
        _copyProgress->setLabel(tr("Putting your data back as it was..."));
    const StoreResult end = DiaryRestore::end(sound, _copyProgress.get());
    const QString& ending = end.message();
    bool ended = end.ok();
    QString undone;
    if (!ended) {
        _reopenDiary();
        undone = RestoreStaging::takeUndone();
        ended = !undone.isEmpty();
    }
    if (!ended)
        return sound ? ending
                     : tr("%1\nThe restored data could not be opened:\n%2")
                           .arg(ending, error);
    if (sound) {
        _copyNote = undone.isEmpty() ? ending : QString();
        return undone;
    }
    return tr("The data restored from %1 could not be opened, so your previous data has been "
              "kept.\n")
               .arg(QDir::toNativeSeparators(backup.absoluteFilePath()))
        + error;
}

// The restored data stays once it reads as the program reads it: each user's first page. Its
// proof, under the progress, checked it whole before it took the diary's place.
bool MainWindow::_restoredDataIsSound(QString* error)
{
    if (!BXSqlDb::isUp())
        return true;
    *error = unreadFirstPage();
    if (error->isEmpty())
        return true;
    BXSqlDb::cleanUp();
    return false;
}

// Steps of the copy, each throwing BXException with the text the user sees. A backup is
// written through a temporary file and a restore through a proven copy, so a failed copy
// leaves the destination as it was. True when a restored copy has taken the diary's place.
bool MainWindow::_copyFile(QFileInfo& source, QFileInfo& destination, bool restoring,
                           bool* cursorSet)
{
    const QString from = QDir::toNativeSeparators(source.absoluteFilePath());
    if (sameFile(source, destination))
        throw BXException(tr("%1 is your diary itself: choose another file.")
                              .arg(restoring ? from : QDir::toNativeSeparators(destination.absoluteFilePath())));
    if (const std::optional<QString> refused = restoring ? std::nullopt
                                                         : KeptFiles::targetProblem(destination.absoluteFilePath()))
        throw BXException(tr("%1: choose another file.").arg(*refused));
    const bool earlier = destination.exists();
    QFile readable;
    QString unread;
    if (!RegularFile::open(readable, source.absoluteFilePath(), &unread))
        throw BXException(tr("%1 cannot be read: %2.").arg(from, unread));
    readable.close();
    if (earlier) {
        const auto answer = showMessage(QMessageBox::Question, tr("Overwrite File?"),
                                        tr("A file called %1 already exists.\nDo you want to "
                                           "overwrite it?")
                                            .arg(destination.absoluteFilePath()),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            throw BXException(tr("You have chosen not to overwrite existing file"));
    }
    UserTurn::passEvents();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    *cursorSet = true;
    if (restoring)
        _showCopyProgress(tr("Restore Data"), tr("Restoring your data..."));
    else
        _showCopyProgress(tr("Backup Data"), tr("Backing up your data..."));

    if (restoring) {
        installRestoredFile(source, _copyProgress.get());
        return true;
    }
    QString reason;
    StoreResult::Kind copy = StoreResult::Kind::Done;
    bool refused = false;
    ProgressBox* progress = _copyProgress.get();
    // The proof of Restore Data, with its integrity check, is the copy's one check. A proof that
    // could not read the copy leaves it unchecked, never refused; a copy it finds damaged is
    // told with the diary's own check.
    const auto prove = [&copy, &refused, progress](const QString& written, QString* findings) {
        progress->setLabel(tr("Checking the backup..."));
        const StoreResult::Kind verdict = restoreVerdict(written, findings, progress);
        refused = verdict == StoreResult::Kind::Refused && !progress->stopped();
        if (verdict != StoreResult::Kind::Refused)
            copy = verdict;
        return verdict == StoreResult::Kind::Done;
    };
    QString unsynced;
    if (!FileCopy::copy(source.absoluteFilePath(), destination.absoluteFilePath(), &reason, prove,
                        &unsynced, progress))
        throw BXException(refused ? refusedByRestore(destination, earlier, reason)
                                  : copyRefused(source, destination, earlier, copy, reason, progress));
    if (!unsynced.isEmpty())
        _copyNote = backupUnconfirmed(destination, unsynced);
    destination.refresh();
    return false;
}
