#include "userdb/diarykeptfiles.h"

#include "core/workingfile.h"
#include "userdb/diaryfiles.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"
#include "userdb/restorestaging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A diary that holds nothing beside the data that a finished restore replaced: the restored
// data is lost, and that copy may be the one left of the user's data.
QString emptyBesideKept()
{
    return DiaryKeptFiles::tr("Your diary %1 holds nothing, while %2 beside it holds your data as it "
                       "was before a restore. Both files have been left as they are. Put %2 in "
                       "place of %1 to go on with that data, or move it to another folder to "
                       "begin with an empty diary, then start the program again.")
        .arg(QDir::toNativeSeparators(DiaryLocation::file()),
             QDir::toNativeSeparators(DiaryLocation::workingCopy(DiaryLocation::FinishedSuffix)));
}

} // namespace

StoreResult DiaryKeptFiles::recoverLeftovers(WorkProgress* progress)
{
    const QFileInfo kept(DiaryLocation::workingCopy(DiaryLocation::SafetySuffix));
    if (kept.isFile() && kept.size() == 0) {
        QFile::remove(kept.filePath());
    } else if (kept.isFile()) {
        if (const StoreResult undone = RestoreStaging::undoLeftOver(progress); !undone)
            return undone;
    }
    const QFileInfo diary(DiaryLocation::file());
    if (QFileInfo(DiaryLocation::workingCopy(DiaryLocation::FinishedSuffix)).size() > 0 && diary.size() == 0
        && (diary.isFile() || !diary.exists())) {
        return StoreResult(StoreResult::Kind::Refused, emptyBesideKept());
    }
    for (const char* suffix : DiaryLocation::WorkingCopies)
        DiaryFiles::removeWithJournal(DiaryLocation::workingCopy(suffix));
    DiaryFiles::removeWithJournal(DiaryLocation::workingCopy(DiaryLocation::FinishedSuffix));
    FileCopy::removeWorkingCopies(DiaryLocation::folder(), QStringLiteral("userdata*"));
    const QFileInfo file(DiaryLocation::file());
    FileCopy::removeWorkingCopies(file.absolutePath(), file.fileName() + QLatin1Char('*'));
    return StoreResult();
}

QStringList DiaryKeptFiles::list()
{
    QStringList copies{DiaryLocation::file()};
    for (const char* suffix : DiaryLocation::WorkingCopies)
        copies << DiaryLocation::workingCopy(suffix);
    copies << DiaryLocation::workingCopy(DiaryLocation::FinishedSuffix) << DiaryLocation::workingCopy(DiaryLocation::SafetySuffix);
    // The copies kept before an upgrade.
    const QDir folder(DiaryLocation::folder());
    for (const QString& name : folder.entryList({QStringLiteral("userdata.??????" "-??????")}, QDir::Files))
        copies << folder.filePath(name);
    QStringList kept{DiaryLocation::path()};
    for (const QString& copy : copies) {
        for (const QString& file : {copy, copy + QLatin1String(WorkingFile::Suffix)})
            kept << file << FileCopy::companionsOf(file);
    }
    return kept;
}
