#include "userdb/diaryrestore.h"

#include "core/workingfile.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryfiles.h"
#include "userdb/diarylocation.h"
#include "userdb/diaryproof.h"
#include "userdb/restorestaging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>

namespace {

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
    *refusal = DiaryRestore::tr("%1 can be neither renamed (%2) nor emptied (%3)")
                   .arg(QDir::toNativeSeparators(kept), notRenamed, file.errorString());
    return false;
}

QString notFinished(const QString& refusal)
{
    return DiaryRestore::tr("The restore cannot be made final: %1.").arg(refusal);
}

QString unconfirmed(const QString& reason)
{
    return DiaryRestore::tr("The disk did not confirm that it stored the end of the restore in %1: %2. "
                            "Should the computer stop before it does, the next start may put your "
                            "previous data back, and then says so.")
        .arg(QDir::toNativeSeparators(QFileInfo(DiaryLocation::file()).absolutePath()), reason);
}

} // namespace

StoreResult DiaryRestore::install(const QString& candidate, WorkProgress* progress)
{
    const QString live = DiaryLocation::path();
    const QString copy = DiaryLocation::workingCopy(".restoring");
    const QString safety = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    // Data that an earlier restore's failure left beside the diary, put back when it was
    // reopened, was told with that failure: only this restore's end may say it went back.
    RestoreStaging::forgetUndone();
    std::string error;
    // The restored copy and the copy of the data as it was.
    if (!DiaryFiles::haveRoomFor(QFileInfo(candidate).size() + QFileInfo(live).size(), error)
        || !DiaryProof::provenCopy(candidate, copy, DiaryProof::Proof::Restore, error, progress))
        return StoreResult(StoreResult::Kind::Refused, QString::fromStdString(error));
    QString stays;
    if (!DiaryFiles::copy(live, safety, error, progress, true) || !DiaryFiles::replace(copy, DiaryLocation::file(), &stays)
        || !stays.isEmpty()) {
        if (error.empty())
            error = tr("The restored copy cannot take the place of %1: %2")
                        .arg(live, stays.isEmpty() ? DiaryFiles::systemReason() : stays)
                        .toStdString();
        DiaryFiles::removeWithJournal(copy);
        // The data as it was goes back, to what stands beside it; where it cannot, the next
        // start puts it back.
        if (stays.isEmpty() || DiaryFiles::putBack(safety))
            QFile::remove(safety);
        return StoreResult(StoreResult::Kind::Refused, QString::fromStdString(error));
    }
    RestoreStaging::setPending(true);
    return StoreResult();
}

StoreResult DiaryRestore::end(bool keepRestored, WorkProgress* progress)
{
    RestoreStaging::setPending(false);
    QString refusal;
    QString unsynced;
    if (keepRestored && finishRestore(&refusal, &unsynced))
        return StoreResult::done(unsynced.isEmpty() ? QString() : unconfirmed(unsynced));
    BXSqlDb::cleanUp();
    const QString unfinished = keepRestored ? notFinished(refusal) + QLatin1Char('\n') : QString();
    std::string notBack;
    if (RestoreStaging::putBack(notBack, progress)) {
        const QString told = unfinished + RestoreStaging::undoneText();
        return keepRestored ? StoreResult(StoreResult::Kind::Refused, told) : StoreResult::done(told);
    }
    return StoreResult(StoreResult::Kind::Refused, unfinished + QString::fromStdString(notBack));
}
