#include "storefixture.h"

#include "userdbtestenv.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/mealplandb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"

#include <cstdio>

void StoreFixture::loadBrand(const QString& extraXml)
{
    UserDbTestEnv::loadBrand(extraXml +
                             QStringLiteral("<int id=\"default_measurement_units\" value=\"0\"/>\n"
                                            "<int id=\"default_energy_units\" value=\"1\"/>\n"
                                            "<bool id=\"feature.family\" value=\"true\"/>\n"));
}

bool StoreFixture::open()
{
    QString error;
    if (!UserDbTestEnv::startFresh(&error)) {
        qWarning("cannot start the user database: %s", qPrintable(error));
        return false;
    }
    return true;
}

void StoreFixture::close()
{
    SavedMealDB::cleanUp();
    MealPlanDB::cleanUp();
    DiaryDB::cleanUp();
    UserDB::cleanUp();
    UserDbTestEnv::removeDatabase();
}

qint64 StoreFixture::addUser(const char* name, const char* dob, int sex, float height)
{
    DBTypes::UserProfile profile;
    profile.name = QString::fromUtf8(name);
    std::snprintf(profile.created, sizeof profile.created, "%s", "20060101");
    std::snprintf(profile.dob, sizeof profile.dob, "%s", dob);
    profile.sex = sex;
    profile.height = height;
    qint64 id = -1;
    QString error;
    if (!UserDB::instance()->addUser(profile, &id, &error))
        qWarning("cannot add user %s: %s", name, qPrintable(error));
    return profile.userId;
}

static bool run(BXSqlQuery& query, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    return query.exec();
}

QVariant StoreFixture::scalar(const char* sql, const QVariantList& values)
{
    BXSqlQuery query(sql);
    if (!run(query, values) || !query.next())
        return QVariant();
    return query.value(0);
}

bool StoreFixture::exec(const char* sql, const QVariantList& values)
{
    BXSqlQuery query(sql);
    return run(query, values);
}
