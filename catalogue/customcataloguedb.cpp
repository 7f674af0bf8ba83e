#include "catalogue/customcataloguedb.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/storedid.h"
#include "userdb/storedrange.h"
#include "userdb/storetransaction.h"

#include <QCoreApplication>
#include <QVariant>

#include <algorithm>
#include <cassert>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

// Binds the values in order.
void bind(BXSqlQuery& query, const QVariantList& values)
{
    int position = 0;
    for (const QVariant& value : values)
        query.bindValue(position++, value);
}

// Runs a statement bound to the values in order; whether it ran.
bool run(BXSqlQuery& query, const QVariantList& values)
{
    bind(query, values);
    return query.exec();
}

// The first column of the first row as an int, 0 without a row or for a NULL; nothing when
// it could not be read.
std::optional<qint64> scalar(BXSqlQuery& query, const QVariantList& values)
{
    bind(query, values);
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    return *row ? query.value(0).toLongLong() : 0;
}

// The key of a table's mark in userdata_meta.
QString markKey(const QString& table)
{
    return table + QStringLiteral("_highest_id");
}

} // namespace

CustomCatalogueDB::CustomCatalogueDB(const Tables& tables)
    : _tables(tables)
{
}

// Fills the table and column names into a statement: %1 item table, %2 item id, %3 item
// name, %4 category table, %5 category name.
QString CustomCatalogueDB::_sql(const char* pattern) const
{
    const char* const names[] = {_tables.items, _tables.itemId, _tables.itemName,
                                 _tables.categories, _tables.categoryName};
    QString sql = QString::fromLatin1(pattern);
    for (int i = 0; i < int(std::size(names)); ++i)
        sql.replace(QLatin1Char('%') + QString::number(i + 1), QLatin1String(names[i]));
    return sql;
}

// The categories of the shared tree and the user's, found from the two roots down through the
// index of parents: another user's rows are never read, however many there are. The way down
// stops at a root, as every root is a root only, and takes each category once, so a loop of
// the stored tree ends it.
BXSqlQuery CustomCatalogueDB::_treeQuery(qint64 forUser, const char* select) const
{
    BXSqlQuery query(_sql("WITH RECURSIVE tree(id) AS (SELECT ? UNION SELECT ? UNION SELECT "
                          "c.category_id FROM tree CROSS JOIN %4 c ON c.parent_id = tree.id "
                          "WHERE c.category_id NOT BETWEEN ? AND ?) ")
                     + _sql(select));
    query.bindValue(0, getRootForUser(-1));
    query.bindValue(1, getRootForUser(forUser));
    query.bindValue(2, getRootForUser(0));
    query.bindValue(3, getRootForUser(MAX_USER));
    return query;
}

BXSqlQuery CustomCatalogueDB::getItemQuery(qint64 forUser) const
{
    return _treeQuery(forUser, "SELECT i.%2, i.category_id, i.%3 FROM tree CROSS JOIN %1 i "
                               "ON i.category_id = tree.id ORDER BY UPPER(i.%3)");
}

BXSqlQuery CustomCatalogueDB::getCatsQuery(qint64 forUser) const
{
    return _treeQuery(forUser, "SELECT c.category_id, c.parent_id, c.%5 FROM tree CROSS JOIN %4 c "
                               "ON c.parent_id = tree.id ORDER BY UPPER(c.%5)");
}

bool CustomCatalogueDB::givesCategoryId(qint64 id) const
{
    return CatalogueRoots::givesCategoryId(id);
}

bool CustomCatalogueDB::givesItemId(qint64 id) const
{
    return CatalogueRoots::givesItemId(id);
}

QString CustomCatalogueDB::getItemNoun() const
{
    return QString::fromLatin1(_tables.noun);
}

qint64 CustomCatalogueDB::getRootForUser(qint64 user) const
{
    assert(user >= -1 && user <= MAX_USER && "user_id >= -1 && user_id < 4096");
    return CatalogueRoots::idFor(user);
}

