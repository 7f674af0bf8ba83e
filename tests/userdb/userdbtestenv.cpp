#include "userdbtestenv.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarystart.h"
#include "userdb/previousdataimport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <cassert>

namespace {

const char* const Schema204[] = {
    "CREATE TABLE userdata_meta (itemkey TEXT PRIMARY KEY, itemvalue TEXT)",
    "CREATE TABLE user_users (user_id INTEGER PRIMARY KEY, name TEXT, password TEXT, created TEXT, "
    "dob TEXT, sex INTEGER, measurement_units INTEGER, energy_units INTEGER, web_username TEXT, "
    "web_password TEXT)",
    "CREATE TABLE user_misc (user_id INTEGER, date TEXT, height NUMERIC, activity INTEGER, "
    "goal INTEGER, PRIMARY KEY(user_id, date))",
    "CREATE TABLE user_checkins (user_id INTEGER, date TEXT, weight NUMERIC, chest NUMERIC, "
    "hip NUMERIC, thigh NUMERIC, waist NUMERIC, note TEXT, PRIMARY KEY(user_id, date))",
    "CREATE TABLE user_target (user_id INTEGER, date TEXT, target_calories NUMERIC, "
    "target_fat NUMERIC, target_protein NUMERIC, target_fiber NUMERIC, target_carb NUMERIC, "
    "PRIMARY KEY(user_id, date))",
    "CREATE TABLE water_diary (user_id INTEGER, date TEXT, cups NUMERIC, PRIMARY KEY(user_id, date))",
    "CREATE TABLE food_diary (food_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, "
    "meal INTEGER, status INTEGER, ref_id INTEGER, serving_id INTEGER, size NUMERIC, "
    "food_name TEXT, serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, "
    "carb NUMERIC, fiber NUMERIC, group_id INTEGER)",
    "CREATE INDEX food_diary_user_date ON food_diary(user_id, date)",
    "CREATE INDEX food_diary_group ON food_diary(group_id)",
    "CREATE TABLE food_mealplan (food_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, "
    "meal INTEGER, status INTEGER, ref_id INTEGER, serving_id INTEGER, size NUMERIC, "
    "food_name TEXT, serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, "
    "carb NUMERIC, fiber NUMERIC, group_id INTEGER)",
    "CREATE INDEX food_mealplan_user_date ON food_mealplan(user_id, date)",
    "CREATE TABLE exer_diary (ex_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, "
    "duration NUMERIC, rate NUMERIC, name TEXT, status INTEGER)",
    "CREATE INDEX exer_diary_user_date ON exer_diary(user_id, date)",
    "CREATE TABLE exer_mealplan (ex_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, "
    "duration NUMERIC, rate NUMERIC, name TEXT, status INTEGER)",
    "CREATE INDEX exer_mealplan_user_date ON exer_mealplan(user_id, date)",
    "CREATE TABLE group_diary (group_id INTEGER PRIMARY KEY, user_id INTEGER, name TEXT, "
    "status INTEGER, date TEXT)",
    "CREATE TABLE custom_foods (food_id INTEGER PRIMARY KEY, category_id INTEGER, name TEXT, "
    "serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, carb NUMERIC, fiber NUMERIC)",
    "CREATE INDEX custom_foods_category ON custom_foods(category_id)",
    "CREATE TABLE custom_food_cats (category_id INTEGER PRIMARY KEY, parent_id INTEGER, name TEXT)",
    "CREATE TABLE custom_exercises (activity_id INTEGER PRIMARY KEY, category_id INTEGER, "
    "description TEXT, scale NUMERIC)",
    "CREATE INDEX custom_exercises_category ON custom_exercises(category_id)",
    "CREATE TABLE custom_exercise_cats (category_id INTEGER PRIMARY KEY, parent_id INTEGER, "
    "description TEXT)",
    "CREATE TABLE userdata_sync_devices (id INTEGER, name TEXT)",
    "CREATE TABLE userdata_sync_tables (source_table TEXT, dest_table TEXT, fields TEXT)",
    "CREATE TABLE user_checkins_sync (device INTEGER, state INTEGER, user_id INTEGER, date TEXT, "
    "palm_id INTEGER, PRIMARY KEY(user_id, date, device))",
    "CREATE TABLE water_diary_sync (device INTEGER, state INTEGER, user_id INTEGER, date TEXT, "
    "palm_id INTEGER, PRIMARY KEY(user_id, date, device))",
    "CREATE TABLE food_diary_sync (device INTEGER, state INTEGER, food_id INTEGER, "
    "palm_id INTEGER, PRIMARY KEY(food_id, device))",
    "CREATE TABLE exer_diary_sync (device INTEGER, state INTEGER, ex_id INTEGER, palm_id INTEGER, "
    "PRIMARY KEY(ex_id, device))",
    "CREATE TABLE group_diary_sync (device INTEGER, state INTEGER, group_id INTEGER, "
    "palm_id INTEGER, PRIMARY KEY(group_id, device))",
    "INSERT INTO userdata_meta VALUES ('schema_version', 204)",
    "INSERT INTO userdata_meta VALUES ('software_modified_version', '2.0.4')",
    "INSERT INTO userdata_sync_devices (id, name) VALUES (0, 'website')",
    "INSERT INTO userdata_sync_devices (id, name) VALUES (1, 'palm')",
    "INSERT INTO userdata_sync_tables VALUES ('user_checkins', 'user_checkins_sync', 'user_id, date')",
    "INSERT INTO userdata_sync_tables VALUES ('water_diary', 'water_diary_sync', 'user_id, date')",
    "INSERT INTO userdata_sync_tables VALUES ('food_diary', 'food_diary_sync', 'food_id')",
    "INSERT INTO userdata_sync_tables VALUES ('exer_diary', 'exer_diary_sync', 'ex_id')",
    "INSERT INTO userdata_sync_tables VALUES ('group_diary', 'group_diary_sync', 'group_id')",
    "INSERT INTO user_users (user_id, name, password, created, dob, sex, measurement_units, "
    "energy_units, web_username, web_password) VALUES (0, 'Ann', '', '20050101', '19700101', 1, 0, 1, 'ann', 'pw')",
    "INSERT INTO user_users (user_id, name, password, created, dob, sex, measurement_units, "
    "energy_units, web_username, web_password) VALUES (1, 'Bob', '', '20050101', '19750101', 0, 0, 1, '', '')",
    "INSERT INTO user_target (user_id, date, target_calories, target_fat, target_protein, "
    "target_fiber, target_carb) VALUES (0, '20050101', 2000, 60, NULL, NULL, NULL)",
    "INSERT INTO user_target (user_id, date, target_calories, target_fat, target_protein, "
    "target_fiber, target_carb) VALUES (0, '20050201', 1800, NULL, 50, NULL, NULL)",
    "INSERT INTO user_checkins (user_id, date, weight, chest, hip, thigh, waist, note) VALUES (0, '20050101', 70.5, NULL, NULL, NULL, NULL, 'start')",
    "INSERT INTO food_diary (food_id, user_id, date, meal, status, ref_id, serving_id, size, food_name, "
    "serv_name, calories, fat, protein, carb, fiber, group_id) VALUES (7, 0, '20050101', 1, 1, 1234, 2, 1.5, 'Apple', 'medium', "
    "80, 0.3, 0.4, 21, 3.7, NULL)",
    "INSERT INTO exer_diary (ex_id, user_id, date, duration, rate, name, status) VALUES (3, 1, '20050101', 30, 5.5, 'Walking', 1)",
};

const char* const CheckConnection = "UserDbTestEnv";

QString brandArchive()
{
    return QDir::homePath() + QStringLiteral("/userdbtest-brand.dat");
}

} // namespace

