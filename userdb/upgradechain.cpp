// The upgrade chain: one transaction per step, each bringing the schema one version on.

#include "userdb/upgradechain.h"

#include "core/appversion.h"
#include "core/bxsettings.h"
#include "userdb/bxexception.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/diaryversion.h"
#include "userdb/schemarule.h"
#include "userdb/storeaction.h"
#include "userdb/storedid.h"
#include "userdb/storetransaction.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>

namespace {

struct StepFrame
{
    const char* debugMessage; // null: no message
    const char* fromVersion; // the version or versions the step starts from
    int newVersion;
};

// A failed step leaves the file at the version before it; the caller learns which step
// failed and why.
BXException stepFailure(const StepFrame& frame, const QString& reason)
{
    return BXException(UpgradeChain::tr("Upgrade schema %1 -> %2 failed.\nContact technical support "
                                   "with the following message:\n%3")
                           .arg(QString::fromLatin1(frame.fromVersion))
                           .arg(frame.newVersion)
                           .arg(reason));
}

// Runs `changes` and writes the new version, in one transaction.
template <typename Changes>
void runStep(const StepFrame& frame, Changes changes)
{
    if (frame.debugMessage)
        qDebug("%s", frame.debugMessage);
    const StoreAction step(StoreAction::Kind::Change);
    StoreTransaction change;
    if (!change)
        throw stepFailure(frame, step.outcome().changeText());
    try {
        changes();
        UpgradeChain::upgradeSchema(frame.newVersion);
    } catch (const BXException& failure) {
        change.end(false);
        throw stepFailure(frame, failure.message());
    }
    if (!change.end(true))
        throw stepFailure(frame, step.outcome().changeText());
}

void addColumns(const char* table, std::initializer_list<const char*> columns, const char* type)
{
    for (const char* column : columns)
        UpgradeChain::addColumn(table, column, type);
}

// Runs one statement of a table rebuild; a failure throws `failure`.
void runOrThrow(const QString& sql, const char* failure)
{
    BXSqlQuery statement(sql);
    if (!statement.exec())
        throw BXException::ofStatement(failure, statement.outcome());
}

QStringList readColumn(const char* sql, const char* boundText, const QString& failure)
{
    BXSqlQuery statement(sql);
    statement.bindValue(0, boundText);
    if (!statement.exec())
        throw BXException::ofStatement(failure, statement.outcome());
    QStringList texts;
    while (statement.next())
        texts.append(statement.value(0).toString());
    return texts;
}

// The comma-separated names of the columns of a table's column definitions.
QString columnList(const QString& definitions)
{
    static const QRegularExpression leadingSpaceOrKey(
        QStringLiteral("^\\s*|,?\\s*PRIMARY KEY[^)]*\\)"));
    static const QRegularExpression typeWords(
        QStringLiteral("\\s*(TEXT|INTEGER|PRIMARY|KEY|NUMERIC|BOOL)\\s*"));
    QString list = definitions;
    list.remove(leadingSpaceOrKey);
    list.remove(typeWords);
    return list.trimmed();
}

// Whether the table has a column of exactly that name (SQL names ignore case).
bool hasColumn(const QString& table, const QString& column)
{
    BXSqlQuery info(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    if (!info.exec())
        throw BXException::ofStatement(QStringLiteral("Cannot retrieve schema for ") + table,
                                       info.outcome());
    while (info.next()) {
        if (info.value(1).toString().compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Makes each table that the program's own schema declares otherwise again as the program
// declares it, with its rows and indexes: an earlier format may have declared a column's type
// otherwise, or none, and the upgrade steps put each new column in front. A diary brought up
// to date so holds just the schema of a new one, the one schema every later start, backup and
// restore compares it with.
void rebuildTablesDeclaredOtherwise()
{
    std::string error;
    const std::optional<QList<DiarySchema::Rebuild>> rebuilds = SchemaRule::rebuildsToOwn(error);
    if (!rebuilds)
        throw BXException(QString::fromStdString(error));
    for (const DiarySchema::Rebuild& rebuild : *rebuilds) {
        const QString before = rebuild.table + QStringLiteral("_as_it_was");
        const QString columns = rebuild.columns.join(QStringLiteral(", "));
        runOrThrow(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(rebuild.table, before),
                   "Cannot set aside a table to rebuild it");
        runOrThrow(rebuild.sql, "Cannot make a table anew");
        runOrThrow(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(rebuild.table, columns, before),
                   "Cannot copy the rows of a table rebuilt");
        runOrThrow(QStringLiteral("DROP TABLE ") + before, "Cannot drop a table rebuilt");
        for (const QString& index : rebuild.indexes)
            runOrThrow(index, "Cannot make an index of a table rebuilt");
    }
}

// The two publishing settings of older versions, which now belong to each user.
struct OldPublishSettings
{
    bool upload;
    bool confirm;
};

const char* const UploadOnExitKey = "/sync/uploadOnExit";
const char* const ConfirmUploadOnExitKey = "/sync/confirmUploadOnExit";

OldPublishSettings readOldPublishSettings()
{
    BXSettings settings(true);
    return {settings.readBoolEntry(QLatin1String(UploadOnExitKey), false, nullptr),
            settings.readBoolEntry(QLatin1String(ConfirmUploadOnExitKey), false, nullptr)};
}

// Removes the keys that were set, once their values are safely in the database.
void removeOldPublishSettings(const OldPublishSettings& old)
{
    BXSettings settings(true);
    if (old.upload)
        settings.removeEntry(QLatin1String(UploadOnExitKey));
    if (old.confirm)
        settings.removeEntry(QLatin1String(ConfirmUploadOnExitKey));
}

// Gives the old publishing settings to every user who has a web diary account.
void carryOverPublishSettings(const OldPublishSettings& old)
{
    BXSqlQuery count("SELECT COUNT ( user_id ) FROM user_users");
    if (!count.exec() || !count.next())
        throw BXException::ofStatement("Cannot count the users", count.outcome());
    if (count.value(0).toInt() == 0)
        return;
    BXSqlQuery update("update user_users set auto_publish = ?, ask_before_publish = ? "
                      "where web_username <> '' and web_password <> ''");
    update.bindValue(0, old.upload ? 1 : 0);
    update.bindValue(1, old.confirm ? 1 : 0);
    if (!update.exec())
        throw BXException::ofStatement("Cannot carry over the publishing settings", update.outcome());
}

// The creation text of user_users; fatal when it cannot be read.
QString userUsersCreationText()
{
    BXSqlQuery statement("SELECT sql FROM sqlite_master WHERE type='table' AND name='user_users'");
    if (!statement.exec())
        throw BXException::ofStatement("Couldn't get user_users schema info from sqlite_master",
                                       statement.outcome());
    if (!statement.next())
        throw BXException::lackingTable(QStringLiteral("user_users"));
    QString text = statement.value(0).toString();
    if (!text.contains(QLatin1String("CREATE TABLE")))
        throw BXException("Couldn't get valid CREATE TABLE from user_users schema info");
    return text;
}

// Gives a user the display size `size` in `sizeColumn` when the user has ever set the
// target in `targetColumn`. False when a statement fails.
bool setDefaultSize(qint64 user, const char* targetColumn, const char* sizeColumn, int size)
{
    BXSqlQuery latest(QString::asprintf(
        "SELECT %s FROM user_target WHERE %s IS NOT NULL AND user_id = ? ORDER BY date DESC LIMIT 1",
        targetColumn, targetColumn));
    latest.bindValue(0, user);
    if (!latest.exec())
        return false;
    if (!latest.next() || latest.value(0).toInt() < 0)
        return true;
    qDebug("Setting default target for %s", targetColumn);
    BXSqlQuery update(QString::asprintf("UPDATE user_users SET %s = ? WHERE user_id = ?", sizeColumn));
    update.bindValue(0, size);
    update.bindValue(1, user);
    return update.exec();
}

} // namespace

void UpgradeChain::addColumn(const char* table, const char* column, const char* type)
{
    const QString tableName = QString::fromUtf8(table);
    const QStringList creation = readColumn(
        "SELECT sql FROM sqlite_master WHERE type='table' AND name=?", table,
        QStringLiteral("Cannot retrieve schema for ") + tableName);
    const QStringList indexes = readColumn(
        "SELECT sql FROM sqlite_master WHERE type='index' and tbl_name = ?", table,
        QStringLiteral("Cannot retrieve schema for ") + tableName);

    if (creation.isEmpty())
        throw BXException::lackingTable(tableName);
    const QString createText = creation.value(0);
    const qsizetype open = createText.indexOf(QLatin1Char('('));
    const qsizetype close = createText.lastIndexOf(QLatin1Char(')'));
    const QString definitions = (open >= 0 && close > open)
        ? createText.mid(open + 1, close - open - 1) : QString();
    if (hasColumn(tableName, QString::fromUtf8(column)))
        return;
    const QString columns = columnList(definitions);

    runOrThrow(QStringLiteral("CREATE TEMPORARY TABLE xxx_yyy_temp_table (%1)").arg(definitions),
               "Cannot create temp table");
    runOrThrow(QStringLiteral("INSERT INTO xxx_yyy_temp_table SELECT %1 FROM %2")
                   .arg(columns, tableName),
               "Cannot insert into temp table");
    runOrThrow(QStringLiteral("DROP TABLE ") + tableName, "Cannot drop table");
    runOrThrow(QStringLiteral("CREATE TABLE %1(%2 %3, %4)")
                   .arg(tableName, QString::fromUtf8(column), QString::fromUtf8(type), definitions),
               "Cannot create new table");
    runOrThrow(QStringLiteral("INSERT INTO %1(%2) SELECT %2 FROM xxx_yyy_temp_table")
                   .arg(tableName, columns),
               "Cannot insert into new table");
    runOrThrow(QStringLiteral("DROP TABLE xxx_yyy_temp_table"), "Cannot drop temp table");
    for (const QString& index : indexes) {
        if (!index.isEmpty())
            runOrThrow(index, "Cannot create index");
    }
}

void UpgradeChain::upgradeSchema(int version)
{
    BXSqlQuery write("UPDATE userdata_meta SET itemvalue = ? WHERE itemkey = 'schema_version'");
    write.bindValue(0, version);
    if (!write.exec())
        throw BXException::ofStatement("Cannot update database schema version", write.outcome());
    if (write->numRowsAffected() < 1)
        throw BXException("Cannot update database schema version: the database has no "
                          "schema version entry");

    if (DiaryVersion::read() != version)
        throw BXException(QStringLiteral("Cannot read back database schema version %1")
                              .arg(version));

    BXSqlQuery modified(
        "UPDATE userdata_meta SET itemvalue = ? WHERE itemkey = 'software_modified_version'");
    modified.bindValue(0, AppVersion::text());
    if (!modified.exec())
        throw BXException::ofStatement("Cannot update database modified string", modified.outcome());
}

void UpgradeChain::upgrade204to205()
{
    runStep({nullptr, "204", 205}, [] {
        for (const char* table : {"food_diary", "group_diary", "food_mealplan", "exer_diary",
                                  "exer_mealplan"})
            addColumn(table, "time", "TEXT");
        addColumn("exer_diary", "group_id", "INTEGER");
        addColumn("exer_mealplan", "group_id", "INTEGER");
    });
}

void UpgradeChain::upgrade205to206()
{
    runStep({"Upgrading database schema: 205 -> 206", "205", 206},
            [] { addColumn("user_checkins", "steps", "NUMERIC"); });
}

void UpgradeChain::upgrade206to300()
{
    runStep({nullptr, "206", 300}, [] {
        for (const char* table : {"user_checkins_sync", "water_diary_sync", "food_diary_sync",
                                  "exer_diary_sync", "group_diary_sync"})
            addColumn(table, "lastModified", "TEXT");
        runOrThrow("CREATE table metrics_startStats ( user_id INTEGER, date TEXT, count INTEGER, "
                   "PRIMARY KEY ( user_id, date ) )",
                   "Cannot create metrics table");
        runOrThrow("INSERT INTO userdata_sync_tables(source_table, dest_table, fields) "
                   "VALUES ('metrics_startStats', 'metrics_startStats_sync', 'user_id, date')",
                   "Cannot create userdata_sync_tables entry");
        runOrThrow("CREATE TABLE metrics_startStats_sync(device INTEGER, state INTEGER, "
                   "user_id INTEGER,  date TEXT, lastModified TEXT, palm_id INTEGER, "
                   "PRIMARY KEY(user_id, date))",
                   "Cannot create metrics sync table");
        runOrThrow("CREATE INDEX metrics_sync_idx ON metrics_startStats_sync(user_id, date, device)",
                   "Cannot create metrics sync index");
        runOrThrow("INSERT INTO userdata_sync_devices(id, name) VALUES (2, 'metrics')",
                   "Cannot create metrics device in userdata_sync_devices");
    });
}

void UpgradeChain::upgrade300to301()
{
    const OldPublishSettings old = readOldPublishSettings();
    runStep({nullptr, "300", 301},
            [&old] {
                addColumns("user_users", {"auto_publish", "ask_before_publish"}, "INTEGER");
                carryOverPublishSettings(old);
            });
    // A failed step throws, so here the step is committed.
    removeOldPublishSettings(old);
}

void UpgradeChain::upgrade301to302()
{
    runStep({"Upgrade 301 -> 302", "301", 302},
            [] {
                addColumn("userdata_sync_devices", "user_id", "INTEGER");
                runOrThrow("UPDATE userdata_sync_devices SET user_id = 0 WHERE id = 1 AND "
                           "substr(name,1,4) = 'palm'",
                           "couldn't set user_id on existing palm device");
            });
}

void UpgradeChain::upgrade302to303()
{
    runStep({"Upgrading database schema: 302 -> 303", "302", 303},
            [] {
                addColumn("user_users", "tipOfTheDay", "INTEGER");
                BXSqlQuery create("CREATE TABLE user_firsttime_tips ( user_id INTEGER, "
                                  "tip_index INTEGER, PRIMARY KEY ( user_id, tip_index ) );");
                create.exec();
            });
}

void UpgradeChain::upgrade303to304()
{
    runStep({"Upgrading database schema: 303 -> 304", "303", 304},
            [] { addColumn("user_users", "hideNutrientAndFluid", "BOOL"); });
}

void UpgradeChain::upgrade304or305to306()
{
    const bool hasBackupPath = userUsersCreationText().contains(QLatin1String("backup_data_path"));
    runStep({"Upgrading database schema: 30[45] -> 306", "304/305", 306},
            [hasBackupPath] {
                if (!hasBackupPath)
                    addColumn("user_users", "backup_data_path", "TEXT");
            });
}

void UpgradeChain::upgrade306to307()
{
    runStep({"Upgrading database schema: 306 ->  307", "306", 307},
            [] {
                runOrThrow("CREATE TABLE favorites (user_id INTEGER, item_id INTEGER, item_type "
                           "INTEGER, PRIMARY KEY(user_id, item_id, item_type))",
                           "Couldn't create favorites table");
            });
}

void UpgradeChain::upgrade307to308()
{
    runStep({"Upgrading database schema: 307 -> 308", "307", 308},
            [] {
                for (const char* table : {"custom_foods", "food_diary", "food_mealplan"})
                    addColumns(table, {"saturated_fat", "cholesterol", "sodium", "sugar", "calcium"},
                               "NUMERIC");
                addColumn("user_users", "diaryViewColumnSettings", "TEXT");
                addColumn("user_users", "diaryAdvancedMode", "INTEGER");
            });
}

void UpgradeChain::upgrade308to309()
{
    runStep({"Upgrading database schema: 308 -> 309", "308", 309},
            [] {
                addColumns("user_target", {"target_saturated_fat", "target_cholesterol",
                                           "target_sodium", "target_sugar", "target_calcium"},
                           "NUMERIC");
                addColumns("user_users", {"energy_target_size", "carb_target_size",
                                          "fiber_target_size", "protein_target_size",
                                          "fat_target_size", "sat_fat_target_size",
                                          "cholesterol_target_size", "sugar_target_size",
                                          "calcium_target_size", "sodium_target_size"},
                           "INTEGER");
                if (!upgrade308to309_setDefaultTargetSizes())
                    qDebug("UPGRADE FAILED!!!");
            });
}

bool UpgradeChain::upgrade308to309_setDefaultTargetSizes()
{
    struct DefaultSize
    {
        const char* targetColumn;
        const char* sizeColumn;
        int size;
    };
    static const DefaultSize defaults[] = {
        {"target_calories", "energy_target_size", 3}, {"target_fat", "fat_target_size", 2},
        {"target_protein", "protein_target_size", 2}, {"target_fiber", "fiber_target_size", 2},
        {"target_carb", "carb_target_size", 2},
    };
    QList<qint64> users;
    {
        BXSqlQuery select("SELECT user_id FROM user_users");
        if (!select.exec())
            return false;
        while (select.next()) {
            const qint64 user = StoredId::read(select.value(0), StoredId::Kind::User);
            if (StoredId::within(user, StoredId::Kind::User))
                users.append(user);
        }
    }
    for (const qint64 user : users) {
        for (const DefaultSize& entry : defaults) {
            if (!setDefaultSize(user, entry.targetColumn, entry.sizeColumn, entry.size))
                return false;
        }
    }
    return true;
}

void UpgradeChain::upgrade309to310()
{
    runStep({"Upgrading database schema: 309 -> 310", "309", 310},
            [] {
                addColumn("user_misc", "custom_rmr", "NUMERIC");
                addColumn("user_misc", "diet_plan", "TEXT");
            });
}

void UpgradeChain::upgrade310to411()
{
    runStep({nullptr, "310", 411}, [] {});
}

void UpgradeChain::upgrade411to412()
{
    runStep({nullptr, "411", 412},
            [] {
                addColumn("user_users", "summaryOptions", "INTEGER");
                if (!CatalogueRoots::makeForEveryUser())
                    throw BXException("Cannot make the users' custom catalogue categories");
                rebuildTablesDeclaredOtherwise();
            });
}

bool UpgradeChain::rebuildToOwn(std::string& error)
{
    try {
        runStep({"Rebuilding tables declared as an earlier format wrote them", "412", DiaryVersion::Current},
                rebuildTablesDeclaredOtherwise);
    } catch (const BXException& failure) {
        error = failure.message().toStdString();
        return false;
    }
    return true;
}

bool UpgradeChain::run(std::string& error)
{
    struct Step
    {
        int from;
        void (*run)();
    };
    static const Step steps[] = {
        {204, upgrade204to205}, {205, upgrade205to206}, {206, upgrade206to300},
        {300, upgrade300to301}, {301, upgrade301to302}, {302, upgrade302to303},
        {303, upgrade303to304}, {304, upgrade304or305to306}, {305, upgrade304or305to306},
        {306, upgrade306to307}, {307, upgrade307to308}, {308, upgrade308to309},
        {309, upgrade309to310}, {310, upgrade310to411},
    };
    qDebug("Checking upgrades.");
    try {
        for (const Step& step : steps) {
            if (DiaryVersion::read() == step.from)
                step.run();
        }
        const int version = DiaryVersion::read();
        if (version != 411) {
            error = DiaryVersion::unsupported(version);
            return false;
        }
        upgrade411to412();
    } catch (const BXException& failure) {
        error = failure.message().toStdString();
        return false;
    }
    qDebug("All upgrades checked.");
    return true;
}
