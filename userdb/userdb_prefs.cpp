#include "userdb/userdb.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/storedrange.h"

#include <QDir>
#include <QSet>

#include <climits>
#include <limits>

using DBTypes::NutType;
using DBTypes::UserPrefs;

namespace {

// user_users' target-size columns in the order the statements name them, with their nutrient.
struct SizeColumn
{
    const char* column;
    NutType nut;
};
const SizeColumn SizeColumns[] = {
    {"energy_target_size", DBTypes::ENERGY},   {"fat_target_size", DBTypes::FAT},
    {"fiber_target_size", DBTypes::FIBER},     {"carb_target_size", DBTypes::CARBS},
    {"protein_target_size", DBTypes::PROTEIN}, {"sat_fat_target_size", DBTypes::SATFAT},
    {"cholesterol_target_size", DBTypes::CHOLESTEROL},
    {"sugar_target_size", DBTypes::SUGAR},     {"calcium_target_size", DBTypes::CALCIUM},
    {"sodium_target_size", DBTypes::SODIUM}};
// user_users' profile and preferences as the profile and preference dialogs write them.
constexpr const char* ReadAsDefault = "read as the user's default";
const StoredRange StoredWebName{"user_users", "web_username", PlausibleRange(0, UserDB::LineLength), "read as not given"};
const StoredRange StoredWebPassword{"user_users", "web_password", PlausibleRange(0, UserDB::LineLength), "read as not given"};
// The folder of a backup, a path the system can open.
const StoredRange StoredBackupFolder{"user_users", "backup_data_path", PlausibleRange(0, PATH_MAX - 1), "left out"};
const StoredRange StoredUnits{"user_users", "measurement_units", PlausibleRange(0, 1), ReadAsDefault};
const StoredRange StoredEnergyUnits{"user_users", "energy_units", PlausibleRange(0, 1), ReadAsDefault};
const StoredRange StoredAutoPublish{"user_users", "auto_publish", PlausibleRange(0, 1), ReadAsDefault};
const StoredRange StoredAskFirst{"user_users", "ask_before_publish", PlausibleRange(0, 1), ReadAsDefault};
const StoredRange StoredSnackDisplay{"user_users", "diaryAdvancedMode",
                                     PlausibleRange(DBTypes::SNACKS_TOGETHER, DBTypes::SNACKS_NUMBERED),
                                     ReadAsDefault};
// The summary's parts as bits; the panel starts with all of them set.
const StoredRange StoredSummary{"user_users", "summaryOptions", PlausibleRange(0, 255), ReadAsDefault};
const StoredRange StoredHidden{"user_users", "hideNutrientAndFluid", PlausibleRange(0, 1), ReadAsDefault};
// The diary's columns as "n:" each, at most one a nutrient.
const StoredRange StoredLayout{"user_users", "diaryViewColumnSettings",
                               PlausibleRange(0, 2 * DBTypes::NUTRIENT_COUNT), ReadAsDefault};
// The tip of the day closed last, negative when tips do not show at start; tips count from 1.
const StoredRange StoredTipOfTheDay{"user_users", "tipOfTheDay",
                                    PlausibleRange(-std::numeric_limits<int>::max(), std::numeric_limits<int>::max()),
                                    "read as the first tip"};
const StoredRange StoredTopic{"user_firsttime_tips", "tip_index",
                              PlausibleRange(1, std::numeric_limits<int>::max()), "left out"};
// A preference as stored. NULL, in a column added after the row was written, reads 0 as it
// always has; a value no dialog writes reads as `fallback`.
int storedPreference(const StoredRange& range, const QVariant& stored, int fallback)
{
    return stored.isNull() ? 0 : range.readWhole(stored).value_or(fallback);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Preferences and per-user settings

std::optional<UserPrefs> UserDB::getUserPrefs(qint64 user)
{
    if (BXSqlDb::refusesUser(user, false))
        return std::nullopt;
    UserPrefs prefs;
    BXSqlQuery query(
        "SELECT measurement_units, energy_units, web_username, web_password, auto_publish, "
        "ask_before_publish, energy_target_size, fat_target_size, fiber_target_size, "
        "carb_target_size, protein_target_size, sat_fat_target_size, cholesterol_target_size, "
        "sugar_target_size, calcium_target_size, sodium_target_size, diaryAdvancedMode, "
        "summaryOptions, hideNutrientAndFluid  FROM user_users WHERE user_id = ?");
    query.bindValue(0, user);
    if (!query.exec())
        return std::nullopt;
    if (!query.next())
        return query.outcome().ok() ? std::optional<UserPrefs>(prefs) : std::nullopt;
    prefs.measurementUnits = storedPreference(StoredUnits, query.value(0), prefs.measurementUnits);
    prefs.energyUnits = storedPreference(StoredEnergyUnits, query.value(1), prefs.energyUnits);
    prefs.webUserName = StoredWebName.readTextWithin(query.value(2)).value_or(QString());
    prefs.webPassword = StoredWebPassword.readTextWithin(query.value(3)).value_or(QString());
    prefs.autoPublish = storedPreference(StoredAutoPublish, query.value(4), prefs.autoPublish) != 0;
    prefs.askBeforePublish = storedPreference(StoredAskFirst, query.value(5), prefs.askBeforePublish) != 0;
    int column = 6;
    for (const SizeColumn& size : SizeColumns) {
        const StoredRange range("user_users", size.column, PlausibleRange(UserPrefs::None, UserPrefs::Large),
                                ReadAsDefault);
        const int stored = storedPreference(range, query.value(column++), prefs.targetSize(size.nut));
        prefs.setTargetSize(size.nut, UserPrefs::TargetSize(stored));
    }
    prefs.snackDisplay = storedPreference(StoredSnackDisplay, query.value(16), prefs.snackDisplay);
    prefs.summaryOptions = storedPreference(StoredSummary, query.value(17), prefs.summaryOptions);
    // Shown, as for a new user.
    prefs.showNutrientAndFluid = storedPreference(StoredHidden, query.value(18), 0) == 0;
    return prefs;
}

void UserDB::_bindTargetSizes(BXSqlQuery& query, int position, const UserPrefs& prefs)
{
    for (const SizeColumn& size : SizeColumns)
        query.bindValue(position++, int(prefs.targetSize(size.nut)));
}

bool UserDB::setUserPrefs(qint64 user, const UserPrefs& prefs)
{
    BXSqlQuery query(
        "UPDATE user_users SET web_username = ?, web_password = ?, measurement_units = ?, "
        "energy_units = ?, auto_publish = ?, ask_before_publish = ?,  energy_target_size = ?, "
        "fat_target_size = ?, fiber_target_size = ?, carb_target_size = ?, "
        "protein_target_size = ?, sat_fat_target_size = ?, cholesterol_target_size = ?, "
        "sugar_target_size = ?, calcium_target_size = ?, sodium_target_size = ?, "
        "diaryAdvancedMode = ?, summaryOptions = ?, hideNutrientAndFluid = ?  WHERE user_id = ?");
    query.bindValue(0, prefs.webUserName);
    query.bindValue(1, prefs.webPassword);
    query.bindValue(2, prefs.measurementUnits);
    query.bindValue(3, prefs.energyUnits);
    query.bindValue(4, int(prefs.autoPublish));
    query.bindValue(5, int(prefs.askBeforePublish));
    _bindTargetSizes(query, 6, prefs);
    query.bindValue(16, prefs.snackDisplay);
    query.bindValue(17, prefs.summaryOptions);
    query.bindValue(18, int(!prefs.showNutrientAndFluid));
    query.bindValue(19, user);
    return query.exec();
}

std::optional<QString> UserDB::getColumnSettings(qint64 user)
{
    const QString fallback = QStringLiteral("0:2:");
    if (user < 0)
        return fallback;
    BXSqlQuery query("SELECT diaryViewColumnSettings FROM user_users WHERE user_id = ?");
    query.bindValue(0, user);
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    const QString layout = *row ? StoredLayout.readTextWithin(query.value(0)).value_or(QString()) : QString();
    return layout.isEmpty() ? fallback : layout;
}

bool UserDB::_updateUserRow(const char* column, const QVariant& value, qint64 user)
{
    BXSqlQuery query(QStringLiteral("UPDATE user_users SET %1 = ? WHERE user_id = ?")
                         .arg(QString::fromLatin1(column)));
    query.bindValue(0, value);
    query.bindValue(1, user);
    return query.exec();
}

bool UserDB::saveColumnSettings(qint64 user, const QString& layout)
{
    return user < 0 || _updateUserRow("diaryViewColumnSettings", layout, user);
}

bool UserDB::setBackupPath(qint64 user, const QString& path)
{
    return _updateUserRow("backup_data_path", QDir::cleanPath(path), user);
}

std::optional<QStringList> UserDB::getBackupPaths()
{
    QStringList paths;
    BXSqlQuery query("SELECT DISTINCT backup_data_path FROM user_users "
                     "WHERE backup_data_path IS NOT NULL AND backup_data_path != ''");
    if (!query.readRows([&] {
            if (const std::optional<QString> path = StoredBackupFolder.readTextWithin(query.value(0)))
                paths.append(*path);
        }))
        return std::nullopt;
    return paths;
}

bool UserDB::setNutrientFluidHidden(qint64 user, bool hidden)
{
    return _updateUserRow("hideNutrientAndFluid", int(hidden), user);
}

// ---------------------------------------------------------------------------------------
// Tips

bool UserDB::setTipForTopic(qint64 user, int topic)
{
    BXSqlQuery query("INSERT OR REPLACE INTO user_firsttime_tips VALUES ( ?, ? );");
    query.bindValue(0, user);
    query.bindValue(1, topic);
    return query.exec();
}

std::optional<QSet<int>> UserDB::getTopicsShown(qint64 user)
{
    BXSqlQuery query("SELECT tip_index FROM user_firsttime_tips WHERE user_id = ?");
    query.bindValue(0, user);
    QSet<int> topics;
    const auto readTopic = [&] {
        if (const std::optional<int> topic = StoredTopic.readWhole(query.value(0)))
            topics.insert(*topic);
    };
    if (!query.readRows(readTopic))
        return std::nullopt;
    return topics;
}

bool UserDB::resetTipForTopic(qint64 user)
{
    BXSqlQuery query("DELETE FROM user_firsttime_tips WHERE user_id = ?;");
    query.bindValue(0, user);
    return query.exec();
}

std::optional<int> UserDB::getTipOfTheDay(qint64 user)
{
    BXSqlQuery query("SELECT tipOfTheDay FROM user_users WHERE user_id = ?");
    query.bindValue(0, user);
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    return *row ? StoredTipOfTheDay.readWhole(query.value(0)).value_or(0) : -1;
}

bool UserDB::setTipOfTheDay(qint64 user, int value)
{
    return _updateUserRow("tipOfTheDay", value, user);
}