bool CustomCatalogueDB::reparentItemCategory(qint64 categoryId, qint64 newParentId)
{
    // A tree that could not be read is never given a loop.
    if (!_mayChange(categoryId, true) || !_mayChange(newParentId, true)
        || _isInSubtree(newParentId, categoryId).value_or(true))
        return false;
    BXSqlQuery update(_sql("UPDATE %4 SET parent_id = ? WHERE category_id = ?"));
    const bool ok = run(update, {newParentId, categoryId});
    reload(categoryId, true);
    return ok;
}

bool CustomCatalogueDB::reparentItem(qint64 itemId, qint64 newCategoryId)
{
    if (!_mayChange(itemId, false) || !_mayChange(newCategoryId, true))
        return false;
    BXSqlQuery update(_sql("UPDATE %1 SET category_id = ? WHERE %2 = ?"));
    const bool ok = run(update, {newCategoryId, itemId});
    reload(itemId, false);
    return ok;
}

qint64 CustomCatalogueDB::createCategory(qint64 parentId, const QString& name, qint64 id)
{
    if (!_mayChange(parentId, true))
        return -1;
    const qint64 stored = _storeNew(_categoryIds(), id, [&](qint64 newId) {
        BXSqlQuery insert(_sql("INSERT INTO %4(category_id, parent_id, %5) VALUES (?, ?, ?)"));
        return run(insert, {newId, parentId, name});
    });
    reload(std::max<qint64>(stored, 0), true);
    return stored;
}

bool CustomCatalogueDB::updateCategory(qint64 categoryId, const QString& name)
{
    if (!_mayChange(categoryId, true))
        return false;
    BXSqlQuery update(_sql("UPDATE %4 SET %5 = ? WHERE category_id = ?"));
    const bool ok = run(update, {name, categoryId});
    reload(categoryId, true);
    return ok;
}

bool CustomCatalogueDB::deleteCategory(qint64 categoryId, bool force)
{
    return _deleteCategory(categoryId, force, currentUser());
}

bool CustomCatalogueDB::deleteTreeOf(qint64 user)
{
    return _deleteCategory(getRootForUser(user), true, user);
}

bool CustomCatalogueDB::_deleteCategory(qint64 categoryId, bool force, qint64 user)
{
    if (!_mayChange(categoryId, true, user))
        return false;
    if (!force && _hasChildren(categoryId).value_or(true))
        return false;
    // The category goes whole, with everything below it, or not at all.
    bool ok = false;
    if (StoreTransaction change; change)
        ok = change.end(_deleteSubtree(categoryId));
    reload(0, false);
    return ok;
}

QString CustomCatalogueDB::getCategoryName(qint64 categoryId) const
{
    BXSqlQuery select(_sql("SELECT %5 FROM %4 WHERE category_id = ?"));
    if (!run(select, {categoryId}) || !select.next())
        return QString();
    const StoredRange name(_tables.categories, _tables.categoryName, PlausibleRange(0, StoredRange::LineLength));
    return name.readText(select.value(0));
}

qint64 CustomCatalogueDB::_createItem(qint64 categoryId, const std::function<bool(qint64 id)>& insert)
{
    if (!_mayChange(categoryId, true))
        return -1;
    return _storeNew(_itemIds(), -1, insert);
}

bool CustomCatalogueDB::_mayChange(qint64 id, bool isCategory) const
{
    return _mayChange(id, isCategory, currentUser());
}

