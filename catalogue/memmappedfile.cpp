#include "catalogue/memmappedfile.h"

#include "catalogue/memmappedfileprivateposix.h"

#include <QCoreApplication>
#include <QDebug>

#include <cassert>
#include <climits>

std::unique_ptr<MemMappedFile> MemMappedFile::open(const QString& path, QString* reason)
{
    auto platform = std::make_unique<MemMappedFilePrivatePosix>(path);
    if (!platform->data() || platform->length() > INT_MAX) {
        const QString why = platform->data()
            ? QCoreApplication::translate("MemMappedFile", "The file is too large")
            : platform->failure();
        qWarning("MemMappedFile - error loading %s: %s", qPrintable(path), qPrintable(why));
        if (reason)
            *reason = why;
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
