#include "catalogue/dynamicdb.h"

#include "catalogue/dynamicdbreloadinfo.h"
#include "core/notificationcenter.h"
#include "userdb/storedid.h"
#include "userdb/storednotices.h"
#include "userdb/storedrange.h"
#include "userdb/userdb.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QVariant>

#include <cstring>

namespace {

const char* const QUERY_FAILED = "Dynamic DB couldn't execute query!";

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

qint64 DynamicDB::currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

qint64 DynamicDB::getRootId() const
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

bool DynamicDB::reload(qint64 selectId, bool selectIsCategory)
{
    // What the tree showed, put back when a branch cannot be read: a branch that could not be
    // read is never shown as an empty one.
    Shown shown = _takeShown();
    Build build;
    _build(currentUser(), build);
    if (build.unread) {
        _putBack(std::move(shown));
        return false;
    }
    _layOutNames(build.nameOffsets);
    for (size_t i = 0; i < _items.size(); ++i)
        _mapRecord(i);

    DynamicDBReloadInfo info{selectId, selectIsCategory, this};
    NotificationCenter::notify(RELOADED_NOTIFICATION, static_cast<void*>(&info));
    return true;
}

bool DynamicDB::readsTreeOf(qint64 user)
{
    Shown shown = _takeShown();
    Build build;
    _build(user, build);
    _putBack(std::move(shown));
    return !build.unread;
}

DynamicDB::Shown DynamicDB::_takeShown()
{
    Shown shown{std::move(_items), std::move(_flags), std::move(_categoryMap), std::move(_itemMap),
                _names};
    _clearIndex();
    _names.clear();
    return shown;
}

void DynamicDB::_putBack(Shown&& shown)
{
    _items = std::move(shown.items);
    _flags = std::move(shown.flags);
    _categoryMap = std::move(shown.categoryMap);
    _itemMap = std::move(shown.itemMap);
    _names = shown.names;
}

// Appends the records of the user's tree: the shared root's subtree, the user's root's subtree
// and the in-memory root above both. Each table is read once, and the tree is built from its
// rows.
void DynamicDB::_build(qint64 forUser, Build& build)
{
    _collect(getCatsQuery(forUser), build.categories, true, build);
    _collect(getItemQuery(forUser), build.items, false, build);
    if (build.unread)
        return;
    if (build.refused > 0)
        StoredNotices::tell(getItemNoun() + QStringLiteral(" ids"),
                            QStringLiteral("Your %1 leave out %2 rows whose ids this program never gives.")
                                .arg(getItemNoun())
                                .arg(build.refused));
    const QString noun = getItemNoun();
    const qint64 sharedId = getRootForUser(-1);
    const qint64 userId = getRootForUser(forUser);
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
    root.id = userId + TREE_ROOT_OFFSET;
    root.firstChild = quint32(_items.size());
    root.numCategories = hasUserRoot ? 2 : 1;
    _appendRecord(shared, FLAG_CATEGORY, sharedName, build);
    if (hasUserRoot)
        _appendRecord(user, FLAG_CATEGORY, userName, build);
    _appendRecord(root, FLAG_CATEGORY, _pushName(QStringLiteral("ROOT")), build);
}

BrowsableDBItem DynamicDB::_addRoot(qint64 rootId, const QString& name, Build& build,
                                    int& nameOffset)
{
    nameOffset = _pushName(name);
    return _addSubtree(rootId, build);
}

// Appends the subtree of a category: the descendants of each child category first, then
// the category's own children (categories, then items), and returns the category's record
// with its child range. The levels on the way down are kept in a list of their own, so a
// tree of any depth is built.
BrowsableDBItem DynamicDB::_addSubtree(qint64 categoryId, Build& build)
{
    std::vector<Level> levels;
    levels.push_back(_open(categoryId, build));
    for (;;) {
        Level& level = levels.back();
        if (level.built.size() < level.categories.size()) {
            const qint64 next = level.categories[level.built.size()].id;
            levels.push_back(_open(next, build));
            continue;
        }
        _close(level, build);
        const BrowsableDBItem record = level.record;
        levels.pop_back();
        if (levels.empty())
            return record;
        levels.back().built.push_back(record);
    }
}

// A category is listed once: a row that names a category already entered closes a loop of
// the stored tree, which is shown broken there.
DynamicDB::Level DynamicDB::_open(qint64 categoryId, Build& build)
{
    Level level;
    level.record.id = categoryId;
    const auto found = build.categories.find(categoryId);
    if (found == build.categories.end())
        return level;
    level.categories = std::move(found->second);
    build.categories.erase(found);
    std::erase_if(level.categories,
                  [&build](const Row& row) { return !build.visited.insert(row.id).second; });
    return level;
}

void DynamicDB::_close(Level& level, Build& build)
{
    std::vector<Row> items;
    if (const auto found = build.items.find(level.record.id); found != build.items.end()) {
        items = std::move(found->second);
        build.items.erase(found);
    }
    level.record.firstChild = quint32(_items.size());
    level.record.numCategories = quint32(level.categories.size());
    level.record.numItems = quint32(items.size());
    for (size_t i = 0; i < level.categories.size(); ++i)
        _appendRecord(level.built[i], FLAG_CATEGORY | FLAG_EDITABLE | FLAG_SEARCH_MATCH,
                      level.categories[i].nameOffset, build);
    for (const Row& row : items) {
        BrowsableDBItem item;
        item.id = row.id;
        _appendRecord(item, FLAG_EDITABLE | FLAG_SEARCH_MATCH, row.nameOffset, build);
    }
}

// Reads the rows of a query by the id above them, whole in width. Every root is a root only:
// a category row that gives one a parent is left out, so no user's tree is ever shown in
// another's. A row whose id the store never gives is left out too. A table that could not be
// read (another program held it, a damaged page) fails the whole reload, which then keeps the
// tree shown; the reading's action tells why.
void DynamicDB::_collect(BXSqlQuery query, Children& children, bool categories, Build& build)
{
    if (build.unread)
        return;
    const QByteArray noun = getItemNoun().toUtf8();
    const StoredRange names(noun.constData(), categories ? "category name" : "name",
                            PlausibleRange(0, StoredRange::LineLength));
    const bool read = query.readRows([&] {
        const qint64 id = StoredId::read(query.value(0), StoredId::Kind::Catalogue);
        if (categories && _isRoot(id))
            return;
        if (!(categories ? givesCategoryId(id) : givesItemId(id))) {
            ++build.refused;
            return;
        }
        const QVariant name = query.value(2);
        const auto place = [&] {
            return QStringLiteral("'%1' of your %2").arg(name.toString().left(40), QString::fromUtf8(noun));
        };
        children[StoredId::read(query.value(1), StoredId::Kind::Catalogue)].push_back({id, _pushName(names.readText(name, place))});
    });
    if (!read) {
        qWarning("%s: %s", QUERY_FAILED, qPrintable(query.outcome().readText()));
        build.unread = true;
    }
}

bool DynamicDB::_isRoot(qint64 id) const
{
    return id == getRootForUser(-1) || (id >= getRootForUser(0) && id <= getRootForUser(MAX_USER));
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
    _forgetWords();
}
