#include "tools/staticdbwriter/staticdbwriter.h"

#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

#include <cassert>
#include <optional>

namespace {

constexpr char MAGIC[32] = "Database subject to copyright.\x1A";
constexpr int HEADER_SIZE = 64;
constexpr int CHUNK_HEADER_SIZE = 16;
constexpr int RECORD_SIZE = 16;

// Adds 16 to deflate's window bits for a gzip header and trailer instead of zlib's.
constexpr int GZIP_WINDOW_BITS = 15 + 16;
constexpr int GZIP_MEMORY_LEVEL = 8;

// The gzip stream of data, or none when zlib fails.
std::optional<QByteArray> gzipped(const QByteArray& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, GZIP_WINDOW_BITS, GZIP_MEMORY_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.truncate(int(stream.total_out));
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return out;
}

bool saveFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void appendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void putU32(QByteArray& out, int at, quint32 value)
{
    qToBigEndian(value, out.data() + at);
}

// One laid-out record: the node, and where its children or its record went.
struct LaidOutRecord {
    const CatalogueNode* node = nullptr;
    quint32 firstChild = 0;
    quint16 numCategories = 0;
    quint16 numItems = 0;
    quint32 dataOffset = 0;
};

class ChunkLayout {
public:
    explicit ChunkLayout(const CatalogueNode& root)
    {
        _records.push_back(_layOut(root));
    }

    QByteArray encode() const
    {
        QByteArray items;
        QByteArray names;
        for (const LaidOutRecord& record : _records) {
            const CatalogueNode& node = *record.node;
            assert(!node.name.contains('\0') && node.id <= 0xFFFFFF);
            appendU32(items, (quint32(node.flags) << 24) | node.id);
            appendU32(items, quint32(names.size()));
            names.append(node.name).append('\0');
            if (node.isCategory()) {
                appendU32(items, record.firstChild);
                appendU32(items, (quint32(record.numCategories) << 16) | record.numItems);
            } else {
                appendU32(items, node.weight);
                appendU32(items, record.dataOffset);
            }
        }
        QByteArray chunk;
        appendU32(chunk, quint32(_records.size()));
        appendU32(chunk, CHUNK_HEADER_SIZE);
        appendU32(chunk, quint32(CHUNK_HEADER_SIZE + items.size()));
        appendU32(chunk, quint32(CHUNK_HEADER_SIZE + items.size() + names.size()));
        return chunk + items + names + _data;
    }

private:
    // Lays out the subtrees of node's child categories, then node's own child block; returns
    // node's record, which its parent places.
    LaidOutRecord _layOut(const CatalogueNode& node)
    {
        LaidOutRecord record;
        record.node = &node;
        if (!node.isCategory()) {
            record.dataOffset = quint32(_data.size());
            _data.append(node.record);
            return record;
        }
        std::vector<LaidOutRecord> categories;
        std::vector<LaidOutRecord> items;
        for (const CatalogueNode& child : node.children)
            (child.isCategory() ? categories : items).push_back(_layOut(child));
        assert(categories.size() <= 0xFFFF && items.size() <= 0xFFFF);
        record.firstChild = quint32(_records.size());
        record.numCategories = quint16(categories.size());
        record.numItems = quint16(items.size());
        _records.insert(_records.end(), categories.begin(), categories.end());
        _records.insert(_records.end(), items.begin(), items.end());
        return record;
    }

    std::vector<LaidOutRecord> _records;
    QByteArray _data;
};

} // namespace

StaticDBWriter::StaticDBWriter(const QDate& creationDate) : _creationDate(creationDate)
{
}

void StaticDBWriter::addChunk(quint32 chunkId, const CatalogueNode& root)
{
    assert(chunkId > 0 && root.isCategory() && root.id == 0);
    _chunks[chunkId] = root;
}

QByteArray StaticDBWriter::toByteArray() const
{
    QByteArray file(MAGIC, sizeof MAGIC);
    appendU32(file, 1);
    file.append(_creationDate.toString(QStringLiteral("yyyy-MM-dd")).toLatin1().leftJustified(10, '0', true));
    file.append(HEADER_SIZE - file.size(), '\0');

    const int directoryAt = int(file.size());
    file.append(int(8 * (_chunks.size() + 1)), '\0');
    int entry = directoryAt;
    for (const auto& [chunkId, root] : _chunks) {
        putU32(file, entry, chunkId);
        putU32(file, entry + 4, quint32(file.size()));
        file.append(ChunkLayout(root).encode());
        entry += 8;
    }
    return file;
}

bool StaticDBWriter::write(const QString& path, QString* error) const
{
    return saveFile(path, toByteArray(), error);
}

bool StaticDBWriter::writeGzip(const QString& path, QString* error) const
{
    const std::optional<QByteArray> compressed = gzipped(toByteArray());
    if (!compressed) {
        if (error)
            *error = QStringLiteral("Cannot compress the catalogue for %1").arg(path);
        return false;
    }
    return saveFile(path, *compressed, error);
}
