// Start-up of the user database: finding, importing or copying the file, repairing its
// header, opening it, checking its version and running the upgrade chain.

#include "userdb/bxsqldb.h"
#include "core/clock.h"

#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "core/keptfiles.h"
#include "core/regularfile.h"
#include "userdb/busywait.h"
#include "userdb/catalogueroots.h"
#include "userdb/diaryschema.h"
#include "userdb/failurecause.h"
#include "userdb/fileclaim.h"
#include "userdb/filecopy.h"
#include "userdb/nullconversion.h"
#include "userdb/readwatch.h"
#include "userdb/savedmealdb.h"
#include "userdb/stepwatch.h"
#include "userdb/storeaction.h"
#include "userdb/userdbformat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int OldestUpgradableVersion = 204;

QString userDbFolder()
{
    return BXSettings::getUserDBPath();
}

// Readable and writable by us; a file that the user made read-only is not used even when
// the process could override its permissions (as the superuser can).
bool isUsableFile(const QFileInfo& info)
{
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isReadable() && info.isWritable() && (info.permissions() & writeBits);
}

// Removes a file with the journal that SQLite may have left beside it; a stale journal
// next to a new file of the same name would be played back into it. One that stays is told
// when a file takes the name: every copy (FileCopy::copy) and every replaceFile removes it
// again and says so when it cannot.
void removeWithJournal(const QString& path)
{
    QString stays;
    FileCopy::removeCompanions(path, &stays);
    QFile::remove(path);
}

// Puts `from` in place of `to` in one step: a crash leaves one or the other, complete. `from`
// takes the modes of what it replaces, and the journal left beside `to` goes with the file
// replaced, to which it belongs. False, with errno set, when it could not take the place;
// once it has, `stays` names a companion of the file replaced that could not go, which SQLite
// would play into `from`.
bool replaceFile(const QString& from, const QString& to, QString* stays)
{
    WorkingFile::takeModes(from, to);
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    FileCopy::removeCompanions(to, stays);
    return true;
}

// Puts the copy of the diary as it was, made before the diary was replaced, back in its
// place; false when it stays where it is.
bool putBack(const QString& copy)
{
    return ::rename(QFile::encodeName(copy).constData(),
                    QFile::encodeName(WorkingFile::fileBehind(BXSqlDb::diaryPath())).constData())
        == 0;
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file that holds the diary. A diary that is a link (to a synchronised folder, say) is
// replaced where the link points, so the link stays as the user made it.
QString diaryFile()
{
    return WorkingFile::fileBehind(BXSqlDb::diaryPath());
}

// The copies that a first run, an upgrade and a restore make beside the diary's file before
// they take its place. A process that dies before the rename leaves one behind.
const char* const WorkingCopies[] = {".firstrun", ".upgrading", ".restoring"};

QString workingCopy(const char* suffix)
{
    return diaryFile() + QLatin1String(suffix);
}

// What the data kept during a restore is called once the restore has finished: every start
// removes it and none puts it back.
const char* const FinishedSuffix = ".restore-finished";

// Set from the moment a restored copy takes the diary's place until endRestore: the copy of
// the data as it was is then this process's own, not a leftover.
bool& restorePending()
{
    static bool pending = false;
    return pending;
}

// Whether a start put back the data kept by a restore that did not finish, and the user has
// not been told yet.
bool& restoreUndone()
{
    static bool undone = false;
    return undone;
}

// Why the data kept during a restore that did not finish cannot be put back now.
std::string notPutBack()
{
    return BXSqlDb::tr("Your data, kept in %1 while a restore ran, cannot be put back in place "
                       "of %2: %3. Keep that file (it may be the one copy of your data) and "
                       "make its folder writable, then start the program again.")
        .arg(QDir::toNativeSeparators(workingCopy(BXSqlDb::SafetySuffix)),
             QDir::toNativeSeparators(diaryFile()), systemReason())
        .toStdString();
}

std::string notWhole(const QString& reason)
{
    return BXSqlDb::tr("Your data, kept in %1 while a restore ran, is not a whole diary (%2), so "
                       "it has not been put back in place of %3. Both files have been left as "
                       "they are. Keep %1 (it may still be rescued) and move it to another "
                       "folder, then start the program again.")
        .arg(QDir::toNativeSeparators(workingCopy(BXSqlDb::SafetySuffix)), reason,
             QDir::toNativeSeparators(diaryFile()))
        .toStdString();
}

std::string notChecked(const QString& reason)
{
    return BXSqlDb::tr("Your data, kept in %1 while a restore ran, could not be checked (%2), so "
                       "it has not been put back in place of %3 yet. Both files have been left "
                       "as they are. Keep %1: it is put back once it can be checked, when you "
                       "try again or start the program again.")
        .arg(QDir::toNativeSeparators(workingCopy(BXSqlDb::SafetySuffix)), reason,
             QDir::toNativeSeparators(diaryFile()))
        .toStdString();
}

// Whether the file reads as a whole diary: otherwise the reason, Damaged when it is empty, cut
// short or fails the integrity check, Unchecked when the check could not run.
BXSqlDb::Integrity isWholeDiary(const QString& path, QString* reason)
{
    if (QFileInfo(path).size() == 0) {
        *reason = BXSqlDb::tr("it is empty");
        return BXSqlDb::Integrity::Damaged;
    }
    std::string findings;
    const BXSqlDb::Integrity found = BXSqlDb::checkFileIntegrity(path, findings);
    QString report;
    *reason = BXSqlDb::splitDetails(QString::fromStdString(findings), &report);
    return found;
}

// Puts the copy of the data kept during a restore back in the diary's place, with no journal
// of the restored copy beside it. False with what the user is told when it is not a whole
// diary (both files then stay as they are) or the rename failed.
bool putBackKeptData(std::string& error)
{
    const QString file = diaryFile();
    const QString kept = workingCopy(BXSqlDb::SafetySuffix);
    // Never opened as a database, the copy has no journal of its own.
    QFile::remove(kept + QStringLiteral("-journal"));
    QString reason;
    const BXSqlDb::Integrity found = isWholeDiary(kept, &reason);
    if (found != BXSqlDb::Integrity::Sound) {
        error = found == BXSqlDb::Integrity::Damaged ? notWhole(reason) : notChecked(reason);
        return false;
    }
    QString stays;
    if (!replaceFile(kept, file, &stays)) {
        error = notPutBack();
        return false;
    }
    error = stays.toStdString();
    return stays.isEmpty();
}

// Makes a restore final before it is told: the data kept while it ran takes a name that no
// start puts back, or, where its folder takes no change, is emptied, which no start puts back
// either. What stays of it goes at a later start. Once renamed or emptied, the restore is
// final whatever the sync that follows says: `unsynced` then gets the system's reason. False
// with why neither could be done.
bool finishRestore(QString* refusal, QString* unsynced)
{
    const QString kept = workingCopy(BXSqlDb::SafetySuffix);
    const QString finished = workingCopy(FinishedSuffix);
    // One that is gone can undo nothing either. The file goes right after, so what stays beside
    // it is played into nothing.
    QString stays;
    if (replaceFile(kept, finished, &stays) || errno == ENOENT) {
        if (!WorkingFile::syncFolder(finished))
            *unsynced = systemReason();
        removeWithJournal(finished);
        return true;
    }
    const QString notRenamed = systemReason();
    QFile file(kept);
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && file.resize(0)) {
        if (::fsync(file.handle()) != 0)
            *unsynced = systemReason();
        return true;
    }
    *refusal = BXSqlDb::tr("%1 can be neither renamed (%2) nor emptied (%3)")
                   .arg(QDir::toNativeSeparators(kept), notRenamed, file.errorString());
    return false;
}

