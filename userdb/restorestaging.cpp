#include "userdb/restorestaging.h"

#include "core/workingfile.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryfiles.h"
#include "userdb/diaryproof.h"
#include "userdb/diarylocation.h"
#include "userdb/fileintegrity.h"
#include "userdb/storeresult.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// Set from the moment a restored copy takes the diary's place until end(): the copy of
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
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)),
             QDir::toNativeSeparators(DiaryLocation::file()), DiaryFiles::systemReason())
        .toStdString();
}

std::string notWhole(const QString& reason)
{
    return BXSqlDb::tr("Your data, kept in %1 while a restore ran, is not a whole diary (%2), so "
                       "it has not been put back in place of %3. Both files have been left as "
                       "they are. Keep %1 (it may still be rescued) and move it to another "
                       "folder, then start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)), reason,
             QDir::toNativeSeparators(DiaryLocation::file()))
        .toStdString();
}

std::string notChecked(const QString& reason)
{
    return BXSqlDb::tr("Your data, kept in %1 while a restore ran, could not be checked (%2), so "
                       "it has not been put back in place of %3 yet. Both files have been left "
                       "as they are. Keep %1: it is put back once it can be checked, when you "
                       "try again or start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)), reason,
             QDir::toNativeSeparators(DiaryLocation::file()))
        .toStdString();
}

// Whether the file reads as a whole diary: otherwise the reason, Damaged when it is empty, cut
// short or fails the integrity check, Unread when the check could not run.
StoreResult::Kind isWholeDiary(const QString& path, QString* reason)
{
    if (QFileInfo(path).size() == 0) {
        *reason = BXSqlDb::tr("it is empty");
        return StoreResult::Kind::Damaged;
    }
    const StoreResult found = FileIntegrity::check(path);
    QString report;
    *reason = StoreResult::splitDetails(QString::fromStdString(found.message()), &report);
    return found.kind();
}

// Puts the copy of the data kept during a restore back in the diary's place, with no journal
// of the restored copy beside it. False with what the user is told when it is not a whole
// diary (both files then stay as they are) or the rename failed.
bool putBackKeptData(std::string& error)
{
    const QString file = DiaryLocation::file();
    const QString kept = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    // Never opened as a database, the copy has no journal of its own.
    QFile::remove(kept + QStringLiteral("-journal"));
    QString reason;
    const StoreResult::Kind found = isWholeDiary(kept, &reason);
    if (found != StoreResult::Kind::Done) {
        error = found == StoreResult::Kind::Damaged ? notWhole(reason) : notChecked(reason);
        return false;
    }
    QString stays;
    if (!DiaryFiles::replace(kept, file, &stays)) {
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
    const QString kept = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    const QString finished = DiaryLocation::workingCopy(DiaryLocation::FinishedSuffix);
    // One that is gone can undo nothing either. The file goes right after, so what stays beside
    // it is played into nothing.
    QString stays;
    if (DiaryFiles::replace(kept, finished, &stays) || errno == ENOENT) {
        if (!WorkingFile::syncFolder(finished))
            *unsynced = DiaryFiles::systemReason();
        DiaryFiles::removeWithJournal(finished);
        return true;
    }
    const QString notRenamed = DiaryFiles::systemReason();
    QFile file(kept);
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && file.resize(0)) {
        if (::fsync(file.handle()) != 0)
            *unsynced = DiaryFiles::systemReason();
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
        .arg(QDir::toNativeSeparators(QFileInfo(DiaryLocation::file()).absolutePath()), reason)
        .toStdString();
}

} // namespace

StoreResult RestoreStaging::install(const QString& candidate, WorkProgress* progress)
{
    const QString live = DiaryLocation::path();
    const QString copy = DiaryLocation::workingCopy(".restoring");
    const QString safety = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    // Data that an earlier restore's failure left beside the diary, put back when it was
    // reopened, was told with that failure: only this restore's end may say it went back.
    restoreUndone() = false;
    std::string error;
    // The restored copy and the copy of the data as it was.
    if (!DiaryFiles::haveRoomFor(QFileInfo(candidate).size() + QFileInfo(live).size(), error)
        || !DiaryProof::provenCopy(candidate, copy, BXSqlDb::Proof::Restore, error, progress))
        return StoreResult(StoreResult::Kind::Refused, error);
    QString stays;
    if (!DiaryFiles::copy(live, safety, error, progress, true) || !DiaryFiles::replace(copy, DiaryLocation::file(), &stays)
        || !stays.isEmpty()) {
        if (error.empty())
            error = BXSqlDb::tr("The restored copy cannot take the place of %1: %2")
                        .arg(live, stays.isEmpty() ? DiaryFiles::systemReason() : stays)
                        .toStdString();
        DiaryFiles::removeWithJournal(copy);
        // The data as it was goes back, to what stands beside it; where it cannot, the next
        // start puts it back.
        if (stays.isEmpty() || DiaryFiles::putBack(safety))
            QFile::remove(safety);
        return StoreResult(StoreResult::Kind::Refused, error);
    }
    restorePending() = true;
    return StoreResult();
}

StoreResult RestoreStaging::end(bool keepRestored)
{
    restorePending() = false;
    QString refusal;
    QString unsynced;
    if (keepRestored && finishRestore(&refusal, &unsynced))
        return StoreResult::done(unsynced.isEmpty() ? std::string() : unconfirmed(unsynced));
    BXSqlDb::cleanUp();
    const std::string unfinished = keepRestored ? notFinished(refusal) + "\n" : std::string();
    std::string notBack;
    if (putBackKeptData(notBack)) {
        const std::string told = unfinished + undoneText().toStdString();
        return keepRestored ? StoreResult(StoreResult::Kind::Refused, told) : StoreResult::done(told);
    }
    return StoreResult(StoreResult::Kind::Refused, unfinished + notBack);
}

QString RestoreStaging::takeUndone()
{
    return std::exchange(restoreUndone(), false) ? undoneText() : QString();
}

bool RestoreStaging::pending()
{
    return restorePending();
}

StoreResult RestoreStaging::undoLeftOver()
{
    std::string error;
    if (!putBackKeptData(error))
        return StoreResult(StoreResult::Kind::Refused, error);
    restoreUndone() = true;
    return StoreResult();
}
