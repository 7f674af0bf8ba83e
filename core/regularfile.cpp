#include "core/regularfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

} // namespace

int RegularFile::openDescriptor(const QString& path, QString* reason)
{
    // Without O_NONBLOCK an open of a pipe waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        setReason(reason, qt_error_string(errno));
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        setReason(reason, qt_error_string(errno));
    } else if (!S_ISREG(info.st_mode)) {
        setReason(reason, tr("Not a regular file"));
    } else {
        // Reads of the file block as reads of a file do.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
            return fd;
        setReason(reason, qt_error_string(errno));
    }
    ::close(fd);
    return -1;
}

bool RegularFile::open(QFile& file, const QString& path, QString* reason)
{
    file.close();
    file.setFileName(path);
    const int fd = openDescriptor(path, reason);
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    setReason(reason, file.errorString());
    ::close(fd);
    return false;
}

std::optional<QString> RegularFile::problem(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat entry;
    if (::lstat(name.constData(), &entry) != 0)
        return std::nullopt;
    if (S_ISLNK(entry.st_mode) && ::stat(name.constData(), &entry) != 0 && errno == ENOENT)
        return tr("A link to %1, which does not exist").arg(QFile::symLinkTarget(path));
    QString reason;
    const int fd = openDescriptor(path, &reason);
    if (fd < 0)
        return reason;
    ::close(fd);
    return std::nullopt;
}

std::optional<std::pair<QString, QString>> RegularFile::firstProblem(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (const std::optional<QString> reason = problem(path))
            return std::make_pair(path, *reason);
    }
    return std::nullopt;
}

QStringList RegularFile::lockFiles(const QString& lock)
{
    return {lock, lock + QStringLiteral(".rmlock")};
}