QString undoneText()
{
    return BXSqlDb::tr("The restore did not finish; your data is as it was before it.");
}

std::string notFinished(const QString& refusal)
{
    return BXSqlDb::tr("The restore cannot be made final: %1.").arg(refusal).toStdString();
}

std::string unconfirmed(const QString& reason)
{
    return BXSqlDb::tr("The disk did not confirm that it stored the end of the restore in %1: %2. "
                       "Should the computer stop before it does, the next start may put your "
                       "previous data back, and then says so.")
        .arg(QDir::toNativeSeparators(QFileInfo(diaryFile()).absolutePath()), reason)
        .toStdString();
}

// A diary that holds nothing beside the data that a finished restore replaced: the restored
// data is lost, and that copy may be the one left of the user's data.
std::string emptyBesideKept()
{
    return BXSqlDb::tr("Your diary %1 holds nothing, while %2 beside it holds your data as it "
                       "was before a restore. Both files have been left as they are. Put %2 in "
                       "place of %1 to go on with that data, or move it to another folder to "
                       "begin with an empty diary, then start the program again.")
        .arg(QDir::toNativeSeparators(diaryFile()),
             QDir::toNativeSeparators(workingCopy(FinishedSuffix)))
        .toStdString();
}

// What a process that died while it replaced the diary left behind. The copies made on the
// way are removed, also those cut short before they were whole. The data as it was before a
// restore goes back in the diary's place, as the restore did not finish; it is never removed,
// for it may be the one copy of the user's data. Once emptied or renamed, the restore finished
// and it goes, unless the diary holds nothing. False with the reason when it cannot be put
// back or it stays: the diary is then not opened, so that nothing is written to data that
// would be replaced.
bool recoverLeftovers(std::string& error)
{
    const QFileInfo kept(workingCopy(BXSqlDb::SafetySuffix));
    if (kept.isFile() && kept.size() == 0) {
        QFile::remove(kept.filePath());
    } else if (kept.isFile()) {
        if (!putBackKeptData(error))
            return false;
        restoreUndone() = true;
    }
    const QFileInfo diary(diaryFile());
    if (QFileInfo(workingCopy(FinishedSuffix)).size() > 0 && diary.size() == 0
        && (diary.isFile() || !diary.exists())) {
        error = emptyBesideKept();
        return false;
    }
    for (const char* suffix : WorkingCopies)
        removeWithJournal(workingCopy(suffix));
    removeWithJournal(workingCopy(FinishedSuffix));
    FileCopy::removeWorkingCopies(userDbFolder(), QStringLiteral("userdata*"));
    const QFileInfo file(diaryFile());
    FileCopy::removeWorkingCopies(file.absolutePath(), file.fileName() + QLatin1Char('*'));
    return true;
}

// Copies with the reason as the start-up reports it, naming both files. A copy that another
// file's safety rests on (`safety`: the data as it was, kept while that file is replaced) is
// proven to hold what the source holds before it takes its name.
bool copyFile(const QString& source, const QString& destination, std::string& reason,
              WorkProgress* progress = nullptr, bool safety = false)
{
    QString why;
    const auto sameAsSource = [&source](const QString& made, QString* differs) {
        return FileCopy::holdsSameAs(made, source, differs);
    };
    if (FileCopy::copy(source, destination, &why, safety ? sameAsSource : FileCopy::Proof(),
                       nullptr, progress))
        return true;
    reason = BXSqlDb::tr("%1 cannot be copied to %2: %3")
                 .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(destination), why)
                 .toStdString();
    return false;
}

// Refuses copies of `bytes` in all that the disk of the user database cannot hold.
bool haveRoomFor(qint64 bytes, std::string& reason)
{
    const QString refusal = FileCopy::roomRefusal(bytes, BXSqlDb::diaryPath());
    reason = refusal.toStdString();
    return refusal.isEmpty();
}

