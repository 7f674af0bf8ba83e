#include "catalogue/staticdb.h"

#include "catalogue/memmappedfile.h"
#include "core/bxsettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cassert>
#include <cstring>

QString StaticDB::s_userCopyFolder;
MemMappedFile* StaticDB::s_memMapping = nullptr;
QString StaticDB::s_mappedPath;
int StaticDB::s_memMappingUseCount = 0;

namespace {

constexpr char MAGIC[32] = "Database subject to copyright.\x1A";
constexpr quint64 HEADER_SIZE = 64;
constexpr quint64 DIRECTORY_ENTRY_SIZE = 8;
constexpr quint64 CHUNK_HEADER_SIZE = 16;
constexpr quint64 RECORD_SIZE = 16;
// Deeper trees than this are taken for corrupt: the search walks a tree recursively.
constexpr int MAX_TREE_DEPTH = 32;

// The slots a food's presence bytes may name: 0 to LAST_NUTRIENT_SLOT.
constexpr int LAST_NUTRIENT_SLOT = 29;
constexpr int SLOTS_PER_PRESENCE_BYTE = 7;

const char* const BAD_HEADER = QT_TRANSLATE_NOOP("StaticDB", "bad header");
const char* const MISSING_CHUNK = QT_TRANSLATE_NOOP("StaticDB", "missing chunk");
const char* const BAD_CHUNK = QT_TRANSLATE_NOOP("StaticDB", "bad chunk");

QString translated(const char* text)
{
    return QCoreApplication::translate("StaticDB", text);
}

std::string loadFailure(const QString& path, const QString& reason)
{
    return QCoreApplication::translate("StaticDB", "Couldn't load food/exercise database %1: %2.")
        .arg(QDir::toNativeSeparators(path), reason)
        .toStdString();
}

quint32 readU32(const unsigned char* p)
{
    return qFromBigEndian<quint32>(p);
}

quint16 readU16(const unsigned char* p)
{
    return qFromBigEndian<quint16>(p);
}

// Steps over a NUL-terminated text; none when p is none or the text does not end before end.
const unsigned char* skipText(const unsigned char* p, const unsigned char* end)
{
    if (!p || p >= end)
        return nullptr;
    const void* nul = std::memchr(p, 0, size_t(end - p));
    return nul ? static_cast<const unsigned char*>(nul) + 1 : nullptr;
}

// Steps over n bytes; none when they do not end by end.
const unsigned char* skipBytes(const unsigned char* p, const unsigned char* end, quint64 n)
{
    return (p && quint64(end - p) >= n) ? p + n : nullptr;
}

// Whether a presence byte, the k-th of its record, names no slot past the last.
bool namesKnownSlots(unsigned char presence, int k)
{
    const int firstUnknown = LAST_NUTRIENT_SLOT + 1 - SLOTS_PER_PRESENCE_BYTE * k;
    if (firstUnknown <= 0)
        return false;
    return firstUnknown >= SLOTS_PER_PRESENCE_BYTE || ((presence & 0x7F) >> firstUnknown) == 0;
}

// What is wrong with the record of food id: it runs past end (ranking group, display name,
// nutrient presence bytes and values, kind byte, reference quantity, servings) or names a
// nutrient slot past the last. Empty when nothing is.
QString foodRecordProblem(const unsigned char* p, const unsigned char* end, qint64 id)
{
    p = skipText(skipBytes(p, end, 4), end);
    bool morePresence = true;
    for (int k = 0; p && morePresence; ++k) {
        if (p >= end)
            return translated(BAD_CHUNK);
        const unsigned char presence = *p++;
        if (!namesKnownSlots(presence, k))
            return QCoreApplication::translate("StaticDB", "food %1 names a nutrient slot past %2")
                .arg(id)
                .arg(LAST_NUTRIENT_SLOT);
        morePresence = (presence & 0x80) != 0;
        p = skipBytes(p, end, 4 * quint64(qPopulationCount(quint32(presence & 0x7F))));
    }
    if (!p || p >= end)
        return translated(BAD_CHUNK);
    const unsigned char kind = *p++;
    if (kind & 0x40)
        p = skipBytes(p, end, 4);
    for (int i = 0; p && i < (kind & 0x0F); ++i)
        p = skipText(skipBytes(p, end, 4), end);
    return p ? QString() : translated(BAD_CHUNK);
}

// Whether an exercise record (flags byte and, with bit 0x01, the burn rate) lies before end.
bool exerciseRecordFits(const unsigned char* p, const unsigned char* end)
{
    if (p >= end)
        return false;
    return skipBytes(p + 1, end, (*p & 0x01) ? 4 : 0) != nullptr;
}

// Marks the children of category index as taken, failing when one already belongs to another
// category, and gives the category its height (1 above its tallest child category), failing
// when that is too high. Children precede their category, so their heights are known.
bool claimChildren(size_t index, const std::vector<BrowsableDBItem>& items,
                   const std::vector<unsigned char>& flags, std::vector<bool>& claimed,
                   std::vector<unsigned char>& heights)
{
    const BrowsableDBItem& category = items[index];
    const size_t end = size_t(category.firstChild) + size_t(category.childCount());
    int height = 1;
    for (size_t child = category.firstChild; child < end; ++child) {
        if (claimed[child])
            return false;
        claimed[child] = true;
        if (flags[child] & FLAG_CATEGORY)
            height = std::max(height, heights[child] + 1);
    }
    heights[index] = static_cast<unsigned char>(height);
    return height <= MAX_TREE_DEPTH;
}

} // namespace