bool CustomCatalogueDB::_mayChange(qint64 id, bool isCategory, qint64 user) const
{
    std::optional<qint64> category = id;
    if (!isCategory) {
        BXSqlQuery item(_sql("SELECT category_id FROM %1 WHERE %2 = ?"));
        bind(item, {id});
        const std::optional<bool> row = item.first();
        category = row ? std::optional<qint64>(*row ? StoredId::read(item.value(0), StoredId::Kind::Catalogue) : 0)
                       : std::nullopt;
    }
    const std::optional<qint64> root = category ? _rootOf(*category) : std::nullopt;
    if (!root)
        return false;
    if (*root == getRootForUser(user) || *root == getRootForUser(-1))
        return true;
    BXSqlDb::noteRefusal(QCoreApplication::translate(
        "CustomCatalogueDB", "it lies in another user's catalogue, or in none: only its owner "
                             "can change it"));
    return false;
}

// One look-up by key for each category on the way, each category taken once: a loop of any
// length ends the walk, as a row that is gone does (-1, no root).
std::optional<qint64> CustomCatalogueDB::_rootOf(qint64 categoryId) const
{
    std::unordered_set<qint64> seen;
    BXSqlQuery parent(_sql("SELECT parent_id FROM %4 WHERE category_id = ?"));
    qint64 id = categoryId;
    while (!CatalogueRoots::isRoot(id)) {
        if (!seen.insert(id).second)
            return -1;
        bind(parent, {id});
        const std::optional<bool> row = parent.first();
        if (!row)
            return std::nullopt;
        if (!*row)
            return -1;
        id = StoredId::read(parent.value(0), StoredId::Kind::Catalogue);
    }
    return id;
}

// Items take ids up to the end of the catalogue's id space; categories stay below the user
// roots.
CustomCatalogueDB::IdRange CustomCatalogueDB::_itemIds() const
{
    return {_sql("%1"), _sql("%2"), FoodDBBase::IdSpaceEnd, _tables.namedIds, _tables.noIdLeft};
}

CustomCatalogueDB::IdRange CustomCatalogueDB::_categoryIds() const
{
    return {_sql("%4"), QStringLiteral("category_id"), USER_ROOT_BASE, {},
            QT_TRANSLATE_NOOP("CustomCatalogueDB",
                              "every number for a new category has been given, so no new "
                              "category can be made. Rename one of your categories instead")};
}

std::optional<qint64> CustomCatalogueDB::_freshId(const IdRange& range) const
{
    QString sql = QStringLiteral("SELECT MAX(id) FROM (SELECT MAX(%1) AS id FROM %2 WHERE %1 < ? "
                                 "UNION ALL SELECT CAST(itemvalue AS INTEGER) FROM userdata_meta "
                                 "WHERE itemkey = ?")
                      .arg(range.column, range.table);
    QVariantList values{range.end, markKey(range.table)};
    for (const char* named : range.namedIds) {
        sql += QStringLiteral(" UNION ALL ") + QLatin1String(named);
        values << FIRST_ID << range.end;
    }
    BXSqlQuery highest(sql + QLatin1Char(')'));
    const std::optional<qint64> found = scalar(highest, values);
    if (!found)
        return std::nullopt;
    const qint64 next = std::max<qint64>(*found + 1, FIRST_ID);
    if (next >= range.end) {
        BXSqlDb::noteRefusal(QCoreApplication::translate("CustomCatalogueDB", range.noIdLeft));
        return std::nullopt;
    }
    return next;
}

bool CustomCatalogueDB::_markGiven(const IdRange& range, qint64 id)
{
    if (id < FIRST_ID || id >= range.end)
        return true;
    // A lower mark gives way; a higher one stays. The table may lack a key constraint.
    BXSqlQuery lower("DELETE FROM userdata_meta WHERE itemkey = ? AND CAST(itemvalue AS INTEGER) < ?");
    BXSqlQuery mark("INSERT INTO userdata_meta(itemkey, itemvalue) SELECT ?, ? WHERE NOT EXISTS "
                    "(SELECT 1 FROM userdata_meta WHERE itemkey = ?)");
    const QString key = markKey(range.table);
    return run(lower, {key, id}) && run(mark, {key, id, key});
}

