#include "catalogue/memmappedfileprivateposix.h"

#include <QDebug>
#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MemMappedFilePrivatePosix::MemMappedFilePrivatePosix(const QString& path)
{
    qDebug("MemMappedFilePrivatePosix - mapping %s", qPrintable(path));
    _fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (_fd < 0)
        return;
    struct stat info;
    if (::fstat(_fd, &info) != 0 || info.st_size <= 0)
        return;
    void* base = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, _fd, 0);
    if (base == MAP_FAILED)
        return;
    _base = static_cast<const unsigned char*>(base);
    _length = info.st_size;
}

MemMappedFilePrivatePosix::~MemMappedFilePrivatePosix()
{
    if (_base)
        ::munmap(const_cast<unsigned char*>(_base), size_t(_length));
    if (_fd >= 0)
        ::close(_fd);
}
