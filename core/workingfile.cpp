#include "core/workingfile.h"

#include "core/regularfile.h"
#include "core/wholeread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The first line of a ledger whose lines each hold one name whole, percent-encoded: a name may
// hold a line break. An earlier version wrote the names as they are, one a line.
constexpr char LedgerHeader[] = "%working-files 2";
// What a name keeps as it is in the ledger, beside letters and digits, so that it stays readable.
const QByteArray NameBytesKept = QByteArrayLiteral("/-._~ ");

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Where working files are noted, and those noted now: being written, or left by an earlier
// run and not yet reached. A ledger that could not be read (`unread` says why) is left as it
// is, so that what it names can still be found: nothing is noted in it, and so no working file
// is begun.
struct Ledger
{
    QString path;
    QStringList noted;
    QString unread;
};

Ledger& ledger()
{
    static Ledger kept;
    return kept;
}

// False with the reason when the ledger cannot be written (a full disk, say).
bool writeLedger(QString* reason = nullptr)
{
    const Ledger& kept = ledger();
    if (kept.path.isEmpty())
        return true;
    const auto told = [&kept, reason](const QString& why) {
        if (reason)
            *reason = QCoreApplication::translate("WorkingFile", "The list of files being written, "
                                                                 "%1, cannot be written: %2")
                          .arg(QDir::toNativeSeparators(kept.path), why);
        return false;
    };
    if (!kept.unread.isEmpty())
        return told(kept.unread);
    if (kept.noted.isEmpty()) {
        QFile::remove(kept.path);
        return true;
    }
    QSaveFile file(kept.path);
    QByteArray text = QByteArray(LedgerHeader) + '\n';
    for (const QString& noted : kept.noted)
        text += QFile::encodeName(noted).toPercentEncoding(NameBytesKept) + '\n';
    // Unbuffered: a write that fails (a full disk) says so here, and the ledger as it was stays.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(text) == text.size()
        && file.commit())
        return true;
    return told(file.errorString());
}

// The names that a ledger holds, each whole: those of an earlier version's ledger only where they
// cannot be the tail of a name cut at a line break (see wroteIt()).
QStringList readNames(const QByteArray& text, bool* earlier)
{
    QList<QByteArray> lines = text.split('\n');
    *earlier = lines.first() != LedgerHeader;
    if (!*earlier)
        lines.removeFirst();
    QStringList names;
    for (const QByteArray& line : std::as_const(lines)) {
        if (!line.isEmpty())
            names << (*earlier ? QString::fromUtf8(line) : QFile::decodeName(QByteArray::fromPercentEncoding(line)));
    }
    return names;
}

// What the ledger at `path` holds: nothing where there is none yet. One that is not a regular
// file, or that is read short or not at all, cannot be read (nothing, with the reason): it is
// never taken for an empty one.
std::optional<QByteArray> readLedger(const QString& path, QString* reason)
{
    if (const std::optional<QString> problem = RegularFile::problem(path)) {
        *reason = *problem;
        return std::nullopt;
    }
    return QFileInfo::exists(path) ? WholeRead::all(path, reason) : QByteArray();
}

// Whether the program wrote `name` as a working file: absolute, with no step back, and made as
// working files are made. A ledger may name what the program never wrote (a name from an earlier
// version's ledger may be the tail of one cut at a line break; a ledger edited by hand).
bool wroteIt(const QString& name)
{
    return QDir::isAbsolutePath(name) && QDir::cleanPath(name) == name && WorkingFile::isOwn(name);
}

// Notes `path` in the ledger before its working file is begun (`noted`). A ledger that cannot
// be read is never written over, and no working file is begun then (false, with the reason):
// one left by a run that is killed would stay for good. One that cannot be written now (its
// disk full) leaves the working file unnoted.
bool note(const QString& path, bool* noted, QString* reason)
{
    ledger().noted.append(path);
    *noted = writeLedger(reason);
    if (*noted)
        return true;
    ledger().noted.removeLast();
    return !ledger().unread.isEmpty() ? false : (reason->clear(), true);
}

void forget(const QString& path)
{
    if (ledger().noted.removeOne(path))
        writeLedger();
}

// The access that the regular file at `path` grants; none where no regular file is.
std::optional<mode_t> accessOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 0777;
    return std::nullopt;
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