// Copies the shipped template beside the file and renames it into place once it is whole;
// false with the reason on failure.
bool copyTemplate(const QString& destination, std::string& reason)
{
    const QFileInfo source(BXSettings::getResourceDBPath() + QLatin1String(BXSqlDb::FileName));
    if (!source.exists()) {
        reason = BXSqlDb::tr("The empty diary %1 that comes with the program is missing.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    if (!source.isReadable()) {
        reason = BXSqlDb::tr("The empty diary %1 that comes with the program cannot be read.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    const QString copy = QFileInfo(workingCopy(".firstrun")).absoluteFilePath();
    if (!copyFile(source.absoluteFilePath(), copy, reason))
        return false;
    QString failure;
    if (!BXSqlDb::fixMagic(copy, &failure) && !failure.isEmpty()) {
        removeWithJournal(copy);
        reason = BXSqlDb::tr("The new database's header cannot be written: %1.").arg(failure).toStdString();
        return false;
    }
    const QString file = WorkingFile::fileBehind(QFileInfo(destination).absoluteFilePath());
    QString stays;
    if (replaceFile(copy, file, &stays) && stays.isEmpty())
        return true;
    reason = BXSqlDb::tr("The new database cannot be put in place: %1.")
                 .arg(stays.isEmpty() ? systemReason() : stays)
                 .toStdString();
    // Never opened with what an earlier file left beside it.
    removeWithJournal(stays.isEmpty() ? copy : file);
    return false;
}

// What stands at path when it is not a file: a folder, a pipe, a device or a socket.
QString specialKind(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return BXSqlDb::tr("a folder");
    if (S_ISFIFO(status.st_mode))
        return BXSqlDb::tr("a pipe");
    if (S_ISSOCK(status.st_mode))
        return BXSqlDb::tr("a socket");
    return BXSqlDb::tr("a device");
}

// Makes sure a usable file exists at path: the existing one, the data of an older
// installation or a copy of the template. Something else in the diary's place is never
// opened nor replaced.
bool provideFile(const QString& path, std::string& reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        reason = BXSqlDb::tr("Your diary %1 is %2, not a file. Move or rename it, then start the "
                             "program again.")
                     .arg(QDir::toNativeSeparators(path), specialKind(path))
                     .toStdString();
        return false;
    }
    if (const std::optional<QString> journal = BXSqlDb::journalProblem(path)) {
        reason = journal->toStdString();
        return false;
    }
    if (info.exists() && info.size() > 0) {
        if (BXSqlDb::isOlderFormat(path)) {
            reason = BXSqlDb::olderFormatMessage(path).toStdString();
            return false;
        }
        if (!isUsableFile(info)) {
            reason = BXSqlDb::tr("The diary %1 exists, but this account may not read and write it.")
                         .arg(QDir::toNativeSeparators(path))
                         .toStdString();
            return false;
        }
        return true;
    }
    if (!orvCreateDirectory(userDbFolder())) {
        reason = BXSqlDb::tr("The folder %1 cannot be made.")
                     .arg(QDir::toNativeSeparators(userDbFolder()))
                     .toStdString();
        return false;
    }
    QString notImported;
    if (BXSqlDb::importPreviousUserData(&notImported))
        return true;
    // The data the user chose to take over is never replaced by an empty diary in silence.
    reason = notImported.toStdString();
    return notImported.isEmpty() && copyTemplate(path, reason);
}

bool isCurrentVersion(int version)
{
    return version >= BXSqlDb::CurrentSchemaVersion
        && version <= BXSqlDb::LastCompatibleSchemaVersion;
}

// The indexes that a day, a month and the sums read through, and those that find the highest
// custom id the entries and favourites name when an id is given. Databases written before
// they were part of the schema get them here.
//
// A check-in carries each measurement forward from the latest day that recorded it. The
// partial indexes hold just the days with a value, so finding that day is one step back
// however many check-ins lie between.
const char* const DiaryIndexes[] = {
    "CREATE INDEX IF NOT EXISTS food_diary_user_date ON food_diary(user_id, date)",
    "CREATE INDEX IF NOT EXISTS exer_diary_user_date ON exer_diary(user_id, date)",
    "CREATE INDEX IF NOT EXISTS food_diary_ref ON food_diary(ref_id)",
    "CREATE INDEX IF NOT EXISTS food_mealplan_ref ON food_mealplan(ref_id)",
    "CREATE INDEX IF NOT EXISTS favorites_item ON favorites(item_type, item_id)",
    // The user's own trees are read from their roots down, category by category.
    "CREATE INDEX IF NOT EXISTS custom_food_cats_parent ON custom_food_cats(parent_id)",
    "CREATE INDEX IF NOT EXISTS custom_exercise_cats_parent ON custom_exercise_cats(parent_id)",
    "CREATE INDEX IF NOT EXISTS custom_foods_category ON custom_foods(category_id)",
    "CREATE INDEX IF NOT EXISTS custom_exercises_category ON custom_exercises(category_id)",
    "CREATE INDEX IF NOT EXISTS group_diary_saved ON group_diary(user_id) WHERE date IS NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_weight ON user_checkins(user_id, date) "
    "WHERE weight IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_chest ON user_checkins(user_id, date) "
    "WHERE chest IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_waist ON user_checkins(user_id, date) "
    "WHERE waist IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_hip ON user_checkins(user_id, date) "
    "WHERE hip IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_thigh ON user_checkins(user_id, date) "
    "WHERE thigh IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_steps ON user_checkins(user_id, date) "
    "WHERE steps IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_misc_activity ON user_misc(user_id, date) "
    "WHERE activity IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_misc_goal ON user_misc(user_id, date) "
    "WHERE goal IS NOT NULL",
};

// A failure of the store that stopped the making of the indexes, if any; an index that the
// diary refuses (its table lacking, say) only slows the reading.
StoreOutcome ensureDiaryIndexes()
{
    for (const char* sql : DiaryIndexes) {
        BXSqlQuery create(sql);
        if (create.exec())
            continue;
        if (create.outcome().lost())
            return create.outcome();
        qWarning("Could not create a diary index; reading the diary may be slow: %s", sql);
    }
    return {};
}

bool fail(std::string& error, const std::string& text)
{
    error = text;
    BXSqlDb::cleanUp();
    return false;
}

// What the user can do about a file that does not open as a diary. The file is never
// removed: it may still be rescued.
std::string damagedFile(const QString& path)
{
    return BXSqlDb::tr(
               "Cannot start program as database may be corrupted: %1 cannot be read as a "
               "diary.\n\nThe file has been left as it is. To go on, move it to another folder "
               "(keep it: it may still be rescued) and start the program again. It then begins "
               "with a new, empty diary, into which you can restore your latest backup with "
               "Restore Data in the File menu.")
        .arg(QDir::toNativeSeparators(path))
        .toStdString();
}

QString inUseText(const QString& path)
{
    return BXSqlDb::tr("Your diary %1 is in use by another program (a backup tool or a database "
                       "shell, say). Let that program finish or close it, then try again.")
        .arg(QDir::toNativeSeparators(path));
}

// The file does not open as a diary: `outcome` says it is damaged, so that the start may offer
// to restore a backup in its place.
bool damaged(const QString& path, std::string& error, StoreOutcome* outcome)
{
    BXSqlDb::cleanUp();
    // A restored copy still has the data as it was kept beside it, which the restore's end
    // puts back: the way out that the diary's own damage needs does not apply.
    error = restorePending()
        ? BXSqlDb::tr("The restored copy %1 cannot be read as a diary: it is damaged.")
              .arg(QDir::toNativeSeparators(path))
              .toStdString()
        : damagedFile(path);
    if (outcome)
        *outcome = StoreOutcome(StoreOutcome::Reason::Damaged, QString());
    return false;
}

// The diary could not be read for a reason of the system (a read error, too many files open):
// the file may well be whole, and is left as it is.
std::string notRead(const QString& path, const QString& reason)
{
    return BXSqlDb::tr("Your diary %1 cannot be read now: %2. The file has been left as it is; "
                       "try again.")
        .arg(QDir::toNativeSeparators(path), reason)
        .toStdString();
}

// Another program holds the diary for longer than the busy wait: `outcome` is Busy, so that the
// start may ask to try again.
bool held(const QString& path, std::string& error, StoreOutcome* outcome)
{
    BXSqlDb::cleanUp();
    if (outcome)
        *outcome = StoreOutcome(StoreOutcome::Reason::Busy, QString());
    error = inUseText(path).toStdString();
    return false;
}

// Whether `stopped` says why the diary could not be read (another program's hold, damage, a fault
// of the system) rather than why one statement was refused.
bool stopsReading(const StoreOutcome& stopped)
{
    return stopped.busy() || stopped.reason() == StoreOutcome::Reason::Damaged
        || (stopped.systemFault() && stopped.reason() == StoreOutcome::Reason::Other);
}

// The diary could not be read: told by what stopped the reading, its damage proven now.
bool notReadBecause(const QString& path, const StoreOutcome& stopped, std::string& error,
                    StoreOutcome* outcome)
{
    const StoreOutcome found = FailureCause::proven(stopped, path);
    if (found.busy())
        return held(path, error, outcome);
    if (found.reason() == StoreOutcome::Reason::Damaged)
        return damaged(path, error, outcome);
    BXSqlDb::cleanUp();
    error = notRead(path, found.detail());
    return false;
}

// Whether SQLite reads the file; otherwise `error` says why: another program holds it for
// longer than the busy wait (then `outcome` is Busy), SQLite finds it damaged or no database,
// or the system's reason.
bool isReadableDiary(const QString& path, std::string& error, StoreOutcome* outcome)
{
    const FileClaim probe(path, FileClaim::Mode::Read, BXSqlDb::busyTimeout());
    switch (probe.state()) {
    case FileClaim::State::Held:
        return true;
    case FileClaim::State::Busy:
        return held(path, error, outcome);
    case FileClaim::State::Failed:
        error = BXSqlDb::tr("Your diary %1 cannot be opened: %2.")
                    .arg(QDir::toNativeSeparators(path), probe.reason())
                    .toStdString();
        return false;
    case FileClaim::State::Damaged:
        break;
    }
    return notReadBecause(path, StoreOutcome(StoreOutcome::Reason::Damaged, probe.reason()), error,
                          outcome);
}

// The schema version as it is stored in the running connection's file; nothing when there is
// none or it could not be read: then `stopped` says why, when the reading failed.
std::optional<QVariant> storedVersion(StoreOutcome* stopped)
{
    BXSqlQuery statement("SELECT itemvalue FROM userdata_meta WHERE itemkey = 'schema_version'");
    const std::optional<bool> found = statement.first();
    *stopped = statement.outcome();
    return found.value_or(false) ? std::optional<QVariant>(statement.value(0)) : std::nullopt;
}

// The number of a stored schema version; nothing when it is none.
std::optional<int> versionOf(const QVariant& stored)
{
    bool number = false;
    const int version = stored.toString().trimmed().toInt(&number);
    return number ? std::optional<int>(version) : std::nullopt;
}

} // namespace

int BXSqlDb::getVersion()
{
    StoreOutcome stopped;
    const std::optional<QVariant> stored = storedVersion(&stopped);
    if (!stopped)
        throw BXException::ofStatement(QStringLiteral("Cannot read the database schema version"),
                                       stopped);
    const std::optional<int> version = versionOf(stored.value_or(QVariant()));
    if (!version)
        throw BXException("The database has no schema version that is a number");
    return *version;
}

namespace {

// A stored schema version that is no number: the file is sound, its value is told.
std::string notAVersion(const QString& path, const QVariant& stored)
{
    constexpr qsizetype Shown = 60;
    const QString value = stored.toString();
    const QString told = stored.isNull()
        ? BXSqlDb::tr("the diary stores no format version")
        : BXSqlDb::tr("the diary's format version '%1' is not a number")
              .arg(value.size() > Shown ? value.left(Shown) + QChar(0x2026) : value);
    return BXSqlDb::tr("Your diary %1 cannot be opened: %2, so this program cannot tell how to "
                       "read it. The file has been left as it is.")
        .arg(QDir::toNativeSeparators(path), told)
        .toStdString();
}

// A reading of a file to be proven that the system failed: it says nothing of the file.
std::string notReadNow(const StoreOutcome& stopped)
{
    return BXSqlDb::tr("it could not be read just now (%1); try again").arg(stopped.detail()).toStdString();
}

// The connection could not read the file, `stopped` saying why: told apart as above. A
// database that SQLite reads but that holds no diary is damaged too.
bool unreadable(const QString& path, const StoreOutcome& stopped, std::string& error,
                StoreOutcome* outcome)
{
    BXSqlDb::cleanUp();
    if (stopsReading(stopped))
        return notReadBecause(path, stopped, error, outcome);
    return isReadableDiary(path, error, outcome) && damaged(path, error, outcome);
}

const int UpgradableVersions[] = {OldestUpgradableVersion, 205, 206, 300, 301, 302, 303, 304,
                                  305, 306, 307, 308, 309, 310, 411};

bool isUpgradableVersion(int version)
{
    return std::find(std::begin(UpgradableVersions), std::end(UpgradableVersions), version)
        != std::end(UpgradableVersions);
}

// The formats that start-up opens, as it is or upgraded, written as runs of consecutive
// versions: "204 to 206, 300 to 310, 411 to 499".
QString readableVersions()
{
    std::vector<int> versions(std::begin(UpgradableVersions), std::end(UpgradableVersions));
    for (int version = BXSqlDb::CurrentSchemaVersion;
         version <= BXSqlDb::LastCompatibleSchemaVersion; ++version)
        versions.push_back(version);
    std::sort(versions.begin(), versions.end());
    versions.erase(std::unique(versions.begin(), versions.end()), versions.end());
    QStringList runs;
    for (std::size_t first = 0; first < versions.size();) {
        std::size_t last = first;
        while (last + 1 < versions.size() && versions[last + 1] == versions[last] + 1)
            ++last;
        runs.append(first == last ? QString::number(versions[first])
                                  : BXSqlDb::tr("%1 to %2").arg(versions[first]).arg(versions[last]));
        first = last + 1;
    }
    return runs.join(QStringLiteral(", "));
}

// Why the system would not open the file at path for writing now, in its own words.
QString writeRefusal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemReason();
    ::close(fd);
    return BXSqlDb::tr("the system did not let it be written just then");
}

// The diary may be written (the start has made sure), yet SQLite opened it for reading only:
// every change would fail.
std::string openedReadOnly(const QString& path)
{
    return BXSqlDb::tr("Your diary %1 could be opened only for reading, so no change could be "
                       "kept: %2. Close programs you do not need, then try again.")
        .arg(QDir::toNativeSeparators(path), writeRefusal(path))
        .toStdString();
}

// The start could not run one of its own statements for a reason of the store itself, or
// `reason` when it is given.
std::string notPrepared(const QString& path, const StoreOutcome& stopped, const std::string& reason = {})
{
    return BXSqlDb::tr("Your diary %1 cannot be prepared for use: %2.")
        .arg(QDir::toNativeSeparators(path),
             reason.empty() ? stopped.detail() : QString::fromStdString(reason))
        .toStdString();
}

// The diary's schema is not the program's own (`differs` says how): none of it has run.
std::string foreignSchema(const QString& path, const std::string& differs)
{
    return BXSqlDb::tr("Your diary %1 is not one that this program makes, so nothing of it has "
                       "been used: %2.\n\nThe file has been left as it is. To go on, move it to "
                       "another folder (keep it: its data may still be rescued) and start the "
                       "program again. It then begins with a new, empty diary, into which you can "
                       "restore your latest backup with Restore Data in the File menu.")
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(differs))
        .toStdString();
}

