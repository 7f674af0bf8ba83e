#ifndef PANTREL_TESTS_SUPPORT_FAILINGREADS_H
#define PANTREL_TESTS_SUPPORT_FAILINGREADS_H

// The reads of a failing disk, in place of the system's: include this in one source of a test.
// SQLite reads through pread64(), a whole-file copy through read().
//
// While s_unreadEnding is set, the reads of files whose names end so fail as a failing disk's
// would (or the system's, out of memory), from s_unreadFrom on; when once, the first read at
// that offset alone. With no error, such a read ends short, with no byte read, as a read of a
// network file system may. s_beforeRead, when set, runs once in place of the first such failure,
// and that read reads whole. With s_unreadChanged such a read reads whole, and gives zeros in
// place of the second half of what it read, as a disk or a file system that gives other bytes
// once.

#include <QByteArray>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

inline QByteArray s_unreadEnding;
inline off64_t s_unreadFrom = 0;
inline int s_unreadError = EIO;
inline bool s_unreadOnce = false;
inline bool s_unreadChanged = false;
inline std::function<void()> s_beforeRead;
// With s_unreadUnsized, the size of a file whose read ended short cannot be told either: the
// next fstat64() of it fails as a failing disk's would.
inline bool s_unreadUnsized = false;
inline int s_unsizedFile = -1;

extern "C" int fstat64(int fd, struct stat64* info)
{
    if (fd >= 0 && fd == std::exchange(s_unsizedFile, -1))
        return (errno = EIO, -1);
    return int(::syscall(SYS_fstat, fd, info));
}

extern "C" ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset)
{
    char name[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    if (!s_unreadEnding.isEmpty() && (s_unreadOnce ? offset == s_unreadFrom : offset >= s_unreadFrom)
        && ::readlink(link.constData(), name, sizeof name - 1) > 0
        && QByteArray(name).endsWith(s_unreadEnding)) {
        if (s_unreadOnce || s_beforeRead)
            s_unreadEnding.clear();
        if (s_beforeRead) {
            std::exchange(s_beforeRead, nullptr)();
        } else if (s_unreadChanged) {
            const ssize_t got = ::syscall(SYS_pread64, fd, buffer, size, offset);
            std::memset(static_cast<char*>(buffer) + got / 2, 0, size_t(std::max<ssize_t>(got - got / 2, 0)));
            return got;
        } else if (s_unreadError == 0) {
            return (s_unsizedFile = s_unreadUnsized ? fd : -1, 0);
        } else {
            return (errno = s_unreadError, -1);
        }
    }
    return ::syscall(SYS_pread64, fd, buffer, size, offset);
}

// The reads through read() (every whole-file copy and its proof) of files whose names end in
// one of s_readEndings, counted from 1 in s_readsCounted. From the one numbered s_readFaultAt
// on (that one alone when s_readFaultOnce), a read ends Empty, with no byte read, or Short:
// with half of what was asked, and the read that goes on from there with nothing, as a read of
// a network or user-space file system may. The one numbered s_readCrashAt ends the process
// with CrashedExit as if it was killed, before it reads. s_readSteps holds the number of each
// read that reads another file than the read before it: where a copy or its proof begins.
enum class ReadFault { None, Empty, Short };
inline std::vector<QByteArray> s_readEndings;
inline long s_readsCounted = 0;
inline std::vector<long> s_readSteps;
inline long s_readFaultAt = 0;
inline ReadFault s_readFault = ReadFault::None;
inline bool s_readFaultOnce = true;
inline long s_readCrashAt = 0;
constexpr int CrashedExit = 86;

// The name of the file that `fd` reads when it is watched; empty otherwise.
inline QByteArray watchedName(int fd)
{
    char name[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    if (::readlink(link.constData(), name, sizeof name - 1) <= 0)
        return QByteArray();
    for (const QByteArray& ending : s_readEndings) {
        if (QByteArray(name).endsWith(ending))
            return name;
    }
    return QByteArray();
}

extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    // Whether the read before this one ended short, so that this one ends with nothing.
    static bool endsShort = false;
    static QByteArray lastRead;
    const QByteArray name = s_readEndings.empty() ? QByteArray() : watchedName(fd);
    if (name.isEmpty())
        return ::syscall(SYS_read, fd, buffer, size);
    const long number = ++s_readsCounted;
    if (std::exchange(lastRead, name) != name)
        s_readSteps.push_back(number);
    if (number == s_readCrashAt)
        ::_exit(CrashedExit);
    const bool faulty = s_readFault != ReadFault::None && s_readFaultAt > 0
        && number >= s_readFaultAt && (!s_readFaultOnce || number <= s_readFaultAt + 1);
    if (!faulty || (number > s_readFaultAt && !endsShort && s_readFaultOnce)) {
        endsShort = false;
        return ::syscall(SYS_read, fd, buffer, size);
    }
    if (std::exchange(endsShort, false) || s_readFault == ReadFault::Empty)
        return 0;
    endsShort = true;
    return ::syscall(SYS_read, fd, buffer, size / 2);
}

#endif