void WorkingFile::takeModes(const QString& file, const QString& replaced)
{
    if (const std::optional<mode_t> access = accessOf(replaced))
        ::chmod(QFile::encodeName(file).constData(), *access);
}

std::optional<QString> WorkingFile::keepLedger(const QString& path)
{
    QString unread;
    const std::optional<QByteArray> text = readLedger(path, &unread);
    QStringList remaining;
    if (text) {
        bool earlier = false;
        for (const QString& left : readNames(*text, &earlier)) {
            // Only the program's own working files are ever removed.
            if (!wroteIt(left))
                continue;
            QFile::remove(left);
            if (mayRemain(left))
                remaining.append(left);
        }
    }
    ledger() = Ledger{path, remaining, unread};
    writeLedger();
    if (text)
        return std::nullopt;
    return QCoreApplication::translate("WorkingFile",
                                       "The list of files being written, %1, cannot be read: %2. "
                                       "Files that an earlier run left unfinished are not "
                                       "removed, and no backup or export can be written, until "
                                       "it is removed or can be read.")
        .arg(QDir::toNativeSeparators(path), unread);
}

bool WorkingFile::isOwn(const QString& path)
{
    struct stat info {};
    return path.endsWith(QLatin1String(Suffix)) && ::lstat(QFile::encodeName(path).constData(), &info) == 0
        && S_ISREG(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0077) == 0;
}

QStringList WorkingFile::ledgerFiles()
{
    const Ledger& kept = ledger();
    return kept.path.isEmpty() ? QStringList() : QStringList(kept.path) + kept.noted;
}

bool WorkingFile::syncFolder(const QString& file)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0)
        ::close(folder);
    return synced;
}

WorkingFile::WorkingFile(const QString& destination)
    : _destination(QFileInfo(fileBehind(destination)).absoluteFilePath())
    , _file(_destination + QLatin1String(Suffix))
{
}

WorkingFile::~WorkingFile()
{
    _file.close();
    // A working file stays noted until it is gone, so that a start finds one that could not
    // be removed now. One never made (a read-only disk refuses the removal too) is gone.
    const QByteArray name = QFile::encodeName(QFileInfo(_file.fileName()).fileName());
    struct stat info {};
    const bool gone = _committed || !_made || ::unlinkat(_folder, name.constData(), 0) == 0
        || errno == ENOENT
        || (::fstatat(_folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT);
    if (_folder >= 0)
        ::close(_folder);
    if (_noted && gone)
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
    if (!_noted && !note(_file.fileName(), &_noted, reason))
        return false;
    const QString folder = QFileInfo(_file.fileName()).absolutePath();
    const auto refused = [reason, &folder](const QString& why) {
        *reason = QCoreApplication::translate("WorkingFile", "No file can be made in the folder %1: %2")
                      .arg(QDir::toNativeSeparators(folder), why);
        return false;
    };
    if (_folder < 0)
        _folder = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (_folder < 0)
        return refused(systemReason());
    // A working file left by a write cut short is never written through: it may be a link.
    // Anything else of the name is the user's, and stays.
    const QFileInfo left(_file.fileName());
    if ((left.exists() || left.isSymLink()) && !isOwn(_file.fileName()))
        return refused(QCoreApplication::translate("WorkingFile", "%1 is in the way, and this program did "
                                                                  "not make it. Move it away, then try again")
                           .arg(QDir::toNativeSeparators(_file.fileName())));
    QFile::remove(_file.fileName());
    // Unbuffered, so that a write that fails says so at once, with its reason.
    _made = _file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                       QFile::ReadOwner | QFile::WriteOwner);
    if (_made)
        return true;
    return refused(_file.errorString());
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

bool WorkingFile::commit(QString* reason, QString* unsynced)
{
    if (::fsync(_file.handle()) != 0) {
        *reason = systemReason();
        return false;
    }
    // Until it has the destination's name it keeps the access that marks it as the program's
    // own, so that one left by a process killed before the rename is still removed as such.
    const std::optional<mode_t> access = accessOf(_destination);
    if (::rename(QFile::encodeName(_file.fileName()).constData(),
                 QFile::encodeName(_destination).constData())
        != 0) {
        *reason = systemReason();
        return false;
    }
    if (access)
        ::fchmod(_file.handle(), *access);
    _file.close();
    if (!syncFolder(_destination) && unsynced)
        *unsynced = systemReason();
    _committed = true;
    forget(_file.fileName());
    _noted = false;
    return true;
}