std::string triggersFailed(const StoreOutcome& why)
{
    if (why.reason() == StoreOutcome::Reason::DiskFull)
        return BXSqlDb::tr("The user database cannot be prepared for use: its triggers cannot be "
                           "set up. Check that the disk is not full, then start the program again.")
            .toStdString();
    return BXSqlDb::tr("The user database cannot be prepared for use: its triggers cannot be set "
                       "up (%1).")
        .arg(why.detail())
        .toStdString();
}

std::string unsupportedVersion(int version)
{
    return BXSqlDb::tr("Your database is not supported by this software.\n"
                       "\tDatabase format: %1\n\tFormats this software reads: %2")
        .arg(version)
        .arg(readableVersions())
        .toStdString();
}

// Copies `source` to `copy` and proves the copy; the copy is removed when either fails.
bool provenCopy(const QString& source, const QString& copy, BXSqlDb::Proof proof, std::string& error,
                WorkProgress* progress = nullptr)
{
    removeWithJournal(copy);
    std::string reason;
    if (copyFile(source, copy, reason, progress)
        && BXSqlDb::proveFile(copy, proof, reason, progress) == BXSqlDb::ProofVerdict::Proven)
        return true;
    removeWithJournal(copy);
    error = reason;
    return false;
}

// The rows of a query on the schema, each column as text.
using Rows = QList<QStringList>;

