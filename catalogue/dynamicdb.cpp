#include "catalogue/dynamicdb.h"

#include "catalogue/dynamicdbreloadinfo.h"
#include "core/notificationcenter.h"
#include "userdb/userdb.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QVariant>

#include <cstring>

namespace {

const char* const QUERY_FAILED = "Dynamic DB couldn't execute query!";

// Every placeholder of the tree's queries takes the parent id.
void bindParent(BXSqlQuery& query, quint32 parentId)
{
    const int placeholders = int(query.statement()->lastQuery().count(QLatin1Char('?')));
    for (int i = 0; i < placeholders; ++i)
        query.bindValue(i, qint64(parentId));
}

// The names of the shared and the user's root, whole for translation, by the plural noun of
// the tree's items.
struct RootNames
{
    const char* noun;
    const char* shared;
    const char* user;
};

const RootNames s_rootNames[] = {
    {"Foods", QT_TRANSLATE_NOOP("DynamicDB", "Shared Foods"), QT_TRANSLATE_NOOP("DynamicDB", "My Foods")},
    {"Exercises", QT_TRANSLATE_NOOP("DynamicDB", "Shared Exercises"),
     QT_TRANSLATE_NOOP("DynamicDB", "My Exercises")},
    {"Meals", QT_TRANSLATE_NOOP("DynamicDB", "Shared Meals"), QT_TRANSLATE_NOOP("DynamicDB", "My Meals")},
};

QString rootName(const QString& noun, bool shared)
{
    for (const RootNames& names : s_rootNames) {
        if (noun == QLatin1String(names.noun))
            return QCoreApplication::translate("DynamicDB", shared ? names.shared : names.user);
    }
    return shared ? QCoreApplication::translate("DynamicDB", "Shared items")
                  : QCoreApplication::translate("DynamicDB", "My items");
}

} // namespace

DynamicDB::DynamicDB()
{
    _utf8Names = true;
}

DynamicDB::~DynamicDB() = default;

int DynamicDB::currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

int DynamicDB::getRootId() const
{
    return getRootForUser(currentUser()) + TREE_ROOT_OFFSET;
}

int DynamicDB::_pushName(const QString& name)
{
    const int offset = int(_names.size());
    _names.append(name.toUtf8());
    _names.append('\0');
    return offset;
}

bool DynamicDB::reload(int selectId, bool selectIsCategory)
{
    _itemQuery = std::make_unique<BXSqlQuery>(getItemQuery());
    _catsQuery = std::make_unique<BXSqlQuery>(getCatsQuery());
    // What the tree showed, put back when a branch cannot be read: a branch that could not be
    // read is never shown as an empty one.
    std::vector<BrowsableDBItem> shownItems = std::move(_items);
    std::vector<unsigned char> shownFlags = std::move(_flags);
    std::map<quint32, size_t> shownCategories = std::move(_categoryMap);
    std::unordered_map<quint32, size_t> shownItemMap = std::move(_itemMap);
    const QByteArray shownNames = _names;
    _clearIndex();
    _names.clear();

    Build build;
    const QString noun = getItemNoun();
    const quint32 sharedId = quint32(getRootForUser(-1));
    const quint32 userId = quint32(getRootForUser(currentUser()));
    int sharedName = 0;
    int userName = 0;
    const BrowsableDBItem shared = _addRoot(sharedId, rootName(noun, true), build,
                                            sharedName);
    // Without a current user the user's root is the shared root, shown once.
    const bool hasUserRoot = userId != sharedId;
    BrowsableDBItem user;
    if (hasUserRoot)
        user = _addRoot(userId, rootName(noun, false), build, userName);

    BrowsableDBItem root;
    root.id = quint32(getRootId());
    root.firstChild = quint32(_items.size());
    root.numCategories = hasUserRoot ? 2 : 1;
    _appendRecord(shared, FLAG_CATEGORY, sharedName, build);
    if (hasUserRoot)
        _appendRecord(user, FLAG_CATEGORY, userName, build);
    _appendRecord(root, FLAG_CATEGORY, _pushName(QStringLiteral("ROOT")), build);

    _itemQuery.reset();
    _catsQuery.reset();
    if (build.unread) {
        _items = std::move(shownItems);
        _flags = std::move(shownFlags);
        _categoryMap = std::move(shownCategories);
        _itemMap = std::move(shownItemMap);
        _names = shownNames;
        return false;
    }
    _layOutNames(build.nameOffsets);
    for (size_t i = 0; i < _items.size(); ++i)
        _mapRecord(i);

    DynamicDBReloadInfo info{selectId, selectIsCategory, this};
    NotificationCenter::notify(RELOADED_NOTIFICATION, static_cast<void*>(&info));
    return true;
}

