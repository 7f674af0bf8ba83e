#ifndef PANTREL_CATALOGUE_MEMMAPPEDFILEPRIVATEPOSIX_H
#define PANTREL_CATALOGUE_MEMMAPPEDFILEPRIVATEPOSIX_H

#include "catalogue/memmappedfileprivate.h"

#include <QString>

// Maps a whole file read-only with open, fstat and mmap. The mapping and the descriptor are
// released when the object is destroyed.
class MemMappedFilePrivatePosix : public MemMappedFilePrivate {
public:
    explicit MemMappedFilePrivatePosix(const QString& path);
    ~MemMappedFilePrivatePosix() override;

    MemMappedFilePrivatePosix(const MemMappedFilePrivatePosix&) = delete;
    MemMappedFilePrivatePosix& operator=(const MemMappedFilePrivatePosix&) = delete;

    const unsigned char* data() const override { return _base; }
    long long length() const override { return _length; }
    // Why the file was not mapped, in the system's words; empty when it was.
    QString failure() const { return _failure; }

private:
    int _fd = -1;
    const unsigned char* _base = nullptr;
    long long _length = 0;
    QString _failure;
};

#endif