// Every object of a diary's schema, as DiarySchema reads it.
const char* const MasterQuery = "SELECT type, name, tbl_name, sql FROM sqlite_master";

QString shippedDiary()
{
    return BXSettings::getResourceDBPath() + QLatin1String(BXSqlDb::FileName);
}

// The rows of each query on the shipped empty diary, which a new diary starts from and the
// upgrade of an earlier version reaches. It is read from the file's bytes, its header put
// right in memory, on a connection of its own; nothing when it cannot be read, with the reason.
std::optional<QList<Rows>> shippedRows(std::initializer_list<const char*> queries, QString* failure)
{
    std::optional<QByteArray> whole = FileCopy::readAll(shippedDiary(), failure);
    if (!whole)
        return std::nullopt;
    QByteArray& bytes = *whole;
    if (bytes.startsWith(UserDbFormat::templateBlock()))
        bytes.replace(0, UserDbFormat::sqlite3Magic().size(), UserDbFormat::sqlite3Magic());
    sqlite3* db = nullptr;
    bool read = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char*>(bytes.data()),
                               bytes.size(), bytes.size(), SQLITE_DESERIALIZE_READONLY)
            == SQLITE_OK;
    QList<Rows> results;
    for (auto query = queries.begin(); read && query != queries.end(); ++query) {
        sqlite3_stmt* statement = nullptr;
        read = sqlite3_prepare_v2(db, *query, -1, &statement, nullptr) == SQLITE_OK;
        Rows& rows = results.emplace_back();
        int step = SQLITE_DONE;
        while (read && (step = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList& row = rows.emplace_back();
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                row.append(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column))));
        }
        read = read && step == SQLITE_DONE;
        sqlite3_finalize(statement);
    }
    read = read && !results.value(0).isEmpty();
    if (!read)
        *failure = sqlite3_errcode(db) == SQLITE_OK ? BXSqlDb::tr("it holds no tables")
                                                    : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return read ? std::optional<QList<Rows>>(results) : std::nullopt;
}

// The rows of a query on the running connection; nothing when they cannot be read, with why
// (`stopped`, when given, then gets the failure).
std::optional<Rows> heldRows(const char* sql, std::string& error, StoreOutcome* stopped = nullptr)
{
    BXSqlQuery read(sql);
    Rows rows;
    if (read.readRows([&read, &rows] {
            QStringList& row = rows.emplace_back();
            for (int column = 0; column < read->record().count(); ++column)
                row.append(read.value(column).toString());
        }))
        return rows;
    if (stopped)
        *stopped = read.outcome();
    error = read.outcome().systemFault()
        ? notReadNow(read.outcome())
        : BXSqlDb::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
    return std::nullopt;
}

// The rows of the queries on the shipped empty diary; nothing when it cannot be read, with why.
std::optional<QList<Rows>> readShipped(std::initializer_list<const char*> queries, std::string& error)
{
    QString failure;
    std::optional<QList<Rows>> shipped = shippedRows(queries, &failure);
    if (!shipped)
        error = BXSqlDb::tr("the empty diary %1 that comes with the program cannot be read: %2")
                    .arg(QDir::toNativeSeparators(shippedDiary()), failure)
                    .toStdString();
    return shipped;
}

// The schema the program makes: the shipped empty diary with the indexes that every start
// makes, read once. Nothing when the shipped diary cannot be read, with why.
std::optional<DiarySchema> ownSchema(std::string& error)
{
    static QString readFrom;
    static std::optional<DiarySchema> own;
    if (own && readFrom == shippedDiary())
        return own;
    const std::optional<QList<Rows>> shipped = readShipped({MasterQuery}, error);
    if (!shipped)
        return std::nullopt;
    readFrom = shippedDiary();
    own = DiarySchema::fromRows(shipped->at(0)).withIndexes(DiaryIndexes);
    return own;
}

// The format of a diary of `version`, when it is read as it is or brought up to date.
DiarySchema::Format formatOf(int version)
{
    if (!isCurrentVersion(version))
        return DiarySchema::Format::Upgraded;
    return version > BXSqlDb::CurrentSchemaVersion ? DiarySchema::Format::Newer : DiarySchema::Format::Own;
}

// Whether the running connection's schema is the program's own for the format `version`,
// compared whole (see DiarySchema); false with what differs. Nothing when that cannot be told,
// with why (`stopped`, when given, then gets the failure of a reading of the diary).
std::optional<bool> holdsOwnSchema(int version, std::string& error, StoreOutcome* stopped = nullptr)
{
    const std::optional<DiarySchema> own = ownSchema(error);
    const std::optional<Rows> held = own ? heldRows(MasterQuery, error, stopped) : std::nullopt;
    if (!held)
        return std::nullopt;
    const DiarySchema::Differences found =
        DiarySchema::fromRows(*held).differencesFrom(*own, formatOf(version));
    QStringList told;
    if (!found.lacking.isEmpty())
        told.append(BXSqlDb::tr("it lacks what this program reads: %1").arg(found.lacking.join(QStringLiteral(", "))));
    if (!found.foreign.isEmpty())
        told.append(BXSqlDb::tr("it holds what this program does not make: %1")
                        .arg(found.foreign.join(QStringLiteral(", "))));
    error = told.join(QStringLiteral("; ")).toStdString();
    return told.isEmpty();
}

// Whether the running connection holds no trigger, which an upgrade's changes would run;
// otherwise false with the triggers, or why they cannot be read.
bool holdsNoTrigger(std::string& error)
{
    const std::optional<Rows> held = heldRows(MasterQuery, error);
    const QStringList triggers = held ? DiarySchema::fromRows(*held).triggers() : QStringList();
    if (held && !triggers.isEmpty())
        error = BXSqlDb::tr("it holds what this program does not make: %1")
                    .arg(triggers.join(QStringLiteral(", ")))
                    .toStdString();
    return held && triggers.isEmpty();
}

// SQLite's limit for the path of a file it opens, when the database at `path` with `ending`
// added (its journal's) goes beyond it: SQLite then opens nothing and tells no reason. The path
// is measured as SQLite makes it whole, links followed.
std::optional<int> pathLimitExceeded(const QString& path, qsizetype ending)
{
    sqlite3_vfs* files = sqlite3_vfs_find(nullptr);
    if (!files)
        return std::nullopt;
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    QByteArray whole(files->mxPathname + 1, '\0');
    // A path too long even to be made whole is measured as it is.
    const int made = files->xFullPathname(files, name.constData(), int(whole.size()), whole.data());
    const qsizetype length = made == SQLITE_OK || made == SQLITE_OK_SYMLINK ? qstrlen(whole.constData())
                                                                          : name.size();
    if (length + ending <= files->mxPathname)
        return std::nullopt;
    return files->mxPathname;
}

