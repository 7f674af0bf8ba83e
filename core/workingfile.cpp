#include "core/workingfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

WorkingFile::WorkingFile(const QString& destination)
    : _destination(destination)
    , _file(destination + QLatin1String(Suffix))
{
}

WorkingFile::~WorkingFile()
{
    if (!_committed)
        _file.remove();
}

bool WorkingFile::open(QString* reason)
{
    // The name would be taken from a device, a pipe or a folder, not written through.
    const QFileInfo existing(_destination);
    if (existing.exists() && !existing.isFile()) {
        *reason = QCoreApplication::translate("WorkingFile", "%1 is not a file")
                      .arg(QDir::toNativeSeparators(_destination));
        return false;
    }
    // A working file left by a write cut short is never written through: it may be a link.
    QFile::remove(_file.fileName());
    // Unbuffered, so that a write that fails says so at once, with its reason.
    if (_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                   QFile::ReadOwner | QFile::WriteOwner))
        return true;
    *reason = _file.errorString();
    return false;
}

bool WorkingFile::write(const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = _file.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool WorkingFile::commit(QString* reason)
{
    if (::fsync(_file.handle()) != 0) {
        *reason = systemReason();
        return false;
    }
    _file.close();
    if (::rename(QFile::encodeName(_file.fileName()).constData(),
                 QFile::encodeName(_destination).constData())
        != 0) {
        *reason = systemReason();
        return false;
    }
    _committed = true;
    return true;
}
