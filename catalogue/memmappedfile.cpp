#include "catalogue/memmappedfile.h"

#include "catalogue/memmappedfileprivateposix.h"

#include <QDebug>

#include <cassert>
#include <climits>

std::unique_ptr<MemMappedFile> MemMappedFile::open(const QString& path)
{
    auto platform = std::make_unique<MemMappedFilePrivatePosix>(path);
    if (!platform->data() || platform->length() > INT_MAX) {
        qWarning("MemMappedFile - error loading %s", qPrintable(path));
        return nullptr;
    }
    return std::unique_ptr<MemMappedFile>(new MemMappedFile(std::move(platform)));
}

MemMappedFile::MemMappedFile(std::unique_ptr<MemMappedFilePrivate> platform)
    : _d(std::move(platform))
{
}

MemMappedFile::~MemMappedFile()
{
    qDebug("MemMappedFile::~MemMappedFile()");
}

const unsigned char* MemMappedFile::getData() const
{
    assert(_d);
    return _d->data();
}

int MemMappedFile::getLength() const
{
    assert(_d);
    return int(_d->length());
}