// Whether every entry of the diaries and their groups has an id that the program gives;
// otherwise false with the first that is not, or why they cannot be read. SQLite gives a new
// row the highest id plus one, so the highest id must leave a next one that the program can
// hold: an entry's a qint64, a saved meal's the 32 bits its catalogue tree names it by.
bool holdsStorableEntryIds(std::string& error)
{
    static const struct
    {
        const char* table;
        const char* column;
        qint64 last;
    } Entries[] = {{"food_diary", "food_id", HighestRowId},   {"food_mealplan", "food_id", HighestRowId},
                   {"exer_diary", "ex_id", HighestRowId},     {"exer_mealplan", "ex_id", HighestRowId},
                   {"group_diary", "group_id", SavedMealDB::LastMealId - 1}};
    for (const auto& entry : Entries) {
        const char* const table = entry.table;
        const char* const column = entry.column;
        // The ends of the id's index: the whole table is not read.
        BXSqlQuery read(QStringLiteral("SELECT (SELECT min(%1) FROM %2), (SELECT max(%1) FROM %2)")
                            .arg(QLatin1String(column), QLatin1String(table)));
        QString found;
        const auto unheld = [last = entry.last](const QVariant& id) {
            return !id.isNull() && (!isStoredId(id) || id.toLongLong() > last);
        };
        if (!read.readRows([&] {
                for (int end = 0; end < 2 && found.isEmpty(); ++end)
                    found = unheld(read.value(end)) ? read.value(end).toString() : QString();
            })) {
            error = BXSqlDb::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
            return false;
        }
        if (!found.isEmpty()) {
            error = BXSqlDb::tr("the table %1 holds an entry whose %2 is %3, an id this program "
                                "never gives")
                        .arg(QLatin1String(table), QLatin1String(column), found)
                        .toStdString();
            return false;
        }
    }
    return true;
}

// Whether the catalogues' categories of the running connection form trees, each below its
// root; otherwise false with the link found, or why they cannot be read.
bool holdsNoLoop(std::string& error)
{
    QString link;
    if (!CatalogueRoots::findBadLink(&link))
        error = BXSqlDb::tr("its tables cannot be read: %1").arg(link).toStdString();
    else if (!link.isEmpty())
        error = link.toStdString();
    return link.isEmpty();
}

} // namespace

QString BXSqlDb::diaryPath()
{
    return userDbFolder() + QLatin1String(FileName);
}

bool BXSqlDb::beginSoleTransaction(QString* inUse)
{
    const QString path = BXSqlDb::diaryPath();
    inUse->clear();
    // The one wait, ended as soon as the file is free; a program that takes the file in the
    // moment until this connection has it is told like one that held it all along.
    if (FileClaim(path, FileClaim::Mode::Sole, busyTimeout()).state() != FileClaim::State::Busy
        && mayRun(true)) {
        const StoreOutcome begun = instance()->_beginSole();
        if (!begun.busy())
            return begun.ok();
    }
    *inUse = inUseText(path);
    return false;
}

bool BXSqlDb::startUp(std::string& error, bool enableTriggers, StoreOutcome* outcome)
{
    if (outcome)
        *outcome = StoreOutcome();
    if (_instance) {
        error = "startUp called twice? should never happen";
        return false;
    }
    KeptFiles::add(QStringLiteral("diary"), &BXSqlDb::keptFiles);
    const QString path = BXSqlDb::diaryPath();
    // While a restore is being ended, a diary that has gone is never replaced by a new one:
    // the data as it was is still kept beside it.
    if (restorePending() && !QFileInfo(path).isFile()) {
        error = BXSqlDb::tr("The restored data %1 is no longer there.")
                    .arg(QDir::toNativeSeparators(path))
                    .toStdString();
        return false;
    }
    if (!restorePending() && !recoverLeftovers(error))
        return false;
    std::string reason;
    if (!provideFile(path, reason)) {
        error = BXSqlDb::tr("Could not locate, or create, the user's database (%1):\n%2")
                    .arg(path, QString::fromStdString(reason))
                    .toStdString();
        return false;
    }
    // A file that cannot be read is told by the reading below; a repair that failed here.
    QString failure;
    if (!fixMagic(path, &failure) && !failure.isEmpty()) {
        error = BXSqlDb::tr("The header of your diary %1 could not be repaired: %2.")
                    .arg(QDir::toNativeSeparators(path), failure)
                    .toStdString();
        return false;
    }
    // A file that another program holds is waited for here, before the connection reads it.
    if (!isReadableDiary(path, error, outcome))
        return false;

    bool failed = false;
    StoreOutcome stopped;
    _instance = new BXSqlDb(path, error, failed, &stopped);
    if (!failed && _instance->_isReadOnly())
        return fail(error, openedReadOnly(path));
    const std::optional<QVariant> stored = failed ? std::nullopt : storedVersion(&stopped);
    if (!stored)
        return unreadable(path, stopped, error, outcome);
    const std::optional<int> version = versionOf(*stored);
    if (!version)
        return fail(error, notAVersion(path, *stored));
    // Nothing runs on a diary that holds what the program does not make; an older one is
    // proven so on the copy that its upgrade makes.
    if (isCurrentVersion(*version)) {
        std::string differs;
        StoreOutcome unread;
        const std::optional<bool> own = holdsOwnSchema(*version, differs, &unread);
        if (!own && stopsReading(unread))
            return notReadBecause(path, unread, error, outcome);
        if (!own.value_or(false))
            return fail(error, own ? foreignSchema(path, differs) : notPrepared(path, unread, differs));
    } else {
        if (!isUpgradableVersion(*version))
            return fail(error, unsupportedVersion(*version));
        cleanUp();
        if (!upgradeOnCopy(error))
            return false;
        _instance = new BXSqlDb(path, error, failed, &stopped);
        if (failed)
            return unreadable(path, stopped, error, outcome);
    }
    if (const StoreOutcome indexed = ensureDiaryIndexes(); !indexed)
        return stopsReading(indexed) ? notReadBecause(path, indexed, error, outcome)
                                     : fail(error, notPrepared(path, indexed));
    const StoreOutcome tracked = enableTriggers ? setupSyncTriggers() : StoreOutcome();
    if (stopsReading(tracked))
        return notReadBecause(path, tracked, error, outcome);
    if (!tracked) {
        // The devices and tables that the triggers follow may sit on a damaged page.
        std::string findings;
        QString report;
        switch (checkIntegrity(findings)) {
        case Integrity::Sound:
            return fail(error, triggersFailed(tracked));
        case Integrity::Damaged:
            return damaged(path, error, outcome);
        case Integrity::Unchecked:
            return fail(error, notRead(path, splitDetails(QString::fromStdString(findings), &report)));
        }
    }
    return true;
}

