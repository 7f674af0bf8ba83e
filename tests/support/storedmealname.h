#pragma once

#include "userdb/bxsqlquery.h"

#include <QString>

// The stored name of a user's saved meal; null when the user has no such meal.
inline QString storedMealName(qint64 user, qint64 mealId)
{
    BXSqlQuery query("SELECT name FROM group_diary WHERE user_id = ? AND group_id = ? LIMIT 1");
    query.bindValue(0, user);
    query.bindValue(1, mealId);
    return query.first() == true ? query.value(0).toString() : QString();
}
