#include "core/workingfile.h"

#include "core/createdirectory.h"
#include "core/regularfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Where working files are noted, and those noted now: being written, or left by an earlier
// run and not yet reached.
struct Ledger
{
    QString path;
    QStringList noted;
};

Ledger& ledger()
{
    static Ledger kept;
    return kept;
}

void writeLedger()
{
    const Ledger& kept = ledger();
    if (kept.path.isEmpty())
        return;
    if (kept.noted.isEmpty()) {
        QFile::remove(kept.path);
        return;
    }
    QSaveFile file(kept.path);
    if (file.open(QIODevice::WriteOnly))
        file.write(kept.noted.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (file.commit())
        orvMakePrivate(kept.path);
}

void note(const QString& path)
{
    ledger().noted.append(path);
    writeLedger();
}

void forget(const QString& path)
{
    if (ledger().noted.removeOne(path))
        writeLedger();
}

// A working file from the ledger that is still there; a folder that cannot be found (a disk
// not connected) may still hold it.
bool mayRemain(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink() || !info.absoluteDir().exists();
}

} // namespace

QString WorkingFile::fileBehind(const QString& path)
{
    QString file = path;
    // A loop of links is left to the write, which fails with the system's reason.
    for (int hops = 0; hops < 40; ++hops) {
        const QString target = QFileInfo(file).symLinkTarget();
        if (target.isEmpty())
            break;
        file = target;
    }
    return file;
}

void WorkingFile::keepLedger(const QString& path)
{
    QFile file;
    QStringList remaining;
    if (RegularFile::open(file, path)) {
        const QStringList noted = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& left : noted) {
            // Only the program's own working files are ever removed.
            if (!left.endsWith(QLatin1String(Suffix)))
                continue;
            QFile::remove(left);
            if (mayRemain(left))
                remaining.append(left);
        }
    }
    ledger() = Ledger{path, remaining};
    writeLedger();
}

WorkingFile::WorkingFile(const QString& destination)
    : _destination(fileBehind(destination))
    , _file(_destination + QLatin1String(Suffix))
{
}

WorkingFile::~WorkingFile()
{
    if (!_committed)
        _file.remove();
    if (_noted)
        forget(_file.fileName());
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
    // Noted before it exists, so that no moment leaves one unnoted.
    if (!_noted) {
        note(_file.fileName());
        _noted = true;
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
    forget(_file.fileName());
    _noted = false;
    return true;
}