void UserDbTestEnv::loadBrand(const QString& extraXml)
{
    const QString xmlPath = QDir::homePath() + QStringLiteral("/brand.xml");
    QFile xml(xmlPath);
    const bool written = xml.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && xml.write(QStringLiteral("<brand>\n"
                                    "<string id=\"brand_id\" value=\"pantreltest\"/>\n"
                                    "<bool id=\"datastore_compat\" value=\"false\"/>\n"
                                    "%1\n</brand>\n")
                         .arg(extraXml)
                         .toUtf8())
            > 0;
    xml.close();
    assert(written);
    QFile archive(brandArchive());
    const bool opened = archive.open(QIODevice::WriteOnly | QIODevice::Truncate);
    assert(opened);
    bool added = false;
    {
        TarFileWriter writer(archive);
        added = writer.addFile(xmlPath, QStringLiteral("brand.xml"));
    }
    archive.close();
    assert(added);
    BrandEngine::cleanUp();
    const bool imported = BrandEngine::instance()->import(brandArchive().toLocal8Bit().constData());
    assert(imported);
    (void)written;
    (void)opened;
    (void)added;
    (void)imported;
}

QString UserDbTestEnv::databaseFolder()
{
    return BXSettings::getUserDBPath();
}

QString UserDbTestEnv::databaseFile()
{
    return databaseFolder() + QStringLiteral("userdata.db");
}