StaticDB::StaticDB(int chunkId, bool* failed)
{
    assert(chunkId > 0);
    if (failed)
        *failed = false;
    if (_load(chunkId))
        return;
    _offerEmptyRoot();
    qWarning("error in staticdb constructor: %s", _errorMessage.c_str());
    if (failed)
        *failed = true;
}

StaticDB::StaticDB(const MemMappedFile& mapping, int chunkId)
{
    _loadFrom(&mapping, chunkId);
}

StaticDB::~StaticDB()
{
    // The words are gathered from the mapping, which may go below.
    _forgetWords();
    if (!_counted)
        return;
    if (--s_memMappingUseCount < 1) {
        delete s_memMapping;
        s_memMapping = nullptr;
    }
}

const unsigned char* StaticDB::getMappingEnd() const
{
    return _mapping ? _mapping->getData() + _mapping->getLength() : nullptr;
}

QString StaticDB::databasePath()
{
    const QString shipped = BXSettings::getResourceDBPath() + QStringLiteral("static.db");
    const QString own = s_userCopyFolder + QStringLiteral("static.db");
    if (s_userCopyFolder.isEmpty() || !QFileInfo::exists(own))
        return shipped;
    std::string error;
    QString ownDate;
    if (!checkFile(own, &error, &ownDate)) {
        qWarning("passing over the updated catalogue %s: %s", qPrintable(own), error.c_str());
        return shipped;
    }
    QString shippedDate;
    if (checkFile(shipped, &error, &shippedDate) && ownDate < shippedDate)
        return shipped;
    return own;
}

void StaticDB::setUserCopyFolder(const QString& folder)
{
    s_userCopyFolder = folder;
}

bool StaticDB::checkFile(const QString& path, std::string* error, QString* creationDate)
{
    QString reason;
    const std::unique_ptr<MemMappedFile> mapping = MemMappedFile::open(path, &reason);
    if (!mapping) {
        *error = loadFailure(path, reason);
        return false;
    }
    for (int chunkId : {FOOD_CHUNK, EXERCISE_CHUNK}) {
        const StaticDB probe(*mapping, chunkId);
        if (!probe._errorMessage.empty()) {
            *error = probe._errorMessage;
            return false;
        }
        if (creationDate)
            *creationDate = QString::fromLatin1(probe._creationDate);
    }
    return true;
}

bool StaticDB::_load(int chunkId)
{
    if (!s_memMapping) {
        const QString path = databasePath();
        QString reason;
        s_memMapping = MemMappedFile::open(path, &reason).release();
        if (!s_memMapping) {
            _errorMessage = loadFailure(path, reason);
            return false;
        }
        s_mappedPath = path;
    }
    ++s_memMappingUseCount;
    _counted = true;
    // Only the catalogue in use is searched: a file's check gathers no words.
    if (_loadFrom(s_memMapping, chunkId)) {
        _gatherWords();
        return true;
    }
    // The file in use is refused as it is loaded: only a new copy of it helps.
    _errorMessage = QCoreApplication::translate(
                        "StaticDB",
                        "Static food/exercise database %1 is corrupt (%2). Please reinstall the software.")
                        .arg(QDir::toNativeSeparators(s_mappedPath), _problem)
                        .toStdString();
    return false;
}

bool StaticDB::_loadFrom(const MemMappedFile* mapping, int chunkId)
{
    _mapping = mapping;
    const unsigned char* file = mapping->getData();
    const quint64 length = quint64(mapping->getLength());
    if (length < HEADER_SIZE || std::memcmp(file, MAGIC, sizeof MAGIC) != 0
        || readU32(file + 32) != 1)
        return _fail(BAD_HEADER);
    std::memcpy(_creationDate, file + 36, 10);
    _creationDate[10] = 0;

    for (quint64 entry = HEADER_SIZE;; entry += DIRECTORY_ENTRY_SIZE) {
        if (entry + DIRECTORY_ENTRY_SIZE > length)
            return _fail(MISSING_CHUNK);
        const quint32 id = readU32(file + entry);
        if (id == 0)
            return _fail(MISSING_CHUNK);
        if (id != quint32(chunkId))
            continue;
        const quint64 chunkAt = readU32(file + entry + 4);
        if (chunkAt + CHUNK_HEADER_SIZE > length)
            return _fail(BAD_CHUNK);
        const unsigned char* chunk = file + chunkAt;
        return _loadRecords(readU32(chunk), chunkAt + readU32(chunk + 4),
                            chunkAt + readU32(chunk + 8), chunkAt + readU32(chunk + 12), chunkId);
    }
}

