#include "userdb/catalogueroots.h"

#include "core/fooddbbase.h"
#include "userdb/bxsqlquery.h"
#include "userdb/storedid.h"

#include <QCoreApplication>
#include <QString>

#include <map>
#include <optional>
#include <set>

namespace {

// A category table, the column of its names, the plural noun of its roots' names, the table
// of the items its categories hold and its id column.
struct RootTable
{
    const char* table;
    const char* nameColumn;
    const char* noun;
    const char* itemTable;
    const char* itemId;
};
const RootTable RootTables[] = {
    {"custom_food_cats", "name", "Foods", "custom_foods", "food_id"},
    {"custom_exercise_cats", "description", "Exercises", "custom_exercises", "activity_id"},
};

// The shared root of a table, and the roots of `user` or, without one, of every user.
bool makeRoots(const RootTable& tables, std::optional<qint64> user)
{
    const QString insert = QStringLiteral("INSERT OR IGNORE INTO %1(category_id, parent_id, %2) ")
                               .arg(QLatin1String(tables.table), QLatin1String(tables.nameColumn));
    const QString noun = QLatin1String(tables.noun);
    BXSqlQuery shared(insert + QStringLiteral("VALUES (?, 0, ?)"));
    shared.bindValue(0, CatalogueRoots::idFor(-1));
    shared.bindValue(1, QStringLiteral("Shared ") + noun);
    BXSqlQuery own(insert + QStringLiteral("SELECT ? + user_id, 0, ? FROM user_users")
                   + (user ? QStringLiteral(" WHERE user_id = ?") : QString()));
    own.bindValue(0, CatalogueRoots::idFor(0));
    own.bindValue(1, QStringLiteral("My ") + noun);
    if (user)
        own.bindValue(2, *user);
    return shared.exec() && own.exec();
}

struct Category
{
    qint64 parent;
    QString name;
};

// A category of the table that lies below itself: its id, or nothing. Each category's way up
// is followed until it ends (at a parent that is no category) or meets a category whose way
// was already followed, so every category is visited once.
std::optional<qint64> loopIn(const std::map<qint64, Category>& categories)
{
    std::set<qint64> ending;
    for (const auto& category : categories) {
        std::set<qint64> way;
        qint64 at = category.first;
        for (auto found = categories.find(at); found != categories.end() && !ending.count(at)
             && way.insert(at).second; found = categories.find(at))
            at = found->second.parent;
        if (way.count(at))
            return at;
        ending.insert(way.begin(), way.end());
    }
    return std::nullopt;
}

// A root that a row places below another category: its id, or nothing.
std::optional<qint64> rootBelowIn(const std::map<qint64, Category>& categories)
{
    for (const auto& [id, category] : categories) {
        if (CatalogueRoots::isRoot(id) && category.parent != 0)
            return id;
    }
    return std::nullopt;
}

// The first value of a table's column that is no id of the range, nor, where `noParent`
// allows it, the 0 of a category without a parent; nothing without one. False, with the
// reason, when the table could not be read.
bool findStrangeId(const QString& table, const QString& column, StoredId::Kind kind, bool noParent,
                   std::optional<QString>& found, QString& reason)
{
    BXSqlQuery read(QStringLiteral("SELECT %1 FROM %2 WHERE %3%4 LIMIT 1")
                        .arg(column, table, StoredId::unheldSql(column),
                             noParent ? QStringLiteral(" AND %1 <> 0").arg(column) : QString()));
    const StoredId::Range range = StoredId::range(kind);
    read.bindValue(0, range.first);
    read.bindValue(1, range.last);
    found.reset();
    if (!read.readRows([&] { found = read.value(0).toString(); })) {
        reason = read.outcome().message();
        return false;
    }
    return true;
}

// Names in `link` the first value of the tables' id columns that the program never gives.
bool findStrangeIds(const RootTable& tables, QString* link)
{
    const QString categories = QLatin1String(tables.table);
    const QString items = QLatin1String(tables.itemTable);
    const struct {
        const QString& table;
        const char* column;
        StoredId::Kind kind;
        bool noParent;
    } columns[] = {{categories, "category_id", StoredId::Kind::CustomCategory, false},
                   {categories, "parent_id", StoredId::Kind::CustomCategory, true},
                   {items, tables.itemId, StoredId::Kind::CustomItem, false},
                   {items, "category_id", StoredId::Kind::CustomCategory, false}};
    for (const auto& column : columns) {
        std::optional<QString> found;
        if (!findStrangeId(column.table, QLatin1String(column.column), column.kind,
                           column.noParent, found, *link))
            return false;
        if (found) {
            *link = QCoreApplication::translate("CatalogueRoots",
                                                "the table %1 holds %2 in its column %3, an id this "
                                                "program never gives")
                        .arg(column.table, *found, QLatin1String(column.column));
            return true;
        }
    }
    return true;
}

bool makeAllRoots(std::optional<qint64> user)
{
    for (const RootTable& tables : RootTables) {
        if (!makeRoots(tables, user))
            return false;
    }
    return true;
}

} // namespace

