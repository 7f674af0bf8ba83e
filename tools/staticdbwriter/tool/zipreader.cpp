#include "tools/staticdbwriter/tool/zipreader.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

namespace {

constexpr quint32 END_OF_DIRECTORY = 0x06054b50;
constexpr quint32 DIRECTORY_ENTRY = 0x02014b50;
constexpr quint32 LOCAL_HEADER = 0x04034b50;
constexpr qsizetype END_OF_DIRECTORY_SIZE = 22;
constexpr qsizetype DIRECTORY_ENTRY_SIZE = 46;
constexpr qsizetype LOCAL_HEADER_SIZE = 30;
constexpr quint16 STORED = 0;
constexpr quint16 DEFLATED = 8;

quint16 u16At(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32At(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

std::optional<QByteArray> inflateRaw(const char* data, quint32 compressedSize, quint32 size)
{
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = compressedSize;
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = size;
    const int result = inflate(&stream, Z_FINISH);
    const bool complete = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return complete ? std::optional<QByteArray>(out) : std::nullopt;
}

} // namespace

std::optional<ZipReader> ZipReader::open(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    ZipReader reader(file.readAll());
    if (!reader._readDirectory()) {
        *error = QStringLiteral("%1 is not a readable zip archive").arg(path);
        return std::nullopt;
    }
    return reader;
}

std::optional<QByteArray> ZipReader::read(const QString& name) const
{
    const auto found = _entries.find(name);
    if (found == _entries.end())
        return std::nullopt;
    const Entry& entry = found->second;
    const qsizetype header = entry.localHeaderAt;
    if (header + LOCAL_HEADER_SIZE > _archive.size() || u32At(_archive, header) != LOCAL_HEADER)
        return std::nullopt;
    const qsizetype dataAt = header + LOCAL_HEADER_SIZE + u16At(_archive, header + 26)
                             + u16At(_archive, header + 28);
    if (dataAt + qsizetype(entry.compressedSize) > _archive.size())
        return std::nullopt;
    const char* data = _archive.constData() + dataAt;
    if (entry.method == STORED)
        return entry.compressedSize == entry.size
                   ? std::optional<QByteArray>(QByteArray(data, entry.size))
                   : std::nullopt;
    if (entry.method == DEFLATED)
        return inflateRaw(data, entry.compressedSize, entry.size);
    return std::nullopt;
}

bool ZipReader::_readDirectory()
{
    qsizetype end = _archive.size() - END_OF_DIRECTORY_SIZE;
    while (end >= 0 && u32At(_archive, end) != END_OF_DIRECTORY)
        --end;
    if (end < 0)
        return false;
    const quint16 count = u16At(_archive, end + 10);
    qsizetype at = u32At(_archive, end + 16);
    for (quint16 i = 0; i < count; ++i) {
        if (at + DIRECTORY_ENTRY_SIZE > _archive.size() || u32At(_archive, at) != DIRECTORY_ENTRY)
            return false;
        const quint16 nameLength = u16At(_archive, at + 28);
        const qsizetype next = at + DIRECTORY_ENTRY_SIZE + nameLength + u16At(_archive, at + 30)
                               + u16At(_archive, at + 32);
        if (next > _archive.size())
            return false;
        Entry entry;
        entry.method = u16At(_archive, at + 10);
        entry.compressedSize = u32At(_archive, at + 20);
        entry.size = u32At(_archive, at + 24);
        entry.localHeaderAt = u32At(_archive, at + 42);
        const QString name = QString::fromUtf8(_archive.constData() + at + DIRECTORY_ENTRY_SIZE, nameLength);
        _entries[name] = entry;
        at = next;
    }
    return true;
}
