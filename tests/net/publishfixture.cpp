#include "publishfixture.h"

#include "core/bxsettings.h"
#include "core/diaryday.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/testsession.h"

#include <QDir>

#include <cstring>

namespace PublishFixture {

qint64 startUserDatabase()
{
    stopUserDatabase();
    QDir folder(BXSettings::getUserDBPath());
    for (const QString& name : folder.entryList({QStringLiteral("userdata*")}, QDir::Files))
        folder.remove(name);
    const StoreResult start = DiaryStart::startUp(true);
    if (!start)
        qFatal("cannot start the user database: %s", qPrintable(start.message()));
    const qint64 user = addCompleteUser(QStringLiteral("Pat"));
    if (user < 0)
        qFatal("cannot add a user");
    UserDB::instance()->setCurrentUser(user);
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(user).value();
    prefs.webUserName = QStringLiteral("pat");
    prefs.webPassword = QStringLiteral("secret");
    UserDB::instance()->setUserPrefs(user, prefs);
    return user;
}

void stopUserDatabase()
{
    DiaryDB::cleanUp();
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
}

int addFood(const char* date, int meal, const QString& name, float energy)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = UserDB::instance()->getCurrentUser();
    entry.setDate(date);
    entry.meal = meal;
    entry.refId = 0;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.size = 1.5f;
    entry.values.energy = energy;
    entry.values.fat = 2.5f;
    entry.values.protein = 1.0f / 3.0f;
    entry.values.sodium = 1000000.0f;
    entry.values.calcium = -1.0f;
    return DiaryDB::instance()->addFoodEntry(entry, false);
}

void addFoods(const char* date, int count)
{
    BXSqlDb::beginTransaction();
    for (int n = 0; n < count; ++n)
        addFood(date, DBTypes::DiaryDay::LUNCH, QStringLiteral("Rice"));
    BXSqlDb::commitTransaction();
}

int addExercise(const char* date, float duration, float rate, const QString& name)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = UserDB::instance()->getCurrentUser();
    entry.setDate(date);
    entry.duration = duration;
    entry.rate = rate;
    entry.name = name;
    return DiaryDB::instance()->addExEntry(entry, false);
}

void weigh(const char* date, float weight)
{
    DBTypes::CheckinItem item;
    item.userId = UserDB::instance()->getCurrentUser();
    std::strcpy(item.date, date);
    item.weight = weight;
    item.hasWeight = true;
    if (!UserDB::instance()->addCheckin(item, false))
        qFatal("cannot store a check-in");
}

int webRowsNotInStep(const char* table)
{
    const QString name = QLatin1String(table);
    QString sql;
    if (name == QLatin1String("food_diary"))
        sql = QStringLiteral("SELECT COUNT(*) FROM food_diary_sync s, food_diary d WHERE s.food_id = d.food_id "
                             "AND s.device = 0 AND s.state <> 0 AND d.user_id = ?");
    else if (name == QLatin1String("exer_diary"))
        sql = QStringLiteral("SELECT COUNT(*) FROM exer_diary_sync s, exer_diary d WHERE s.ex_id = d.ex_id "
                             "AND s.device = 0 AND s.state <> 0 AND d.user_id = ?");
    else
        sql = QStringLiteral("SELECT COUNT(*) FROM %1_sync WHERE device = 0 AND state <> 0 AND user_id = ?")
                  .arg(name);
    BXSqlQuery query(sql);
    query.bindValue(0, UserDB::instance()->getCurrentUser());
    if (!query.exec() || !query.next())
        qFatal("cannot count sync rows of %s", table);
    return query.value(0).toInt();
}

} // namespace PublishFixture
