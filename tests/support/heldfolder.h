#pragma once

// Holds a folder so that no name in it may be removed or renamed, even by the superuser (who
// ignores modes, so it is made append-only instead).

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// Holds `folder` or, with hold false, lets it go; false when the system refused.
inline bool holdFolder(const QString& folder, bool hold)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::geteuid() != 0)
        return ::chmod(name.constData(), hold ? 0500 : 0700) == 0;
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    const bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && ::ioctl(fd, FS_IOC_SETFLAGS, &(flags = hold ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL)) == 0;
    ::close(fd);
    return done;
}