// The upgrade runs on a copy beside the file, which takes the file's place only once every
// step and the integrity check have passed; the file as it was is kept as the safety copy.
// A failed upgrade leaves the file untouched, so every later start finds it as it was.
bool BXSqlDb::upgradeOnCopy(std::string& error)
{
    const QString live = BXSqlDb::diaryPath();
    const QString copy = workingCopy(".upgrading");
    const QString stamp = Clock::now().toString(QStringLiteral("yyMMdd-hhmmss"));
    const QString safety = userDbFolder() + QStringLiteral("userdata.") + stamp;
    std::string reason;
    // The upgraded copy and the copy kept as it was.
    const bool done = haveRoomFor(2 * QFileInfo(live).size(), reason)
        && provenCopy(live, copy, Proof::Upgrade, reason) && copyFile(live, safety, reason, nullptr, true);
    QString stays;
    if (done && replaceFile(copy, diaryFile(), &stays) && stays.isEmpty())
        return true;
    if (done) {
        reason = stays.isEmpty() ? systemReason().toStdString() : stays.toStdString();
        // The file as it was goes back, to what stands beside it.
        if (stays.isEmpty() || putBack(safety))
            QFile::remove(safety);
    }
    removeWithJournal(copy);
    error = BXSqlDb::tr("Your database %1 could not be brought up to date and has been left as "
                        "it was:\n%2")
                .arg(live, QString::fromStdString(reason))
                .toStdString();
    return false;
}

BXSqlDb::ProofVerdict BXSqlDb::proveFile(const QString& path, Proof proof, std::string& error,
                                         WorkProgress* progress)
{
    if (_instance) {
        error = "the user database is still open";
        return ProofVerdict::Refused;
    }
    bool failed = false;
    _instance = new BXSqlDb(path, error, failed);
    if (failed) {
        fail(error, BXSqlDb::tr("the file cannot be opened as a database: %1")
                        .arg(QString::fromStdString(error))
                        .toStdString());
        return ProofVerdict::Refused;
    }
    StoreOutcome stopped;
    const std::optional<QVariant> stored = storedVersion(&stopped);
    const int version = versionOf(stored.value_or(QVariant())).value_or(0);
    bool proven = false;
    if (stopped.systemFault())
        error = notReadNow(stopped);
    else if (stopped.busy())
        error = BXSqlDb::tr("another program holds it (a backup tool or a database shell, say); let "
                            "that program finish or close it, then try again")
                    .toStdString();
    else if (version == 0)
        error = BXSqlDb::tr("the file holds no schema version").toStdString();
    else if (!isCurrentVersion(version) && !isUpgradableVersion(version))
        error = unsupportedVersion(version);
    else
        proven = isCurrentVersion(version) || (holdsNoTrigger(error) && runUpgradeChain(error));
    // From here on the proof reads what the file holds: a statement that the system or another
    // program stopped says nothing of the file, which this action records.
    const StoreAction reading(StoreAction::Kind::Change);
    // The schema, upgraded, is the program's own before anything else reads the file; what it
    // holds is told before the triggers, which read some of it. The diary's own oddities of
    // data are its user's: it is upgraded with them, and a loop is shown broken.
    proven = proven && holdsOwnSchema(version, error).value_or(false);
    const Integrity integrity = proven ? checkIntegrity(error, progress) : Integrity::Sound;
    proven = proven && integrity == Integrity::Sound
        && (proof == Proof::Upgrade || (holdsNoLoop(error) && holdsStorableEntryIds(error)));
    proven = proven && (proof == Proof::Upgrade || (holdsOwnTrackedTables(error) && holdsOwnDevices(error)));
    const StoreOutcome tracked = proven ? setupSyncTriggers() : StoreOutcome();
    if (!tracked) {
        error = triggersFailed(tracked);
        proven = false;
    }
    const auto unread = [](const StoreOutcome& outcome) { return outcome.systemFault() || outcome.busy(); };
    const bool unproven = unread(stopped) || unread(reading.outcome()) || unread(tracked)
        || integrity == Integrity::Unchecked;
    cleanUp();
    return proven ? ProofVerdict::Proven : unproven ? ProofVerdict::Unread : ProofVerdict::Refused;
}

bool BXSqlDb::installCopy(const QString& candidate, std::string& error, WorkProgress* progress)
{
    const QString live = BXSqlDb::diaryPath();
    const QString copy = workingCopy(".restoring");
    const QString safety = workingCopy(SafetySuffix);
    // Data that an earlier restore's failure left beside the diary, put back when it was
    // reopened, was told with that failure: only this restore's end may say it went back.
    restoreUndone() = false;
    // The restored copy and the copy of the data as it was.
    if (!haveRoomFor(QFileInfo(candidate).size() + QFileInfo(live).size(), error)
        || !provenCopy(candidate, copy, Proof::Restore, error, progress))
        return false;
    QString stays;
    if (!copyFile(live, safety, error, progress, true) || !replaceFile(copy, diaryFile(), &stays)
        || !stays.isEmpty()) {
        if (error.empty())
            error = BXSqlDb::tr("The restored copy cannot take the place of %1: %2")
                        .arg(live, stays.isEmpty() ? systemReason() : stays)
                        .toStdString();
        removeWithJournal(copy);
        // The data as it was goes back, to what stands beside it; where it cannot, the next
        // start puts it back.
        if (stays.isEmpty() || putBack(safety))
            QFile::remove(safety);
        return false;
    }
    restorePending() = true;
    return true;
}

bool BXSqlDb::endRestore(bool keepRestored, std::string& error)
{
    restorePending() = false;
    QString refusal;
    QString unsynced;
    if (keepRestored && finishRestore(&refusal, &unsynced)) {
        error = unsynced.isEmpty() ? std::string() : unconfirmed(unsynced);
        return true;
    }
    cleanUp();
    const std::string unfinished = keepRestored ? notFinished(refusal) + "\n" : std::string();
    std::string notBack;
    if (putBackKeptData(notBack)) {
        error = unfinished + undoneText().toStdString();
        return !keepRestored;
    }
    error = unfinished + notBack;
    return false;
}

QStringList BXSqlDb::keptFiles()
{
    QStringList copies{diaryFile()};
    for (const char* suffix : WorkingCopies)
        copies << workingCopy(suffix);
    copies << workingCopy(FinishedSuffix) << workingCopy(SafetySuffix);
    // The copies kept before an upgrade.
    const QDir folder(userDbFolder());
    for (const QString& name : folder.entryList({QStringLiteral("userdata.??????" "-??????")}, QDir::Files))
        copies << folder.filePath(name);
    QStringList kept{BXSqlDb::diaryPath()};
    for (const QString& copy : copies) {
        for (const QString& file : {copy, copy + QLatin1String(WorkingFile::Suffix)})
            kept << file << FileCopy::companionsOf(file);
    }
    return kept;
}

