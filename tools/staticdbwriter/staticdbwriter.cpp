#include "tools/staticdbwriter/staticdbwriter.h"

#include <QSaveFile>
#include <QtEndian>

#include <cassert>

namespace {

constexpr char MAGIC[32] = "Database subject to copyright.\x1A";
constexpr int HEADER_SIZE = 64;
constexpr int CHUNK_HEADER_SIZE = 16;
constexpr int RECORD_SIZE = 16;

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toByteArray()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
