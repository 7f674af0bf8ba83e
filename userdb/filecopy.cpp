#include "userdb/filecopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const qint64 CopyChunkSize = qint64(1) << 20;
// The diary and every copy of it are the user's alone.
const QFile::Permissions PrivateFile = QFile::ReadOwner | QFile::WriteOwner;

std::function<qint64(const QString&)>& freeSpaceProbe()
{
    static std::function<qint64(const QString&)> probe;
    return probe;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("FileCopy", text);
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString dataSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// A short write is tried again for the rest, so that a failure leaves its reason in `out`.
bool writeAll(QIODevice& out, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = out.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Writes the whole source to `working` and makes it durable; false with the reason.
bool writeWorkingCopy(QFile& in, const QString& working, QString* reason)
{
    QFile out(working);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = out.errorString();
        return false;
    }
    out.setPermissions(PrivateFile);
    if (!FileCopy::copyData(in, out) || !out.flush()) {
        *reason = out.error() != QFileDevice::NoError ? out.errorString() : in.errorString();
        return false;
    }
    if (::fsync(out.handle()) != 0) {
        *reason = systemReason();
        return false;
    }
    return true;
}

} // namespace

bool FileCopy::copyData(QIODevice& in, QIODevice& out)
{
    QByteArray block(CopyChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), block.size());
        if (got == 0)
            return true;
        if (got < 0 || !writeAll(out, block.constData(), got))
            return false;
    }
}

bool FileCopy::copy(const QString& source, const QString& destination, QString* reason)
{
    const QFileInfo sourceInfo(source);
    // A pipe or a device would block the copy, or never end it.
    if (sourceInfo.exists() && !sourceInfo.isFile()) {
        *reason = tr("%1 is not a file").arg(QDir::toNativeSeparators(source));
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(source), in.errorString());
        return false;
    }
    const QString refusal = roomRefusal(in.size(), destination);
    if (!refusal.isEmpty()) {
        *reason = refusal;
        return false;
    }
    const QString working = destination + QLatin1String(WorkingSuffix);
    if (!writeWorkingCopy(in, working, reason)) {
        QFile::remove(working);
        return false;
    }
    if (::rename(QFile::encodeName(working).constData(), QFile::encodeName(destination).constData())
        != 0) {
        *reason = systemReason();
        QFile::remove(working);
        return false;
    }
    return true;
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
    const QString folder = QFileInfo(destination).absolutePath();
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