// The new id is read and taken in one change, so that no other program takes it between.
qint64 CustomCatalogueDB::_storeNew(const IdRange& range, qint64 id,
                                    const std::function<bool(qint64 id)>& insert)
{
    StoreTransaction change;
    if (!change)
        return -1;
    if (id < 0)
        id = _freshId(range).value_or(-1);
    return change.end(id >= 0 && insert(id) && _markGiven(range, id)) ? id : -1;
}

bool CustomCatalogueDB::_deleteItem(qint64 itemId)
{
    if (!_mayChange(itemId, false))
        return false;
    BXSqlQuery remove(_sql("DELETE FROM %1 WHERE %2 = ?"));
    const bool ok = run(remove, {itemId});
    reload(0, false);
    return ok;
}

// Asked of the tables rather than of the tree, which holds only the current user's
// categories.
std::optional<bool> CustomCatalogueDB::_hasChildren(qint64 categoryId) const
{
    BXSqlQuery categories(_sql("SELECT COUNT(*) FROM %4 WHERE parent_id = ?"));
    BXSqlQuery items(_sql("SELECT COUNT(*) FROM %1 WHERE category_id = ?"));
    const std::optional<qint64> below = scalar(categories, {categoryId});
    const std::optional<qint64> inside = below ? scalar(items, {categoryId}) : std::nullopt;
    if (!inside)
        return std::nullopt;
    return *below > 0 || *inside > 0;
}

// The category with every category below it and their items. Each table is read once and
// the rows go by their keys, so a tree of any depth or width goes in time linear in its rows.
// What the tree does not show below the category stays: a root, or a category already taken,
// that a row of a loop names as a child.
bool CustomCatalogueDB::_deleteSubtree(qint64 categoryId)
{
    std::unordered_map<qint64, std::vector<qint64>> children;
    BXSqlQuery categories(_sql("SELECT category_id, parent_id FROM %4"));
    if (!categories.readRows([&] {
            children[StoredId::read(categories.value(1), StoredId::Kind::Catalogue)].push_back(
                StoredId::read(categories.value(0), StoredId::Kind::Catalogue));
        }))
        return false;
    std::vector<qint64> below{categoryId};
    std::unordered_set<qint64> taken{categoryId};
    for (size_t i = 0; i < below.size(); ++i) {
        for (qint64 child : children[below[i]]) {
            if (!CatalogueRoots::isRoot(child) && taken.insert(child).second)
                below.push_back(child);
        }
    }
    std::vector<qint64> itemIds;
    BXSqlQuery items(_sql("SELECT %2, category_id FROM %1"));
    if (!items.readRows([&] {
            if (taken.count(StoredId::read(items.value(1), StoredId::Kind::Catalogue)))
                itemIds.push_back(StoredId::read(items.value(0), StoredId::Kind::Catalogue));
        }))
        return false;
    BXSqlQuery item(_sql("DELETE FROM %1 WHERE %2 = ?"));
    BXSqlQuery category(_sql("DELETE FROM %4 WHERE category_id = ?"));
    bool ok = true;
    for (qint64 id : itemIds)
        ok = ok && run(item, {id});
    for (auto id = below.rbegin(); ok && id != below.rend(); ++id)
        ok = run(category, {*id});
    return ok;
}

// Whether candidate is categoryId or lies below it, following the parents upwards.
std::optional<bool> CustomCatalogueDB::_isInSubtree(qint64 candidate, qint64 categoryId) const
{
    std::set<qint64> seen;
    BXSqlQuery parent(_sql("SELECT parent_id FROM %4 WHERE category_id = ?"));
    for (qint64 id = candidate; id != 0 && seen.insert(id).second;) {
        if (id == categoryId)
            return true;
        bind(parent, {id});
        const std::optional<bool> row = parent.first();
        if (!row)
            return std::nullopt;
        id = *row ? StoredId::read(parent.value(0), StoredId::Kind::Catalogue) : 0;
    }
    return false;
}
