#ifndef PANTREL_CATALOGUE_MEMMAPPEDFILEPRIVATE_H
#define PANTREL_CATALOGUE_MEMMAPPEDFILEPRIVATE_H

// The platform part of a read-only file mapping.
class MemMappedFilePrivate {
public:
    virtual ~MemMappedFilePrivate();

    // The mapped bytes, or none when the file could not be mapped.
    virtual const unsigned char* data() const = 0;
    virtual long long length() const = 0;
};

#endif
