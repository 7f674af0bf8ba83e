#include "userdb/catalogueroots.h"

#include "core/fooddbbase.h"
#include "userdb/bxsqlquery.h"

#include <QString>

#include <optional>

namespace {

// A category table, the column of its names, the plural noun of its roots' names and the
// table of the items its categories hold.
struct RootTable
{
    const char* table;
    const char* nameColumn;
    const char* noun;
    const char* itemTable;
};
const RootTable RootTables[] = {
    {"custom_food_cats", "name", "Foods", "custom_foods"},
    {"custom_exercise_cats", "description", "Exercises", "custom_exercises"},
};

// The shared root of a table, and the roots of `user` or, without one, of every user.
bool makeRoots(const RootTable& tables, std::optional<int> user)
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

bool makeAllRoots(std::optional<int> user)
{
    for (const RootTable& tables : RootTables) {
        if (!makeRoots(tables, user))
            return false;
    }
    return true;
}

} // namespace

int CatalogueRoots::idFor(int user)
{
    return user == -1 ? FoodDBBase::SharedRootId : FoodDBBase::UserRootBase + user;
}

std::optional<bool> CatalogueRoots::holdsAnything(int user)
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

bool CatalogueRoots::makeFor(int user)
{
    return makeAllRoots(user);
}

bool CatalogueRoots::makeForEveryUser()
{
    return makeAllRoots(std::nullopt);
}
