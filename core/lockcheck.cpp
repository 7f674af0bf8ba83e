#include "core/lockcheck.h"

#include "core/regularfile.h"

#include <QFile>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

std::optional<QString> LockCheck::leftLockProblem(const QLockFile& lock, const QString& path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application) || host != QSysInfo::machineHostName()
        || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
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