qint64 CatalogueRoots::idFor(qint64 user)
{
    return user == -1 ? FoodDBBase::SharedRootId : FoodDBBase::UserRootBase + user;
}

bool CatalogueRoots::isRoot(qint64 id)
{
    // The users' roots lie right below the shared one.
    return id >= idFor(0) && id <= idFor(-1);
}

bool CatalogueRoots::givesCategoryId(qint64 id)
{
    return StoredId::within(id, StoredId::Kind::CustomCategory);
}

bool CatalogueRoots::givesItemId(qint64 id)
{
    return StoredId::within(id, StoredId::Kind::CustomItem);
}

std::optional<bool> CatalogueRoots::holdsAnything(qint64 user)
{
    bool found = false;
    for (const RootTable& tables : RootTables) {
        BXSqlQuery query(QStringLiteral("SELECT 1 FROM %1 WHERE category_id = ? OR parent_id = ? "
                                        "UNION ALL SELECT 1 FROM %2 WHERE category_id = ? LIMIT 1")
                             .arg(QLatin1String(tables.table), QLatin1String(tables.itemTable)));
        for (int column = 0; column < 3; ++column)
            query.bindValue(column, idFor(user));
        if (!query.readRows([&] { found = true; }))
            return std::nullopt;
    }
    return found;
}

bool CatalogueRoots::makeFor(qint64 user)
{
    return makeAllRoots(user);
}

bool CatalogueRoots::makeForEveryUser()
{
    return makeAllRoots(std::nullopt);
}

bool CatalogueRoots::findBadLink(QString* link)
{
    link->clear();
    for (const RootTable& tables : RootTables) {
        if (!findStrangeIds(tables, link))
            return false;
        if (!link->isEmpty())
            return true;
        // A name is read only as far as a message shows it.
        BXSqlQuery read(QStringLiteral("SELECT category_id, parent_id, substr(%1, 1, 40) FROM %2")
                            .arg(QLatin1String(tables.nameColumn), QLatin1String(tables.table)));
        std::map<qint64, Category> categories;
        std::optional<qint64> twice;
        if (!read.readRows([&read, &categories, &twice] {
                const qint64 id = StoredId::read(read.value(0), StoredId::Kind::Catalogue);
                const qint64 parent = StoredId::read(read.value(1), StoredId::Kind::Catalogue);
                if (!categories.try_emplace(id, Category{parent, read.value(2).toString()}).second)
                    twice = twice.value_or(id);
            })) {
            *link = read.outcome().message();
            return false;
        }
        const QString table = QLatin1String(tables.table);
        // Two categories of one id: which of them an item belongs to cannot be told, so neither
        // is kept.
        if (twice) {
            *link = QCoreApplication::translate("CatalogueRoots", "the table %1 holds two categories of the id %2")
                        .arg(table)
                        .arg(*twice);
            return true;
        }
        if (const std::optional<qint64> id = loopIn(categories)) {
            *link = QCoreApplication::translate("CatalogueRoots",
                                                "the table %1 holds a loop: the category %2 (\"%3\") "
                                                "lies below itself")
                        .arg(table)
                        .arg(*id)
                        .arg(categories.at(*id).name);
            return true;
        }
        if (const std::optional<qint64> id = rootBelowIn(categories)) {
            const qint64 parent = categories.at(*id).parent;
            const auto above = categories.find(parent);
            *link = QCoreApplication::translate("CatalogueRoots",
                                                "the table %1 places the root category %2 (\"%3\") "
                                                "below the category %4 (\"%5\"): a root is never "
                                                "another category's child")
                        .arg(table)
                        .arg(*id)
                        .arg(categories.at(*id).name)
                        .arg(parent)
                        .arg(above != categories.end() ? above->second.name : QString());
            return true;
        }
    }
    return true;
}