void UserDbTestEnv::removeDatabase()
{
    BXSqlDb::cleanUp();
    QDir folder(databaseFolder());
    for (const QString& name : folder.entryList({QStringLiteral("userdata*")}, QDir::Files))
        folder.remove(name);
}

bool UserDbTestEnv::startUp(QString* error, StoreResult::Kind* kind)
{
    const StoreResult started = DiaryStart::startUp(true);
    if (error)
        *error = started.message();
    if (kind)
        *kind = started.kind();
    return started.ok();
}

bool UserDbTestEnv::startFresh(QString* error)
{
    if (!BrandEngine::instance()->idExists("brand_id"))
        loadBrand();
    removeDatabase();
    return startUp(error);
}

bool UserDbTestEnv::create204Database(const QString& path, int version)
{
    QFile::remove(path);
    return runOn(path, schema204(version));
}

QStringList UserDbTestEnv::schema204(int version)
{
    QStringList statements;
    for (const char* sql : Schema204)
        statements.append(QString::fromUtf8(sql));
    statements.append(QStringLiteral("UPDATE userdata_meta SET itemvalue = %1 WHERE itemkey = 'schema_version'").arg(version));
    return statements;
}

bool UserDbTestEnv::runOn(const QString& path, const QStringList& statements)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QLatin1String(CheckConnection));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString& sql : statements)
            ok = ok && query.exec(sql);
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(CheckConnection));
    return ok;
}

QStringList UserDbTestEnv::columns(const QString& table)
{
    BXSqlQuery info(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    QStringList names;
    if (info.exec()) {
        while (info.next())
            names.append(info.value(1).toString());
    }
    return names;
}

QMap<QString, QSet<QString>> UserDbTestEnv::schema()
{
    QStringList tables;
    {
        BXSqlQuery select("SELECT name FROM sqlite_master WHERE type = 'table'");
        select.exec();
        while (select.next())
            tables.append(select.value(0).toString());
    }
    QMap<QString, QSet<QString>> result;
    for (const QString& table : tables) {
        const QStringList names = columns(table);
        result.insert(table, QSet<QString>(names.begin(), names.end()));
    }
    return result;
}

QVariant UserDbTestEnv::scalar(const QString& sql)
{
    BXSqlQuery select(sql);
    if (!select.exec() || !select.next())
        return QVariant();
    return select.value(0);
}

QStringList UserDbTestEnv::safetyCopies()
{
    QStringList copies = QDir(databaseFolder()).entryList({QStringLiteral("userdata.*")}, QDir::Files);
    copies.removeAll(QStringLiteral("userdata.db"));
    copies.removeAll(QStringLiteral("userdata.db-journal"));
    return copies;
}

namespace {

QList<PreviousDataImport::Found> s_previousDataAsked;

} // namespace

QList<PreviousDataImport::Found>* UserDbTestEnv::answerPreviousData(bool accept)
{
    s_previousDataAsked.clear();
    PreviousDataImport::setQuestion([accept](PreviousDataImport::Found found, const QString&) {
        s_previousDataAsked.append(found);
        return accept;
    });
    return &s_previousDataAsked;
}

void UserDbTestEnv::stopAnsweringPreviousData()
{
    PreviousDataImport::setQuestion({});
}
