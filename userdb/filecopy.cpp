#include "userdb/filecopy.h"

#include "core/regularfile.h"
#include "core/wholeread.h"
#include "core/workprogress.h"
#include "userdb/userdbformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/statvfs.h>

#include <cstring>

namespace {

std::function<qint64(const QString&)>& freeSpaceProbe()
{
    static std::function<qint64(const QString&)> probe;
    return probe;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("FileCopy", text);
}

// What SQLite adds to a database's name for the files it keeps beside it.
const char* const CompanionSuffixes[] = {"-journal", "-wal", "-shm"};

QString cancelledText()
{
    return tr("The copy was cancelled");
}

QString dataSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// Whether the file at `path` begins as every database does: only then are the journal, log
// and shared memory beside it SQLite's for that file.
bool isDatabase(const QString& path)
{
    QFile file;
    QString unread;
    return RegularFile::open(file, path) && WholeRead::from(file, UserDbFormat::sqlite3Magic().size(), &unread) == UserDbFormat::sqlite3Magic();
}

} // namespace

bool FileCopy::copyData(QIODevice& in, WorkingFile& out, QString* reason, WorkProgress* progress)
{
    // What the file holds is told once, when the copy begins: a read that ends before it is a
    // fault of the system, never the end of the file.
    const qint64 size = in.size();
    QByteArray block(WholeRead::BlockSize, Qt::Uninitialized);
    for (qint64 held = in.pos(); held < size;) {
        if (progress && !progress->advance(held, size)) {
            *reason = cancelledText();
            return false;
        }
        const qint64 wanted = qMin(WholeRead::BlockSize, size - held);
        if (!WholeRead::block(in, held, size, block.data(), wanted, reason))
            return false;
        if (!out.write(block.constData(), wanted)) {
            *reason = out.device().errorString();
            return false;
        }
        held += wanted;
    }
    return true;
}

std::optional<QByteArray> FileCopy::readFrom(QIODevice& in, qint64 bytes, QString* reason)
{
    return WholeRead::from(in, bytes, reason);
}

std::optional<QByteArray> FileCopy::readAll(const QString& path, QString* reason)
{
    return WholeRead::all(path, reason);
}

bool FileCopy::holdsSameAs(const QString& copy, const QString& source, QString* reason)
{
    QFile made;
    QFile original;
    QString why;
    if (!RegularFile::open(made, copy, &why) || !RegularFile::open(original, source, &why)) {
        *reason = tr("the copy cannot be checked: %1").arg(why);
        return false;
    }
    const qint64 size = original.size();
    if (made.size() != size) {
        *reason = tr("the copy holds %1 bytes where %2 holds %3")
                      .arg(made.size())
                      .arg(QDir::toNativeSeparators(source))
                      .arg(size);
        return false;
    }
    QByteArray mine(WholeRead::BlockSize, Qt::Uninitialized);
    QByteArray theirs(WholeRead::BlockSize, Qt::Uninitialized);
    for (qint64 held = 0; held < size; held += WholeRead::BlockSize) {
        const qint64 wanted = qMin(WholeRead::BlockSize, size - held);
        if (!WholeRead::block(made, held, size, mine.data(), wanted, reason)
            || !WholeRead::block(original, held, size, theirs.data(), wanted, reason))
            return false;
        if (std::memcmp(mine.constData(), theirs.constData(), size_t(wanted)) != 0) {
            *reason = tr("the copy differs from %1 from byte %2 on")
                          .arg(QDir::toNativeSeparators(source))
                          .arg(held);
            return false;
        }
    }
    return true;
}

