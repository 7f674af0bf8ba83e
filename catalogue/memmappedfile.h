#ifndef PANTREL_CATALOGUE_MEMMAPPEDFILE_H
#define PANTREL_CATALOGUE_MEMMAPPEDFILE_H

#include <QString>

#include <memory>

class MemMappedFilePrivate;

// A read-only mapping of a whole file, kept until the object is destroyed.
class MemMappedFile {
public:
    // A new mapping, or none when the file cannot be opened, is empty, is too large or cannot
    // be mapped, with the reason in *reason when given.
    static std::unique_ptr<MemMappedFile> open(const QString& path, QString* reason = nullptr);
    ~MemMappedFile();

    MemMappedFile(const MemMappedFile&) = delete;
    MemMappedFile& operator=(const MemMappedFile&) = delete;

    const unsigned char* getData() const;
    int getLength() const;

private:
    explicit MemMappedFile(std::unique_ptr<MemMappedFilePrivate> platform);

    std::unique_ptr<MemMappedFilePrivate> _d;
};

#endif
