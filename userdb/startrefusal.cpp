#include "userdb/startrefusal.h"

#include "userdb/busywait.h"
#include "userdb/diaryinuse.h"
#include "userdb/fileclaim.h"
#include "userdb/fileintegrity.h"
#include "userdb/restorestaging.h"

#include <QDir>

namespace {

// What the user can do about a file that does not open as a diary. The file is never
// removed: it may still be rescued.
QString damagedFile(const QString& path)
{
    return StartRefusal::tr(
               "Cannot start program as database may be corrupted: %1 cannot be read as a "
               "diary.\n\nThe file has been left as it is. To go on, move it to another folder "
               "(keep it: it may still be rescued) and start the program again. It then begins "
               "with a new, empty diary, into which you can restore your latest backup with "
               "Restore Data in the File menu.")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

StoreResult StartRefusal::fail(const QString& text)
{
    return StoreResult(StoreResult::Kind::Refused, text);
}

QString StartRefusal::inUseText(const QString& path)
{
    return StartRefusal::tr("Your diary %1 is in use by %2. %3")
        .arg(QDir::toNativeSeparators(path), DiaryInUse::holder(), DiaryInUse::advice());
}

// The file does not open as a diary: Damaged, so that the start may offer to restore a backup
// in its place.
StoreResult StartRefusal::damaged(const QString& path)
{
    // A restored copy still has the data as it was kept beside it, which the restore's end
    // puts back: the way out that the diary's own damage needs does not apply.
    return StoreResult(StoreResult::Kind::Damaged,
                       RestoreStaging::pending()
                           ? StartRefusal::tr("The restored copy %1 cannot be read as a diary: it is damaged.")
                                 .arg(QDir::toNativeSeparators(path))
                           : damagedFile(path));
}

// The diary could not be read for a reason of the system (a read error, too many files open):
// the file may well be whole, and is left as it is.
QString StartRefusal::notRead(const QString& path, const QString& reason)
{
    return StartRefusal::tr("Your diary %1 cannot be read now: %2. The file has been left as it is; "
                       "try again.")
        .arg(QDir::toNativeSeparators(path), reason);
}

// Another program holds the diary for longer than the busy wait: Busy, so that the start may
// ask to try again.
StoreResult StartRefusal::held(const QString& path)
{
    return StoreResult(StoreResult::Kind::Busy, StartRefusal::inUseText(path));
}

// Whether `stopped` says why the diary could not be read (another program's hold, damage, a fault
// of the system other than a full disk or a file that may not be written) rather than why one
// statement was refused.
bool StartRefusal::stopsReading(const StoreResult& stopped)
{
    switch (stopped.kind()) {
    case StoreResult::Kind::Busy:
    case StoreResult::Kind::Damaged:
    case StoreResult::Kind::Unread:
        return true;
    default:
        return false;
    }
}

// The diary could not be read: told by what stopped the reading, its damage proven now.
StoreResult StartRefusal::notReadBecause(const QString& path, const StoreResult& stopped)
{
    const StoreResult found = FileIntegrity::proven(stopped, path);
    if (found.busy())
        return StartRefusal::held(path);
    if (found.kind() == StoreResult::Kind::Damaged)
        return StartRefusal::damaged(path);
    return StartRefusal::fail(StartRefusal::notRead(path, found.message()));
}

// Done when SQLite reads the file; otherwise why: another program holds it for longer than the
// busy wait (Busy), SQLite finds it damaged or no database, or the system's reason.
StoreResult StartRefusal::isReadableDiary(const QString& path)
{
    const FileClaim probe(path, FileClaim::Mode::Read, BusyWait::timeout());
    switch (probe.state()) {
    case FileClaim::State::Held:
        return StoreResult();
    case FileClaim::State::Busy:
        return StartRefusal::held(path);
    case FileClaim::State::Failed:
        return StoreResult(StoreResult::Kind::Refused,
                           StartRefusal::tr("Your diary %1 cannot be opened: %2.")
                               .arg(QDir::toNativeSeparators(path), probe.reason()));
    case FileClaim::State::Damaged:
        break;
    }
    return StartRefusal::notReadBecause(path, StoreResult(StoreResult::Kind::Damaged, probe.reason()));
}

// The connection could not read the file, `stopped` saying why: told apart as above. A
// database that SQLite reads but that holds no diary is damaged too.
StoreResult StartRefusal::unreadable(const QString& path, const StoreResult& stopped)
{
    if (StartRefusal::stopsReading(stopped))
        return StartRefusal::notReadBecause(path, stopped);
    const StoreResult readable = StartRefusal::isReadableDiary(path);
    return readable ? StartRefusal::damaged(path) : readable;
}

std::string StartRefusal::notReadNow(const StoreResult& stopped)
{
    return tr("it could not be read just now (%1); try again").arg(stopped.message()).toStdString();
}