bool FileCopy::copy(const QString& source, const QString& destination, QString* reason,
                    const Proof& prove, QString* unsynced,
                    WorkProgress* progress)
{
    const QFileInfo sourceInfo(source);
    // A pipe or a device would block the copy, or never end it.
    if (sourceInfo.exists() && !sourceInfo.isFile()) {
        *reason = tr("%1 is not a file").arg(QDir::toNativeSeparators(source));
        return false;
    }
    QFile in;
    QString why;
    if (!RegularFile::open(in, source, &why)) {
        *reason = tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(source), why);
        return false;
    }
    const QString refusal = roomRefusal(in.size(), destination);
    if (!refusal.isEmpty()) {
        *reason = refusal;
        return false;
    }
    if (const std::optional<QString> problem = companionProblem(WorkingFile::fileBehind(destination))) {
        *reason = *problem;
        return false;
    }
    WorkingFile out(destination);
    if (!out.open(reason))
        return false;
    if (!copyData(in, out, reason, progress))
        return false;
    if (prove && (!out.device().flush() || !prove(out.device().fileName(), reason)))
        return false;
    // The last moment to stop: from here on the copy takes the destination's place.
    if (progress && !progress->advance(in.size(), in.size())) {
        *reason = cancelledText();
        return false;
    }
    return out.commit(reason, unsynced) && removeCompanions(WorkingFile::fileBehind(destination), reason);
}

QStringList FileCopy::companionsOf(const QString& path)
{
    QStringList names;
    for (const char* suffix : CompanionSuffixes)
        names << path + QLatin1String(suffix);
    return names;
}

bool FileCopy::removeCompanions(const QString& path, QString* reason)
{
    for (const QString& name : companionsOf(path)) {
        QFile companion(name);
        const QFileInfo info(companion.fileName());
        if ((info.exists() || info.isSymLink()) && !companion.remove()) {
            *reason = tr("%1 is in place, but %2 beside it, left by an earlier file of that name, "
                         "cannot be removed: %3. Remove %2 before the file is used")
                          .arg(QDir::toNativeSeparators(path),
                               QDir::toNativeSeparators(companion.fileName()), companion.errorString());
            return false;
        }
    }
    return true;
}

std::optional<QString> FileCopy::companionProblem(const QString& path)
{
    const QFileInfo file(path);
    const bool replaced = file.exists() || file.isSymLink();
    const bool database = replaced && isDatabase(path);
    for (const QString& name : companionsOf(path)) {
        const QFileInfo companion(name);
        // Beside no file, or beside one that is no database, it was left by something else:
        // it is never removed, nor played into the copy.
        if (!database && (companion.exists() || companion.isSymLink()))
            return tr("%1 stands beside %2, which %3, so it is no part of that file, and it "
                      "would be taken for a part of the copy. Move it away or choose another "
                      "name, then try again")
                .arg(QDir::toNativeSeparators(companion.filePath()), QDir::toNativeSeparators(path),
                     replaced ? tr("is no diary") : tr("does not exist"));
        if (companion.exists() && !companion.isFile() && !companion.isSymLink())
            return tr("%1 stands beside %2 and is not a file, so it cannot be removed once %2 is "
                      "replaced. Move it away, then try again")
                .arg(QDir::toNativeSeparators(companion.filePath()), QDir::toNativeSeparators(path));
    }
    return std::nullopt;
}

qint64 FileCopy::freeSpace(const QString& folder)
{
    if (freeSpaceProbe())
        return freeSpaceProbe()(folder);
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return -1;
    return qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

QString FileCopy::roomRefusal(qint64 needed, const QString& destination)
{
    const QString folder = QFileInfo(WorkingFile::fileBehind(destination)).absolutePath();
    const qint64 free = freeSpace(folder);
    if (free < 0 || needed <= free)
        return QString();
    return tr("%1 are needed on the disk of %2, but only %3 are free. Make room on that disk, "
              "then try again")
        .arg(dataSize(needed), QDir::toNativeSeparators(folder), dataSize(free));
}

void FileCopy::setFreeSpaceProbe(std::function<qint64(const QString&)> probe)
{
    freeSpaceProbe() = std::move(probe);
}

void FileCopy::removeWorkingCopies(const QString& folder, const QString& ofName)
{
    const QDir dir(folder);
    const QStringList left =
        dir.entryList({ofName + QLatin1String(WorkingSuffix)}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : left) {
        if (WorkingFile::isOwn(dir.filePath(name)))
            QFile::remove(dir.filePath(name));
    }
}
