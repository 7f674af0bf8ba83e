#pragma once

#include "core/workingfile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;
class WorkProgress;

// Every whole-file copy of the diary (the first run's template, an older installation's data,
// the copy kept before an upgrade or a restore, a backup) goes through here. A copy is written
// as a WorkingFile, so a copy cut short never looks complete; the next start removes the
// working copies left in the data and backup folders.
class FileCopy
{
public:
    // What a copy is called until it is whole.
    static constexpr const char* WorkingSuffix = WorkingFile::Suffix;

    // Checks a whole copy, named by its argument, before it takes its place; false with the
    // reason when it refuses it.
    using Proof = std::function<bool(const QString&, QString*)>;

    // Copies `source` to `destination`, replacing what is there only once the copy is whole.
    // A copy that the destination's disk cannot hold is refused before anything is written, as
    // is one whose destination has a companion (see removeCompanions) that is not a file, or that
    // stands beside no database (companionProblem). The companions of the file replaced go once
    // the copy has taken its place.
    // False with the reason, in the system's words, when a step fails; the destination is then
    // as it was and no working copy stays, except when a companion could not be removed: the
    // copy is then in place, and the reason names the companion that stays. `prove`, when
    // given, checks the whole copy (named by its argument) before it takes the destination's
    // place; false with its reason when it refuses it. `unsynced`, when given, is told as by
    // WorkingFile::commit(). `progress`, when given, is told of each block, and once it stops
    // the copy is given up before it takes the destination's place (false, with that reason).
    static bool copy(const QString& source, const QString& destination, QString* reason,
                     const Proof& prove = {},
                     QString* unsynced = nullptr, WorkProgress* progress = nullptr);
    // Copies what `in` holds from its position to its end, as its size tells when the copy
    // begins, to `out` a block at a time, each read as WholeRead::block reads it. False with the reason, in the
    // system's words, when a block cannot be read or written in full, or `progress` stopped.
    static bool copyData(QIODevice& in, WorkingFile& out, QString* reason,
                         WorkProgress* progress = nullptr);
    // WholeRead::from and WholeRead::all, by the names the diary's readers know them by.
    static std::optional<QByteArray> readFrom(QIODevice& in, qint64 bytes, QString* reason);
    static std::optional<QByteArray> readAll(const QString& path, QString* reason);
    // Whether the file `copy` holds what `source` holds, byte for byte (the proof of a copy that
    // another file's safety rests on); false with what differs, or why it cannot be told.
    static bool holdsSameAs(const QString& copy, const QString& source, QString* reason);

    // The files that SQLite keeps beside a database at `path` and plays into whatever file has
    // that name when it opens: its journal, write-ahead log and shared memory. Ones left by an
    // earlier file of the name are removed here; false with the reason, naming the one that
    // stays.
    static bool removeCompanions(const QString& path, QString* reason);
    // The names of those files.
    static QStringList companionsOf(const QString& path);
    // Why a companion of the database at `path` could not be removed: it is a folder, a pipe or
    // a device, or there is no database at `path` that it could belong to (no file, or one
    // that is no database). Nothing when there is
    // none, or each is a file or a link beside the file.
    static std::optional<QString> companionProblem(const QString& path);

    // Free bytes on the disk that holds `folder`; -1 when that cannot be told.
    static qint64 freeSpace(const QString& folder);
    // Why a file of `needed` bytes cannot be copied to `destination` (on the disk that holds
    // the file behind it, when it is a link); empty when it fits.
    static QString roomRefusal(qint64 needed, const QString& destination);
    // Replaces the measurement of free space (tests stand in for a small disk); an empty
    // function restores the system's.
    static void setFreeSpaceProbe(std::function<qint64(const QString&)> probe);
    // Removes the working copies of files named like `ofName` (a wildcard pattern) that a copy
    // cut short left in `folder`: those that this program made (WorkingFile::isOwn) alone.
    static void removeWorkingCopies(const QString& folder, const QString& ofName = QStringLiteral("*"));
};
