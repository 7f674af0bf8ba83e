#include "core/lockcheck.h"

#include "core/regularfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path of the program file that the process runs, or nothing when it cannot be known (a
// process of another account); a file replaced since the process started keeps its path. A
// program of the same name in another folder is another program.
std::optional<QString> programFileOf(qint64 pid)
{
    QString file = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (file.isEmpty())
        return std::nullopt;
    const QLatin1String replaced(" (deleted)");
    if (file.endsWith(replaced))
        file.chop(replaced.size());
    return file;
}

// The lock file, opened to tell whether a process holds it, and held from then on when none
// did, until it is let go.
class LockHold
{
public:
    explicit LockHold(const QString& path)
        : _fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        if (_fd < 0)
            return;
        if (::flock(_fd, LOCK_EX | LOCK_NB) == 0)
            _held = false;
        else if (errno == EWOULDBLOCK)
            _held = true;
    }
    ~LockHold()
    {
        if (_fd >= 0)
            ::close(_fd);
    }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

    // Whether another process holds the lock file itself, as a running program's lock is held;
    // nothing where the file system cannot tell.
    std::optional<bool> heldElsewhere() const { return _held; }
    // Whether `path` still names the file held here, so that removing it removes no lock
    // that another program has made in its place since.
    bool names(const QString& path) const
    {
        struct stat held {};
        struct stat named {};
        return _held.has_value() && !*_held && ::fstat(_fd, &held) == 0
            && ::lstat(QFile::encodeName(path).constData(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    }

private:
    int _fd;
    std::optional<bool> _held;
};

// Whether a process may still hold the lock: one holds the lock file itself, or, only where
// that cannot be told, the number it names runs this program's file as far as can be told. The
// number alone never frees a held lock: its writer may count processes apart from ours (a
// container sharing the folder). A number that the system has given to another program since
// is not one.
bool lockOwnerMayRun(qint64 pid, const LockHold& hold)
{
    if (const std::optional<bool> held = hold.heldElsewhere())
        return *held;
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return false;
    const std::optional<QString> program = programFileOf(pid);
    return !program || program == programFileOf(QCoreApplication::applicationPid());
}

} // namespace

std::optional<QString> LockCheck::leftLockProblem(const QLockFile& lock, const QString& path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application) || host != QSysInfo::machineHostName())
        return std::nullopt;
    // Held while it is removed, as Qt removes one: a program that takes the lock meanwhile
    // waits for this one, and a lock made in its place since is another file.
    const LockHold hold(path);
    if (lockOwnerMayRun(pid, hold) || (hold.heldElsewhere().has_value() && !hold.names(path)))
        return std::nullopt;
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return std::nullopt;
}

std::optional<std::pair<QString, QString>> LockCheck::problem(const QString& path, int waitMs)
{
    if (auto unusable = RegularFile::firstProblem(RegularFile::lockFiles(path)))
        return unusable;
    QLockFile lock(path);
    // Qt removes a lock that a program left when it ended, where it can.
    bool taken = lock.tryLock(0);
    if (!taken && lock.error() == QLockFile::LockFailedError) {
        if (const std::optional<QString> left = leftLockProblem(lock, path))
            return std::make_pair(path, tr("It was left by a program that has ended, and it "
                                           "cannot be removed: %1").arg(*left));
        taken = lock.tryLock(waitMs);
        if (!taken && lock.error() == QLockFile::LockFailedError)
            return std::make_pair(path, tr("Another program holds it"));
    }
    if (taken)
        lock.unlock();
    return std::nullopt;
}