void StaticDB::_offerEmptyRoot()
{
    _clearIndex();
    BrowsableDBItem root;
    root.id = StaticDB::getRootId();
    root.name = "";
    _items.push_back(root);
    _flags.push_back(FLAG_CATEGORY | FLAG_SEARCH_MATCH);
    _mapRecord(0);
}

bool StaticDB::_fail(const char* problem)
{
    return _fail(translated(problem));
}

bool StaticDB::_fail(const QString& problem)
{
    _problem = problem;
    _errorMessage = QCoreApplication::translate("StaticDB", "Static food/exercise database is corrupt (%1).")
                        .arg(problem)
                        .toStdString();
    return false;
}

// Reads the chunk's records into the tree. Besides the offsets, the tree relies on: names
// back to back in record order, each ending inside the mapping; every category's children
// inside the array, before the category itself (so the tree has no cycles) and in no other
// category's children; no two categories of one id (a walk by id could return to an
// ancestor); a limited depth; the root, a category with id 0, as the last record; the items
// as _loadItem() and _checkRankingGroups() check them.
bool StaticDB::_loadRecords(quint32 count, quint64 itemsAt, quint64 namesAt, quint64 dataAt,
                            int chunkId)
{
    const unsigned char* file = _mapping->getData();
    const unsigned char* end = getMappingEnd();
    const quint64 length = quint64(end - file);
    if (count == 0 || itemsAt + RECORD_SIZE * count > length || namesAt >= length || dataAt > length)
        return _fail(BAD_CHUNK);

    _forgetWords();
    _items.resize(count);
    _flags.resize(count);
    std::vector<bool> claimed(count, false);
    std::vector<unsigned char> heights(count, 0);
    const unsigned char* expectedName = nullptr;
    for (quint32 i = 0; i < count; ++i) {
        const unsigned char* record = file + itemsAt + RECORD_SIZE * i;
        const quint64 nameAt = namesAt + readU32(record + 4);
        if (nameAt >= length)
            return _fail(BAD_CHUNK);
        const unsigned char* name = file + nameAt;
        if ((expectedName && name != expectedName) || !(expectedName = skipText(name, end)))
            return _fail(BAD_CHUNK);

        BrowsableDBItem& item = _items[i];
        _flags[i] = record[0] | FLAG_SEARCH_BITS;
        item.id = readU32(record) & 0xFFFFFF;
        item.name = reinterpret_cast<const char*>(name);
        if (record[0] & FLAG_CATEGORY) {
            item.firstChild = readU32(record + 8);
            item.numCategories = readU16(record + 12);
            item.numItems = readU16(record + 14);
            if (quint64(item.firstChild) + item.childCount() > i || _categoryMap.count(item.id)
                || !claimChildren(i, _items, _flags, claimed, heights))
                return _fail(BAD_CHUNK);
        } else if (!_loadItem(item, record, dataAt, chunkId)) {
            return false;
        }
        _mapRecord(i);
    }
    if (!(_flags.back() & FLAG_CATEGORY) || _items.back().id != 0)
        return _fail(BAD_CHUNK);
    return chunkId != FOOD_CHUNK || _checkRankingGroups();
}

// Reads an item's weight and record. The diary keeps an item by its id, so the id must be
// the item's own and above 0 (the root's id, and no item in the diary).
bool StaticDB::_loadItem(BrowsableDBItem& item, const unsigned char* record, quint64 dataAt,
                         int chunkId)
{
    item.weight = readU32(record + 8);
    const quint64 recordAt = dataAt + readU32(record + 12);
    if (recordAt >= quint64(_mapping->getLength()))
        return _fail(BAD_CHUNK);
    item.data = _mapping->getData() + recordAt;
    if (item.id == 0)
        return _fail(QT_TRANSLATE_NOOP("StaticDB", "an item with the root's id 0"));
    if (_itemMap.count(item.id))
        return _fail(QCoreApplication::translate("StaticDB", "two items with id %1").arg(item.id));
    const QString problem = _recordProblem(chunkId, item);
    return problem.isEmpty() || _fail(problem);
}

QString StaticDB::_recordProblem(int chunkId, const BrowsableDBItem& item) const
{
    const unsigned char* end = getMappingEnd();
    switch (chunkId) {
    case FOOD_CHUNK:
        return foodRecordProblem(item.data, end, item.id);
    case EXERCISE_CHUNK:
        return exerciseRecordFits(item.data, end) ? QString() : translated(BAD_CHUNK);
    default:
        return QString();
    }
}

// The ranked search heads a food with the name of its ranking group: every group must be a
// category of the food chunk.
bool StaticDB::_checkRankingGroups()
{
    for (size_t i = 0; i < _items.size(); ++i) {
        if (_flags[i] & FLAG_CATEGORY)
            continue;
        const quint32 group = readU32(_items[i].data);
        if (!_categoryMap.count(group))
            return _fail(QCoreApplication::translate("StaticDB",
                                                     "food %1 ranks in group %2, which is no category")
                             .arg(_items[i].id)
                             .arg(group));
    }
    return true;
}
