#include "userdb/restorestaging.h"

#include "core/workingfile.h"
#include "userdb/diaryfiles.h"
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

// Set from the moment a restored copy takes the diary's place until its restore ends: the copy of
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
    return RestoreStaging::tr("Your data, kept in %1 while a restore ran, cannot be put back in place "
                              "of %2: %3. Keep that file (it may be the one copy of your data) and "
                              "make its folder writable, then start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)),
             QDir::toNativeSeparators(DiaryLocation::file()), DiaryFiles::systemReason())
        .toStdString();
}

std::string notWhole(const QString& reason)
{
    return RestoreStaging::tr("Your data, kept in %1 while a restore ran, is not a whole diary (%2), so "
                              "it has not been put back in place of %3. Both files have been left as "
                              "they are. Keep %1 (it may still be rescued) and move it to another "
                              "folder, then start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)), reason,
             QDir::toNativeSeparators(DiaryLocation::file()))
        .toStdString();
}

std::string notChecked(const QString& reason)
{
    return RestoreStaging::tr("Your data, kept in %1 while a restore ran, could not be checked (%2), so "
                              "it has not been put back in place of %3 yet. Both files have been left "
                              "as they are. Keep %1: it is put back once it can be checked, when you "
                              "try again or start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix)), reason,
             QDir::toNativeSeparators(DiaryLocation::file()))
        .toStdString();
}

// Whether the file reads as a whole diary: otherwise the reason, Damaged when it is empty, cut
// short or fails the integrity check, Unread when the check could not run or `progress` stopped it.
StoreResult::Kind isWholeDiary(const QString& path, QString* reason, WorkProgress* progress)
{
    if (QFileInfo(path).size() == 0) {
        *reason = RestoreStaging::tr("it is empty");
        return StoreResult::Kind::Damaged;
    }
    const StoreResult found = FileIntegrity::check(path, nullptr, progress);
    QString report;
    *reason = StoreResult::splitDetails(found.message(), &report);
    return found.kind();
}

} // namespace

bool RestoreStaging::putBack(std::string& error, WorkProgress* progress)
{
    const QString file = DiaryLocation::file();
    const QString kept = DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    // Never opened as a database, the copy has no journal of its own.
    QFile::remove(kept + QStringLiteral("-journal"));
    QString reason;
    const StoreResult::Kind found = isWholeDiary(kept, &reason, progress);
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

QString RestoreStaging::takeUndone()
{
    return std::exchange(restoreUndone(), false) ? undoneText() : QString();
}

bool RestoreStaging::pending()
{
    return restorePending();
}

StoreResult RestoreStaging::undoLeftOver(WorkProgress* progress)
{
    std::string error;
    if (!putBack(error, progress))
        return StoreResult(StoreResult::Kind::Refused, QString::fromStdString(error));
    restoreUndone() = true;
    return StoreResult();
}

QString RestoreStaging::undoneText()
{
    return tr("The restore did not finish; your data is as it was before it.");
}

void RestoreStaging::setPending(bool pending)
{
    restorePending() = pending;
}

void RestoreStaging::forgetUndone()
{
    restoreUndone() = false;
}
