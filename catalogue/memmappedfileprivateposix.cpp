#include "catalogue/memmappedfileprivateposix.h"

#include "core/regularfile.h"

#include <QCoreApplication>
#include <QDebug>

#include <cerrno>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

MemMappedFilePrivatePosix::MemMappedFilePrivatePosix(const QString& path)
{
    qDebug("MemMappedFilePrivatePosix - mapping %s", qPrintable(path));
    // A pipe or a device in the catalogue's place is refused rather than waited on.
    _fd = RegularFile::openDescriptor(path, &_failure);
    if (_fd < 0)
        return;
    struct stat info;
    if (::fstat(_fd, &info) != 0) {
        _failure = qt_error_string(errno);
        return;
    }
    if (info.st_size <= 0) {
        _failure = QCoreApplication::translate("MemMappedFile", "The file is empty");
        return;
    }
    void* base = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, _fd, 0);
    if (base == MAP_FAILED) {
        _failure = qt_error_string(errno);
        return;
    }
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
