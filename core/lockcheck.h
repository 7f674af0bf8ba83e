#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>
#include <utility>

class QLockFile;

// Qt's lock files, taken at once or after a bounded wait. Qt waits as long as it finds a lock
// in place that it takes for a running program's, and for ever for one that it cannot remove
// (left by a program that ended in a folder that may not be written, say): such a lock is
// found here, before anything waits for it.
class LockCheck
{
    Q_DECLARE_TR_FUNCTIONS(LockCheck)

public:
    // Why the lock `lock` of `path`, left by a program of this computer that has ended, cannot
    // be removed, in the system's words, once it has been tried; nothing when a program holds
    // it, it names another computer or it is gone by now.
    static std::optional<QString> leftLockProblem(const QLockFile& lock, const QString& path);
    // The file of the lock `path` (the lock itself or the one that guards its removal) that
    // keeps it from being taken within `waitMs`, and why; nothing when it can be taken, or
    // when no lock can be made there at all (Qt then refuses at once). The lock is let go
    // again at once.
    static std::optional<std::pair<QString, QString>> problem(const QString& path, int waitMs);
};