BXSqlDb::Integrity BXSqlDb::checkFileIntegrity(const QString& path, std::string& error,
                                               StoreOutcome* stopped)
{
    ReadWatch::install();
    if (const std::optional<QString> journal = journalProblem(path)) {
        error = BXSqlDb::tr("the integrity check cannot run: %1").arg(*journal).toStdString();
        return Integrity::Unchecked;
    }
    const QString name = QStringLiteral("BXSqlDb_integrity");
    Integrity found = Integrity::Unchecked;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        const bool opened = db.open();
        BusyWait::install(db, busyTimeout());
        QSqlQuery check(db);
        QStringList findings;
        if (opened && check.exec(QStringLiteral("PRAGMA integrity_check"))) {
            while (check.next())
                findings.append(check.value(0).toString());
        }
        const StoreOutcome ended = FailureCause::of(
            db, db.isOpen() ? check.lastError() : openError(db.lastError(), path));
        found = FailureCause::judgeIntegrity(findings, ended, FailureCause::unreadSince(db, 0), error);
        if (stopped)
            *stopped = ended;
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

StoreOutcome BXSqlDb::outcomeOf(const QSqlError& error, const QSqlDatabase& db)
{
    return FailureCause::of(db, error);
}

StoreOutcome BXSqlDb::provenOutcome(const QSqlError& error, const QSqlDatabase& db)
{
    return FailureCause::proven(outcomeOf(error, db), db.databaseName());
}

// A damaged diary is offered its backup only where a check made now still finds the damage
// that the last failure was proven to be.
bool BXSqlDb::damageProven()
{
    if (!_instance || !_instance->m_damageProven)
        return false;
    std::string findings;
    const QString path = _instance->database().databaseName();
    _instance->m_damageProven = checkFileIntegrity(path, findings) == Integrity::Damaged;
    return _instance->m_damageProven;
}

StoreOutcome BXSqlDb::_proven(const StoreOutcome& outcome)
{
    const StoreOutcome found = FailureCause::proven(outcome, database().databaseName());
    m_damageProven = found.reason() == StoreOutcome::Reason::Damaged;
    return found;
}

QString BXSqlDb::takeUndoneRestore()
{
    return std::exchange(restoreUndone(), false) ? undoneText() : QString();
}

BXSqlDb::Integrity BXSqlDb::checkIntegrity(std::string& error, WorkProgress* progress)
{
    const QSqlDatabase db = instance()->database();
    const long failedBefore = ReadWatch::of(instance()->_handle()).failed;
    const StepWatch steps(instance()->_handle(), progress);
    BXSqlQuery check("PRAGMA integrity_check");
    QStringList findings;
    check.readRows([&check, &findings] { findings.append(check.value(0).toString()); });
    return FailureCause::judgeIntegrity(findings, check.outcome(),
                                        FailureCause::unreadSince(db, failedBefore), error);
}

QString BXSqlDb::splitDetails(const QString& text, QString* details)
{
    const qsizetype mark = text.indexOf(QLatin1String(DetailsMark));
    // Taken before *details is written, which may be the very text.
    const QString reason = mark < 0 ? text : text.left(mark);
    *details = mark < 0 ? QString() : text.mid(mark + qsizetype(std::strlen(DetailsMark)));
    return reason;
}

bool BXSqlDb::runUpgradeChain(std::string& error)
{
    struct Step
    {
        int from;
        void (*run)();
    };
    static const Step steps[] = {
        {204, upgrade204to205}, {205, upgrade205to206}, {206, upgrade206to300},
        {300, upgrade300to301}, {301, upgrade301to302}, {302, upgrade302to303},
        {303, upgrade303to304}, {304, upgrade304or305to306}, {305, upgrade304or305to306},
        {306, upgrade306to307}, {307, upgrade307to308}, {308, upgrade308to309},
        {309, upgrade309to310}, {310, upgrade310to411},
    };
    qDebug("Checking upgrades.");
    try {
        for (const Step& step : steps) {
            if (getVersion() == step.from)
                step.run();
        }
        const int version = getVersion();
        if (version != 411) {
            error = unsupportedVersion(version);
            return false;
        }
        upgrade411to412();
    } catch (const BXException& failure) {
        error = failure.message().toStdString();
        return false;
    }
    qDebug("All upgrades checked.");
    return true;
}

bool BXSqlDb::fixMagic(const QString& path, QString* failure)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    QString unread;
    const QByteArray head = FileCopy::readFrom(file, MagicSize, &unread).value_or(QByteArray());
    if (!unread.isEmpty() && failure)
        *failure = unread;
    if (head.size() < MagicSize)
        return false;
    const QByteArray block = UserDbFormat::templateBlock();
    if (!head.startsWith(block))
        return true;
    // Repaired on a copy that takes the file's place once whole, so that a repair cut short
    // leaves the file as it was.
    const QByteArray magic = UserDbFormat::sqlite3Magic();
    WorkingFile repaired(path);
    QString reason;
    if (file.seek(block.size()) && repaired.open(&reason)
        && repaired.write(magic.constData(), magic.size()) && FileCopy::copyData(file, repaired, &reason)
        && repaired.commit(&reason))
        return true;
    if (failure)
        *failure = reason.isEmpty() ? tr("the repaired copy could not be written whole") : reason;
    return false;
}

bool BXSqlDb::isOlderFormat(const QString& path)
{
    QFile file;
    const QByteArray header = UserDbFormat::sqlite2Header();
    QString unread;
    return RegularFile::open(file, path) && FileCopy::readFrom(file, header.size(), &unread) == header;
}

std::optional<QString> BXSqlDb::journalProblem(const QString& path)
{
    const QLatin1String ending("-journal");
    if (const std::optional<int> limit = pathLimitExceeded(path, ending.size()))
        return tr("The folder %1 has too long a path: the database cannot open %2 in it, as the "
                  "path of its journal would be longer than %3 bytes. Use a folder with a shorter "
                  "path, then try again.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()), QFileInfo(path).fileName())
            .arg(*limit);
    // SQLite opens the journal beside a database by name, also to read it: a pipe there would
    // hold the open for ever.
    const QString journal = path + ending;
    const std::optional<QString> problem = RegularFile::problem(journal);
    if (!problem)
        return std::nullopt;
    return tr("The journal %1 of %2 cannot be used: %3. Move or rename it, then try again.")
        .arg(QDir::toNativeSeparators(journal), QDir::toNativeSeparators(path), *problem);
}

QSqlError BXSqlDb::openError(const QSqlError& error, const QString& path)
{
    QString reason;
    const int fd = RegularFile::openDescriptor(path, &reason);
    if (fd >= 0) {
        ::close(fd);
        return error;
    }
    return QSqlError(error.driverText(),
                     QStringLiteral("%1 (%2)").arg(error.databaseText(), reason), error.type(),
                     error.nativeErrorCode());
}

QString BXSqlDb::olderFormatMessage(const QString& path)
{
    return tr("The database %1 was written by an older version of this program, "
              "in a format (SQLite 2.1) that this version cannot read. "
              "The file has been left unchanged.")
        .arg(path);
}

bool BXSqlDb::isOpenableVersion(int version)
{
    return isCurrentVersion(version) || isUpgradableVersion(version);
}

std::string getUserDbPath()
{
    return BXSqlDb::diaryPath().toStdString();
}
