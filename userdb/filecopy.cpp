#include "userdb/filecopy.h"

#include "core/regularfile.h"
#include "core/workprogress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/statvfs.h>

namespace {

const qint64 CopyChunkSize = qint64(1) << 20;

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

} // namespace

bool FileCopy::copyData(QIODevice& in, WorkingFile& out, WorkProgress* progress)
{
    QByteArray block(CopyChunkSize, Qt::Uninitialized);
    for (;;) {
        if (progress && !progress->advance(in.pos(), in.size()))
            return false;
        const qint64 got = in.read(block.data(), block.size());
        if (got == 0)
            return true;
        if (got < 0 || !out.write(block.constData(), got))
            return false;
    }
}

bool FileCopy::copy(const QString& source, const QString& destination, QString* reason,
                    const std::function<bool(const QString&, QString*)>& prove, QString* unsynced,
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
    if (!copyData(in, out, progress)) {
        *reason = progress && progress->stopped() ? cancelledText()
            : out.device().error() != QFileDevice::NoError ? out.device().errorString()
                                                           : in.errorString();
        return false;
    }
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
    for (const QString& name : companionsOf(path)) {
        const QFileInfo companion(name);
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
    for (const QString& name : left)
        QFile::remove(dir.filePath(name));
}