BrowsableDBItem DynamicDB::_addRoot(quint32 rootId, const QString& name, Build& build,
                                    int& nameOffset)
{
    BrowsableDBItem root;
    root.id = rootId;
    nameOffset = _pushName(name);
    _addCategory(rootId, root, build);
    return root;
}

// Appends the subtree of a category: the descendants of each child category first, then
// the category's own children (categories, then items). Fills the category's child range.
void DynamicDB::_addCategory(quint32 parentId, BrowsableDBItem& category, Build& build)
{
    build.visited.insert(parentId);
    const std::vector<Row> categories = _collect(*_catsQuery, parentId, build);
    const std::vector<Row> items = _collect(*_itemQuery, parentId, build);

    std::vector<BrowsableDBItem> children(categories.size());
    for (size_t i = 0; i < categories.size(); ++i) {
        children[i].id = categories[i].id;
        if (!build.visited.count(categories[i].id))
            _addCategory(categories[i].id, children[i], build);
    }

    category.firstChild = quint32(_items.size());
    category.numCategories = quint16(categories.size());
    category.numItems = quint16(items.size());
    for (size_t i = 0; i < categories.size(); ++i)
        _appendRecord(children[i], FLAG_CATEGORY | FLAG_EDITABLE | FLAG_SEARCH_MATCH,
                      categories[i].nameOffset, build);
    for (const Row& row : items) {
        BrowsableDBItem item;
        item.id = row.id;
        _appendRecord(item, FLAG_EDITABLE | FLAG_SEARCH_MATCH, row.nameOffset, build);
    }
}

std::vector<DynamicDB::Row> DynamicDB::_collect(BXSqlQuery& query, quint32 parentId, Build& build)
{
    std::vector<Row> rows;
    if (build.unread)
        return rows;
    bindParent(query, parentId);
    // A branch that could not be read (another program held it, a damaged page) fails the
    // whole reload, which then keeps the tree shown; the reading's action tells why.
    if (!query.readRows([&] {
            rows.push_back({quint32(query.value(0).toLongLong()), _pushName(query.value(1).toString())});
        })) {
        qWarning("%s: %s", QUERY_FAILED, qPrintable(query.outcome().readText()));
        build.unread = true;
        rows.clear();
    }
    return rows;
}

void DynamicDB::_appendRecord(const BrowsableDBItem& item, unsigned char flags, int nameOffset,
                              Build& build)
{
    _items.push_back(item);
    _flags.push_back(flags);
    build.nameOffsets.push_back(nameOffset);
}

// Copies the names into a fresh store in record order, so that each record's name follows
// the previous one's, and points the records at them.
void DynamicDB::_layOutNames(const std::vector<int>& nameOffsets)
{
    QByteArray names;
    names.reserve(_names.size());
    std::vector<int> offsets;
    offsets.reserve(nameOffsets.size());
    for (int offset : nameOffsets) {
        offsets.push_back(int(names.size()));
        names.append(_names.constData() + offset, qsizetype(std::strlen(_names.constData() + offset)) + 1);
    }
    _names = names;
    for (size_t i = 0; i < _items.size(); ++i)
        _items[i].name = _names.constData() + offsets[i];
}
