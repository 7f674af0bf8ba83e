#include "userdb/catalogueroots.h"

#include "core/fooddbbase.h"
#include "userdb/bxsqlquery.h"

#include <QList>
#include <QString>

namespace {

// A category table, the column of its names and the plural noun of its roots' names.
struct RootTable
{
    const char* table;
    const char* nameColumn;
    const char* noun;
};
const RootTable RootTables[] = {
    {"custom_food_cats", "name", "Foods"},
    {"custom_exercise_cats", "description", "Exercises"},
};

bool makeRoot(const RootTable& tables, int user)
{
    BXSqlQuery insert(QStringLiteral("INSERT OR IGNORE INTO %1(category_id, parent_id, %2) "
                                     "VALUES (?, 0, ?)")
                          .arg(QLatin1String(tables.table), QLatin1String(tables.nameColumn)));
    const QString prefix = user == -1 ? QStringLiteral("Shared ") : QStringLiteral("My ");
    insert.bindValue(0, CatalogueRoots::idFor(user));
    insert.bindValue(1, prefix + QLatin1String(tables.noun));
    return insert.exec();
}

// The shared roots and those of each user.
bool makeRoots(const QList<int>& users)
{
    for (const RootTable& tables : RootTables) {
        if (!makeRoot(tables, -1))
            return false;
        for (const int user : users) {
            if (!makeRoot(tables, user))
                return false;
        }
    }
    return true;
}

} // namespace

int CatalogueRoots::idFor(int user)
{
    return user == -1 ? FoodDBBase::SharedRootId : FoodDBBase::UserRootBase + user;
}

bool CatalogueRoots::makeFor(int user)
{
    return makeRoots({user});
}

bool CatalogueRoots::makeForEveryUser()
{
    QList<int> users;
    BXSqlQuery select("SELECT user_id FROM user_users");
    if (!select.exec())
        return false;
    while (select.next())
        users.append(select.value(0).toInt());
    return makeRoots(users);
}
