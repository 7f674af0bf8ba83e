#ifndef PANTREL_TESTS_SUPPORT_FAILINGREADS_H
#define PANTREL_TESTS_SUPPORT_FAILINGREADS_H

// The reads of a failing disk, in place of the system's: include this in one source of a test.
//
// While s_unreadEnding is set, the reads of files whose names end so fail as a failing disk's
// would (or the system's, out of memory), from s_unreadFrom on; when once, the first read at
// that offset alone. With no error, such a read ends short, with no byte read, as a read of a
// network file system may. s_beforeRead, when set, runs once in place of the first such failure,
// and that read reads whole.

#include <QByteArray>

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <utility>

inline QByteArray s_unreadEnding;
inline off64_t s_unreadFrom = 0;
inline int s_unreadError = EIO;
inline bool s_unreadOnce = false;
inline std::function<void()> s_beforeRead;

extern "C" ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset)
{
    char name[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    if (!s_unreadEnding.isEmpty() && (s_unreadOnce ? offset == s_unreadFrom : offset >= s_unreadFrom)
        && ::readlink(link.constData(), name, sizeof name - 1) > 0
        && QByteArray(name).endsWith(s_unreadEnding)) {
        if (s_unreadOnce || s_beforeRead)
            s_unreadEnding.clear();
        if (s_beforeRead)
            std::exchange(s_beforeRead, nullptr)();
        else if (s_unreadError == 0)
            return 0;
        else
            return (errno = s_unreadError, -1);
    }
    return ::syscall(SYS_pread64, fd, buffer, size, offset);
}

#endif
