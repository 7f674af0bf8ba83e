#pragma once

// The ten-year diary the benchmarks share: one user, 16 or 17 foods a day, two exercise
// entries on most days and a daily check-in, written into the user database of the current
// home folder.

#include "bench/benchrun.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"

#include <QDate>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>

namespace TenYearDiary {

inline const QDate FirstDay(2014, 1, 1);
constexpr int Days = 3650;
constexpr int User = 0;

inline QByteArray dateCode(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

inline bool startDatabase()
{
    const StoreResult start = DiaryStart::startUp(true);
    if (start)
        return true;
    std::fprintf(stderr, "cannot open the user database: %s\n", qPrintable(start.message()));
    return false;
}

// The name of a diary food, from its catalogue id.
using FoodName = std::function<QString(int refId)>;

inline void addFoods(const QByteArray& date, int count, QRandomGenerator& random,
                     const FoodName& foodName)
{
    for (int i = 0; i < count; ++i) {
        DBTypes::FoodDiaryItem entry;
        entry.userId = User;
        entry.setDate(date.toStdString());
        entry.meal = 1 + i % 6;
        entry.refId = int(random.bounded(1, 8000));
        entry.desc = foodName ? foodName(entry.refId) : QStringLiteral("Food %1").arg(entry.refId);
        entry.servingDesc = QStringLiteral("serving");
        entry.values.energy = float(random.bounded(50, 600));
        entry.values.fat = float(random.bounded(0, 30));
        entry.values.protein = float(random.bounded(0, 40));
        entry.values.carbs = float(random.bounded(0, 80));
        entry.values.fiber = float(random.bounded(0, 10));
        DiaryDB::instance()->addFoodEntry(entry, true);
    }
}

inline void addExercise(const QByteArray& date)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = User;
    entry.setDate(date.toStdString());
    entry.name = QStringLiteral("Walking");
    entry.duration = 30.0f;
    entry.rate = 5.0f;
    DiaryDB::instance()->addExEntry(entry, false);
}

inline void addCheckin(const QByteArray& date, float weight)
{
    BXSqlQuery insert("INSERT INTO user_checkins(user_id, date, weight) VALUES (?, ?, ?)");
    insert.bindValue(0, User);
    insert.bindValue(1, date.constData());
    insert.bindValue(2, double(weight));
    insert.exec();
}

// Ten years (or `days`): 16 or 17 foods a day, two exercise entries on most days, a daily
// check-in. Foods are named "Food <id>" unless foodName is given.
inline bool writeDiary(const FoodName& foodName = {}, int days = Days)
{
    if (!startDatabase())
        return false;
    DBTypes::UserProfile profile;
    profile.name = QStringLiteral("Ann");
    std::snprintf(profile.created, sizeof profile.created, "%s", dateCode(FirstDay).constData());
    std::snprintf(profile.dob, sizeof profile.dob, "%s", "19760315");
    profile.height = 170.0f;
    if (!UserDB::instance()->addUser(profile, nullptr))
        return false;
    QRandomGenerator random(12345);
    BXSqlDb::beginTransaction();
    for (int day = 0; day < days; ++day) {
        const QByteArray date = dateCode(FirstDay.addDays(day));
        addFoods(date, 16 + day % 3 / 2, random, foodName);
        addExercise(date);
        if (day % 11 != 0)
            addExercise(date);
        addCheckin(date, 80.0f - float(day) / 365.0f);
    }
    BXSqlDb::commitTransaction();
    DiaryDB::cleanUp();
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    return true;
}

// With the shipped brand imported, the diary written over `days` and opened on its user.
inline bool openDiary(const FoodName& foodName = {}, int days = Days)
{
    if (!BenchRun::importBrand() || !writeDiary(foodName, days) || !startDatabase())
        return false;
    UserDB::instance()->setCurrentUser(User);
    return true;
}

// Closes what openDiary() and the pages shown over it opened.
inline void closeDiary()
{
    UserDB::cleanUp();
    DiaryDB::cleanUp();
    BXSqlDb::cleanUp();
    UnitCollection::cleanUp();
    BrandEngine::cleanUp();
}

} // namespace TenYearDiary
