#include "userdb/userdb.h"
#include "core/clock.h"

#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/fooddbbase.h"
#include "core/numberparser.h"
#include "userdb/bxexception.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/nullconversion.h"
#include "userdb/storedid.h"
#include "userdb/rowstate.h"
#include "userdb/storeaction.h"
#include "userdb/storednotices.h"
#include "userdb/storedrange.h"
#include "userdb/storetransaction.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QSet>

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

using DBTypes::CheckinItem;
using DBTypes::NutType;
using DBTypes::UserPrefs;
using DBTypes::UserProfile;

UserDB* UserDB::_instance = nullptr;
UserDB::CatalogueDeleter UserDB::s_catalogueDeleter;

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

// user_target's columns, in the order check-ins read them.
struct TargetColumn
{
    const char* column;
    NutType nut;
};
const TargetColumn TargetReadOrder[] = {
    {"target_calories", DBTypes::ENERGY},   {"target_fat", DBTypes::FAT},
    {"target_fiber", DBTypes::FIBER},       {"target_protein", DBTypes::PROTEIN},
    {"target_carb", DBTypes::CARBS},        {"target_saturated_fat", DBTypes::SATFAT},
    {"target_sodium", DBTypes::SODIUM},     {"target_sugar", DBTypes::SUGAR},
    {"target_calcium", DBTypes::CALCIUM},   {"target_cholesterol", DBTypes::CHOLESTEROL}};
// ... and in the order check-ins write them.
const TargetColumn TargetWriteOrder[] = {
    {"target_calories", DBTypes::ENERGY},   {"target_carb", DBTypes::CARBS},
    {"target_fat", DBTypes::FAT},           {"target_protein", DBTypes::PROTEIN},
    {"target_fiber", DBTypes::FIBER},       {"target_saturated_fat", DBTypes::SATFAT},
    {"target_sodium", DBTypes::SODIUM},     {"target_sugar", DBTypes::SUGAR},
    {"target_calcium", DBTypes::CALCIUM},   {"target_cholesterol", DBTypes::CHOLESTEROL}};

// Tells that a row of user_users is left out for its user_id.
void tellUnknownUser(const QVariant& stored)
{
    const QString shown = stored.isNull() ? QStringLiteral("NULL") : stored.toString().left(40);
    StoredNotices::tell(QStringLiteral("user_users.user_id"),
                        QStringLiteral("A user of the diary is left out: its user_id %1 is no id this "
                                       "program gives a user.")
                            .arg(shown));
}

// The range of a figure whose field may also be left empty, which negToNull() stores as 0.
PlausibleRange orNone(PlausibleRange::Quantity quantity)
{
    return PlausibleRange(0.0, PlausibleRange::of(quantity).top());
}

// user_checkins' figures, in the order of UserMeasurements::Measurements.
const StoredRange CheckinFigures[UserMeasurements::Count] = {
    {"user_checkins", "weight", orNone(PlausibleRange::Weight)},
    {"user_checkins", "chest", orNone(PlausibleRange::Chest)},
    {"user_checkins", "waist", orNone(PlausibleRange::Waist)},
    {"user_checkins", "hip", orNone(PlausibleRange::Hip)},
    {"user_checkins", "thigh", orNone(PlausibleRange::Thigh)},
    {"user_checkins", "steps", orNone(PlausibleRange::Steps)}};
const StoredRange& checkinFigure(UserMeasurements::Measurements m)
{
    return CheckinFigures[m];
}
const StoredRange StoredNote{"user_checkins", "note", PlausibleRange(0.0, CheckinItem::MaxNoteLength)};
const StoredRange StoredGoal{"user_misc", "goal",
                             PlausibleRange(DBTypes::LOSE_WEIGHT, DBTypes::GAIN_WEIGHT)};
const StoredRange StoredActivity{"user_misc", "activity",
                                 PlausibleRange(DBTypes::SEDENTARY, DBTypes::ACTIVE)};
const StoredRange StoredRmr{"user_misc", "custom_rmr", orNone(PlausibleRange::RestingEnergy)};
const StoredRange StoredFluid{"water_diary", "cups", PlausibleRange(0.0, CheckinItem::MaxFluid)};
const StoredRange StoredHeight{"user_misc", "height", orNone(PlausibleRange::Height)};

// user_users' profile and preferences as the profile and preference dialogs write them.
constexpr const char* ReadAsDefault = "read as the user's default";
// Male 0, female 1, -1 not given.
const StoredRange StoredSex{"user_users", "sex", PlausibleRange(-1, 1), "read as not given"};
// A birth date from the first year the profile's calendar offers.
const StoredRange StoredBirth{"user_users", "dob", PlausibleRange(19000101, 99991231), "read as not given"};
// The day the user was added, as the profile wizard writes it.
const StoredRange StoredCreated{"user_users", "created", PlausibleRange(19000101, 99991231), "read as not given"};
// A line of the profile and preference dialogs: at most a line edit's longest text.
constexpr double LineLength = 32767;
const StoredRange StoredName{"user_users", "name", PlausibleRange(0, LineLength), "read as not given"};
const StoredRange StoredPassword{"user_users", "password", PlausibleRange(0, LineLength), "read as not given"};
const StoredRange StoredWebName{"user_users", "web_username", PlausibleRange(0, LineLength), "read as not given"};
const StoredRange StoredWebPassword{"user_users", "web_password", PlausibleRange(0, LineLength), "read as not given"};
// The id of a diet plan, which the targets dialogs choose from a list.
const StoredRange StoredDietPlan{"user_misc", "diet_plan", PlausibleRange(0, LineLength), "read as no plan"};
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
// A day's starts, each counted by one more.
const StoredRange StoredStarts{"metrics_startStats", "count",
                               PlausibleRange(0, std::numeric_limits<int>::max() - 1), "counted from nothing"};

// The starts of the day the query selects (0 without a row); nothing when it could not be read.
std::optional<int> startCount(BXSqlQuery& query)
{
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    return *row ? StoredStarts.readWhole(query.value(0)).value_or(0) : 0;
}

// A preference as stored. NULL, in a column added after the row was written, reads 0 as it
// always has; a value no dialog writes reads as `fallback`.
int storedPreference(const StoredRange& range, const QVariant& stored, int fallback)
{
    return stored.isNull() ? 0 : range.readWhole(stored).value_or(fallback);
}

// The range of a user_target column. A diet plan's targets follow the energy need, past the
// targets dialog's range for a big need: they are held to the range of a food's values.
StoredRange targetRange(const char* column)
{
    return StoredRange("user_target", column, PlausibleRange::of(PlausibleRange::FoodValue));
}

// The note as the check-in dialog writes it, at most its length.
QString storedNote(const QVariant& stored)
{
    return StoredNote.readText(stored);
}

// The tables of a user's own rows, in the order a deletion empties them.
const char* const UserTables[] = {"food_diary",    "group_diary",        "food_mealplan",
                                  "exer_diary",    "exer_mealplan",      "user_users",
                                  "user_checkins", "user_misc",          "user_target",
                                  "water_diary",   "favorites",          "user_firsttime_tips",
                                  "metrics_startStats"};

const char* tableName(UserDB::TableName table)
{
    switch (table) {
    case UserDB::Checkins: return "user_checkins";
    case UserDB::Target: return "user_target";
    case UserDB::Misc: return "user_misc";
    case UserDB::Water: return "water_diary";
    }
    return nullptr;
}

QString todayCode()
{
    return Clock::today().toString(QStringLiteral("yyyyMMdd"));
}

void copyDateCode(char* field, const QString& text)
{
    const QByteArray bytes = text.left(8).toLatin1();
    std::memset(field, 0, DBTypes::DATE_CODE_SIZE);
    std::memcpy(field, bytes.constData(), std::size_t(bytes.size()));
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// An UPDATE of one user's row for a date that sets the flagged columns, each value bound.
struct FlaggedUpdate
{
    QString sql;
    QVariantList values;

    void set(bool flagged, const char* column, const QVariant& value)
    {
        if (!flagged)
            return;
        sql += QStringLiteral(",%1 = ?").arg(QLatin1String(column));
        values.append(value);
    }

    bool exec(qint64 user, const char* date) const
    {
        BXSqlQuery query(sql + QStringLiteral(" WHERE user_id = ? AND date = ?"));
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        query.bindValue(int(values.size()), user);
        query.bindValue(int(values.size()) + 1, date);
        return query.exec();
    }
};

} // namespace

UserDB* UserDB::instance()
{
    if (!_instance)
        _instance = new UserDB;
    return _instance;
}

void UserDB::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

UserDB::~UserDB()
{
    if (_instance == this)
        _instance = nullptr;
}

std::optional<int> UserDB::_count(BXSqlQuery& query)
{
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    return *row ? query.value(0).toInt() : 0;
}

std::optional<bool> UserDB::_any(BXSqlQuery& query)
{
    const std::optional<int> count = _count(query);
    if (!count)
        return std::nullopt;
    return *count > 0;
}

bool UserDB::_isFamilyBrand()
{
    BrandEngine* brand = BrandEngine::instance();
    return brand->idExists("feature.family") && brand->getBool("feature.family");
}

// ---------------------------------------------------------------------------------------
// Users and profiles

std::optional<int> UserDB::numUsers()
{
    BXSqlQuery query("SELECT COUNT(*) FROM user_users");
    return _count(query);
}

bool UserDB::isStorableUserId(qint64 user)
{
    return StoredId::within(user, StoredId::Kind::User);
}

std::optional<QList<UserProfile>> UserDB::getUsersList()
{
    QList<UserProfile> users;
    BXSqlQuery query("SELECT DISTINCT user_id, name, password, created, dob, sex FROM user_users");
    if (!query.exec())
        return std::nullopt;
    BXSqlQuery height("SELECT height FROM user_misc WHERE user_id = ? AND height NOT NULL "
                      "ORDER BY date DESC");
    while (query.next()) {
        UserProfile profile;
        profile.userId = StoredId::read(query.value(0), StoredId::Kind::User);
        if (!isStorableUserId(profile.userId)) {
            tellUnknownUser(query.value(0));
            continue;
        }
        profile.name = StoredName.readTextWithin(query.value(1)).value_or(QString());
        const auto place = [&profile] {
            return profile.name.isEmpty() ? QStringLiteral("the profile of a user")
                                          : QStringLiteral("%1's profile").arg(profile.name.left(40));
        };
        profile.password = StoredPassword.readTextWithin(query.value(2), place).value_or(QString());
        if (const std::optional<QDate> created = StoredCreated.readDate(query.value(3), place))
            DateToCode4(*created, profile.created);
        if (const std::optional<QDate> birth = StoredBirth.readDate(query.value(4), place))
            DateToCode4(*birth, profile.dob);
        profile.sex = StoredSex.readWhole(query.value(5), place).value_or(-1);
        height.bindValue(0, profile.userId);
        if (!height.exec())
            return std::nullopt;
        if (height.next())
            profile.height = float(StoredHeight.readOr(height.value(0), 0.0, place));
        else if (!height.outcome().ok())
            return std::nullopt;
        users.append(profile);
    }
    if (!query.outcome().ok())
        return std::nullopt;
    return users;
}

std::optional<UserProfile> UserDB::getProfile(qint64 user)
{
    for (const UserProfile& profile : getUsersList().value_or(QList<UserProfile>())) {
        if (profile.userId == user)
            return profile;
    }
    return std::nullopt;
}

std::optional<qint64> UserDB::getNextUserID()
{
    // The ids come in ascending order: the first one that is not the next free id leaves a
    // gap, and rows the program never writes (NULL, a real, a text) are no one's id.
    BXSqlQuery query("SELECT user_id FROM user_users ORDER BY user_id ASC");
    qint64 next = 0;
    if (!query.readRows([&] {
            if (StoredId::read(query.value(0), StoredId::Kind::User) == next)
                ++next;
        }))
        return std::nullopt;
    return next;
}

bool UserDB::addUser(UserProfile& profile, qint64* id, QString* error)
{
    // The count and the new id are read inside the change, which waits for other programs
    // once, as it begins.
    const auto refuse = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    StoreTransaction change;
    if (!change)
        return refuse(QString());
    const int limit = _isFamilyBrand() ? MaxFamilyUsers : 1;
    const std::optional<int> count = numUsers();
    const std::optional<qint64> newId = count ? getNextUserID() : std::nullopt;
    if (!newId)
        return refuse(QStringLiteral("The users of the diary could not be read."));
    if (*count >= limit) {
        return refuse(limit == 1
            ? QCoreApplication::translate("UserDB", "Cannot add another user: this edition keeps "
                                                    "the diary of one person.")
            : QCoreApplication::translate("UserDB", "Cannot add another user: a household holds "
                                                    "at most %1 users. Delete a user before "
                                                    "adding a new one.")
                  .arg(limit));
    }
    // A new user takes the lowest free id, which may be a deleted user's: nothing stored under
    // that id after the deletion may pass to the new user.
    const std::optional<bool> leftovers = _holdsRows(*newId);
    if (!change.end(leftovers && (!*leftovers || _removeUserRows(*newId))
                    && _insertUserRows(profile, *newId)))
        return refuse(QCoreApplication::translate(
            "UserDB", "The new user could not be stored in the user database."));
    if (error)
        error->clear();
    profile.userId = *newId;
    if (id)
        *id = *newId;
    return true;
}

bool UserDB::_insertUserRows(const UserProfile& profile, qint64 newId)
{
    const UserPrefs prefs;
    BXSqlQuery insert(
        "INSERT INTO user_users(  user_id, name, password, created, dob, sex,    "
        "measurement_units, energy_units, web_username, web_password, hidenutrientandfluid, "
        "summaryOptions,  energy_target_size, fat_target_size, fiber_target_size, "
        "carb_target_size, protein_target_size, sat_fat_target_size, cholesterol_target_size, "
        "sugar_target_size, calcium_target_size, sodium_target_size)VALUES (?, ?, ?, ?, ?, ?, ?, "
        "?, ?,?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.bindValue(0, newId);
    insert.bindValue(1, profile.name);
    insert.bindValue(2, profile.password);
    insert.bindValue(3, profile.created);
    insert.bindValue(4, profile.dob);
    insert.bindValue(5, profile.sex);
    insert.bindValue(6, prefs.measurementUnits);
    insert.bindValue(7, prefs.energyUnits);
    insert.bindValue(8, QString(""));
    insert.bindValue(9, QString(""));
    insert.bindValue(10, 0);
    insert.bindValue(11, prefs.summaryOptions);
    int position = 12;
    for (const SizeColumn& size : SizeColumns)
        insert.bindValue(position++, int(prefs.targetSize(size.nut)));
    if (!insert.exec() || !CatalogueRoots::makeFor(newId))
        return false;
    if (profile.height < 1.0f)
        return true;

    BXSqlQuery height("INSERT INTO user_misc(user_id, date, height) VALUES (?, ?, ?)");
    height.bindValue(0, newId);
    height.bindValue(1, profile.created);
    height.bindValue(2, profile.height);
    return height.exec();
}

bool UserDB::updateUser(UserProfile& profile)
{
    StoreTransaction change;
    return change && change.end(_writeProfile(profile));
}

bool UserDB::storeProfileChange(UserProfile* profile, const CheckinItem& checkin,
                                const UserPrefs& prefs)
{
    StoreTransaction change;
    return change
        && change.end((!profile || updateUser(*profile)) && setUserPrefs(checkin.userId, prefs)
                      && addCheckin(checkin, false));
}

bool UserDB::_writeProfile(const UserProfile& profile)
{
    const QByteArray today = todayCode().toLatin1();
    if (!ensureRecordExists(Misc, profile.userId, today.constData())
        || !ensureRecordExists(Misc, profile.userId, profile.created))
        return false;

    BXSqlQuery update("UPDATE user_users SET name = ?, password = ?, created = ?, dob = ?, "
                      "sex = ? WHERE user_id = ?");
    update.bindValue(0, profile.name);
    update.bindValue(1, profile.password);
    update.bindValue(2, profile.created);
    update.bindValue(3, profile.dob);
    update.bindValue(4, profile.sex);
    update.bindValue(5, profile.userId);
    if (!update.exec())
        return false;

    BXSqlQuery height("UPDATE user_misc SET height = ? WHERE user_id = ? AND date = ?");
    height.bindValue(0, profile.height);
    height.bindValue(1, profile.userId);
    height.bindValue(2, today.constData());
    return height.exec();
}

// ---------------------------------------------------------------------------------------
// User deletion

void UserDB::setCatalogueDeleter(CatalogueDeleter deleter)
{
    s_catalogueDeleter = std::move(deleter);
}

void UserDB::deleteTable(qint64 user, const QString& table)
{
    BXSqlQuery query(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE user_id = ?"));
    query.bindValue(0, user);
    if (!query.exec())
        throw BXException(QStringLiteral("Cannot delete ") + table + QStringLiteral(" entries"));
}

int UserDB::deleteUser(qint64 user)
{
    // Any other failure thrown passes on, but never leaves half a user or an open transaction.
    StoreTransaction change;
    return change && change.end(_removeUserRows(user)) ? 0 : 1;
}

std::optional<bool> UserDB::_holdsRows(qint64 user)
{
    bool found = false;
    for (const char* table : UserTables) {
        BXSqlQuery query(QStringLiteral("SELECT 1 FROM %1 WHERE user_id = ? LIMIT 1")
                             .arg(QLatin1String(table)));
        query.bindValue(0, user);
        if (!query.readRows([&] { found = true; }))
            return std::nullopt;
    }
    const std::optional<bool> categories = CatalogueRoots::holdsAnything(user);
    return categories ? std::optional<bool>(found || *categories) : std::nullopt;
}

bool UserDB::_removeUserRows(qint64 user)
{
    try {
        if (s_catalogueDeleter)
            s_catalogueDeleter(user);
        for (const char* table : UserTables)
            deleteTable(user, QString::fromLatin1(table));
    } catch (const BXException&) {
        return false;
    }
    return true;
}

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
    int position = 6;
    for (const SizeColumn& size : SizeColumns)
        query.bindValue(position++, int(prefs.targetSize(size.nut)));
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

// ---------------------------------------------------------------------------------------
// Program starts and metrics

int UserDB::incrementLogin()
{
    // The count is read and written under the same local date, in one change, so that no
    // other start counts in between.
    const QString today = todayCode();
    StoreTransaction change;
    if (!change)
        return -1;
    BXSqlQuery read("SELECT count FROM metrics_startStats where user_id = ? AND date == ?");
    read.bindValue(0, _currentUser);
    read.bindValue(1, today);
    // A count that could not be read is never the base of a stored one.
    const std::optional<int> stored = startCount(read);
    if (!stored)
        return -1;
    const int count = *stored + 1;
    BXSqlQuery query(
        "INSERT OR REPLACE INTO metrics_startStats(user_id, date, count) VALUES (?, ?, ?)");
    query.bindValue(0, _currentUser);
    query.bindValue(1, today);
    query.bindValue(2, count);
    return change.end(query.exec()) ? count : -1;
}

std::optional<int> UserDB::getLoginsForDay(qint64 user, const QString& date)
{
    BXSqlQuery query("SELECT count FROM metrics_startStats where user_id = ? AND date == ?");
    query.bindValue(0, user);
    query.bindValue(1, date);
    return startCount(query);
}

std::optional<QMap<QString, int>> UserDB::getLoginCounts(qint64 user)
{
    QMap<QString, int> counts;
    BXSqlQuery query("SELECT date, count FROM metrics_startStats WHERE user_id = ?");
    query.bindValue(0, user);
    const auto readDay = [&] {
        if (const std::optional<int> count = StoredStarts.readWhole(query.value(1)))
            counts.insert(query.value(0).toString(), *count);
    };
    if (!query.readRows(readDay))
        return std::nullopt;
    return counts;
}

std::optional<QStringList> UserDB::getLoginDays(qint64 user)
{
    QStringList days;
    BXSqlQuery query("SELECT date FROM metrics_startStats_sync WHERE user_id = ? AND state = ?");
    query.bindValue(0, user);
    query.bindValue(1, StateChanged);
    if (!query.readRows([&] { days.append(query.value(0).toString()); }))
        return std::nullopt;
    return days;
}

std::optional<QMap<QString, QMap<QString, int>>> UserDB::getFoodStats(qint64 user)
{
    QMap<QString, QMap<QString, int>> stats;
    BXSqlQuery query("SELECT lastModified, date, COUNT(*) FROM food_diary_sync, food_diary WHERE "
                     "device=? AND food_diary_sync.food_id = food_diary.food_id AND user_id = ? and "
                     "state = ? GROUP BY lastModified, date");
    query.bindValue(0, BXSqlDb::getSyncDevice("metrics"));
    query.bindValue(1, user);
    query.bindValue(2, StateChanged);
    if (!query.readRows([&] {
            stats[query.value(0).toString()][query.value(1).toString()] += query.value(2).toInt();
        }))
        return std::nullopt;
    return stats;
}

std::optional<QStringList> UserDB::getCheckinDays(qint64 user)
{
    QStringList days;
    BXSqlQuery query("SELECT lastModified, date FROM user_checkins_sync WHERE user_id = ? AND "
                     "state = ? AND device = ? AND date in  (SELECT date from user_checkins "
                     "where weight >= 0 and user_id = ?)");
    query.bindValue(0, user);
    query.bindValue(1, StateChanged);
    query.bindValue(2, BXSqlDb::getSyncDevice("metrics"));
    query.bindValue(3, user);
    if (!query.readRows([&] { days.append(query.value(0).toString() + query.value(1).toString()); }))
        return std::nullopt;
    return days;
}

bool UserDB::resetMetrics(qint64 user)
{
    const char* const statements[] = {
        "UPDATE food_diary_sync SET state = ? WHERE device = ? AND food_id IN (SELECT food_id "
        "FROM food_diary WHERE user_id = ?) AND state = ?",
        "UPDATE user_checkins_sync SET state = ? WHERE device = ? AND user_id = ? AND state = ?",
        "UPDATE metrics_startStats_sync SET state = ? WHERE device = ? AND user_id = ? AND "
        "state = ?"};
    StoreTransaction change;
    if (!change)
        return false;
    const qint64 device = BXSqlDb::getSyncDevice("metrics");
    bool ok = true;
    for (const char* sql : statements) {
        BXSqlQuery query(sql);
        query.bindValue(0, StateInStep);
        query.bindValue(1, device);
        query.bindValue(2, user);
        query.bindValue(3, StateChanged);
        ok = ok && query.exec();
    }
    return change.end(ok);
}

// ---------------------------------------------------------------------------------------
// Sync housekeeping

bool UserDB::clearSyncTable(const QString& table, qint64 user, qint64 device, const char* from,
                            const char* to)
{
    // The date bounds are bound, never pasted into the statement.
    QString range;
    if (from)
        range += QStringLiteral(" AND DATE >= ? ");
    if (to)
        range += QStringLiteral(" AND DATE <= ? ");
    const auto bindRange = [&](BXSqlQuery& query, int position) {
        if (from)
            query.bindValue(position++, from);
        if (to)
            query.bindValue(position, to);
    };

    BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE user_id = ? AND state = ? AND device = ? ")
                          .arg(table) +
                      range);
    remove.bindValue(0, user);
    remove.bindValue(1, StateDeleted);
    remove.bindValue(2, device);
    bindRange(remove, 3);

    BXSqlQuery reset(QStringLiteral("UPDATE %1 set state = ? WHERE user_id = ? AND device = ? ").arg(table) +
                     range);
    reset.bindValue(0, StateInStep);
    reset.bindValue(1, user);
    reset.bindValue(2, device);
    bindRange(reset, 3);
    StoreTransaction change;
    return change && change.end(remove.exec() && reset.exec());
}

// ---------------------------------------------------------------------------------------
// Row guarantee

bool UserDB::ensureRecordExists(TableName table, qint64 user, const char* date)
{
    assert(date);
    if (BXSqlDb::refusesUser(user, true))
        return false;
    const QString name = QString::fromLatin1(tableName(table));
    BXSqlQuery count(QStringLiteral("SELECT COUNT(*) FROM ") + name +
                     QStringLiteral(" WHERE user_id = ? AND date = ?"));
    count.bindValue(0, user);
    count.bindValue(1, date);
    // A file may hold more than one row for a day; the readers take the latest.
    const std::optional<int> rows = _count(count);
    if (!rows)
        return false;
    if (*rows > 0)
        return true;
    BXSqlQuery insert(QStringLiteral("INSERT INTO ") + name +
                      QStringLiteral("( user_id, date ) VALUES ( ?, ?)"));
    insert.bindValue(0, user);
    insert.bindValue(1, date);
    return insert.exec();
}

// ---------------------------------------------------------------------------------------
// Single values carried forward

std::optional<bool> UserDB::positionValueGet(qint64 user, const char* date, const char* field,
                              const char* invalidValue, bool* exact, QVariant* value,
                              const char* table)
{
    assert(date && field && invalidValue && table);
    if (BXSqlDb::refusesUser(user, false))
        return std::nullopt;
    const QString f = QString::fromLatin1(field);
    // Compared as a number, whatever the column's declared type. The value is written into
    // the statement rather than bound, so that the column's index of set values serves it.
    const QString invalid = QString::number(QString::fromLatin1(invalidValue).toDouble(), 'g', 17);
    BXSqlQuery query(QStringLiteral("SELECT ") + f + QStringLiteral(", date FROM ") +
                     QString::fromLatin1(table) + QStringLiteral(" WHERE user_id = ? AND date <= ? AND ") +
                     f + QStringLiteral(" IS NOT NULL AND ") + f + QStringLiteral(" <> ") + invalid +
                     QStringLiteral(" ORDER BY date DESC LIMIT 1"));
    query.bindValue(0, user);
    query.bindValue(1, date);
    const std::optional<bool> row = query.first();
    if (!row || !*row)
        return row;
    if (exact)
        *exact = query.value(1).toString() == QLatin1String(date);
    if (value)
        *value = query.value(0);
    return true;
}

std::optional<float> UserDB::_carriedForward(qint64 user, const char* date, const StoredRange& range,
                                             bool* exact)
{
    QVariant value;
    const std::optional<bool> found =
        positionValueGet(user, date, range.column(), "-1", exact, &value, range.table());
    if (!found)
        return std::nullopt;
    const std::optional<double> figure = *found ? range.read(value) : std::nullopt;
    // A value the program never writes is unknown, as if none was set.
    if (*found && !figure && exact)
        *exact = false;
    return figure ? float(*figure) : 0.0f;
}

std::optional<float> UserDB::getWeight(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Weight), exact);
}

std::optional<float> UserDB::getChest(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Chest), exact);
}

std::optional<float> UserDB::getWaist(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Waist), exact);
}

std::optional<float> UserDB::getHip(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Hip), exact);
}

std::optional<float> UserDB::getThigh(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Thigh), exact);
}

std::optional<float> UserDB::getSteps(qint64 user, const char* date, bool* exact)
{
    return _carriedForward(user, date, checkinFigure(UserMeasurements::Steps), exact);
}

std::optional<int> UserDB::getActivity(qint64 user, const char* date, bool* exact)
{
    const std::optional<float> value = _carriedForward(user, date, StoredActivity, exact);
    return value ? std::optional<int>(int(std::lround(*value))) : std::nullopt;
}

std::optional<int> UserDB::getGoal(qint64 user, const char* date, bool* exact)
{
    const std::optional<float> value = _carriedForward(user, date, StoredGoal, exact);
    return value ? std::optional<int>(int(std::lround(*value))) : std::nullopt;
}

std::optional<float> UserDB::getTarget(qint64 user, const char* date, const char* column, bool* exact)
{
    assert(date && column);
    if (BXSqlDb::refusesUser(user, false))
        return std::nullopt;
    const QString c = QString::fromLatin1(column);
    BXSqlQuery query(QStringLiteral("SELECT date, ") + c + QStringLiteral(" FROM user_target WHERE ") +
                     c + QStringLiteral(" IS NOT NULL AND user_id = ? AND date <= ? ORDER BY date "
                                        "DESC LIMIT 1"));
    query.bindValue(0, user);
    query.bindValue(1, date);
    const std::optional<bool> found = query.first();
    if (!found)
        return std::nullopt;
    if (!*found) {
        if (exact)
            *exact = false;
        return -1.0f;
    }
    // A target the dialogs leave unset is stored as -1; one they never write is unknown,
    // read as unset too.
    const QVariant stored = query.value(1);
    const double value = stored.toDouble();
    const std::optional<double> target =
        std::isfinite(value) && value < 0.0 ? -1.0 : targetRange(column).read(stored);
    if (exact)
        *exact = target && query.value(0).toString() == QLatin1String(date);
    return float(target.value_or(-1.0));
}

// ---------------------------------------------------------------------------------------
// Values of one date only

std::optional<bool> UserDB::hasCheckin(qint64 user, const char* date)
{
    BXSqlQuery query("SELECT COUNT(*) FROM user_checkins WHERE user_id = ? AND date = ?");
    query.bindValue(0, user);
    query.bindValue(1, date);
    return _any(query);
}

std::optional<int> UserDB::getFluid(qint64 user, const char* date)
{
    BXSqlQuery query(
        "SELECT cups FROM water_diary WHERE user_id = ? AND date = ? AND cups IS NOT NULL");
    query.bindValue(0, user);
    query.bindValue(1, date);
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    // None, as on a day without a row, when the count is one the counter never reaches.
    return *row ? int(std::lround(StoredFluid.readOr(query.value(0), 0.0))) : 0;
}

std::optional<QString> UserDB::getNote(qint64 user, const char* date)
{
    BXSqlQuery query(
        "SELECT note FROM user_checkins WHERE user_id = ? AND date = ? AND note IS NOT NULL");
    query.bindValue(0, user);
    query.bindValue(1, date);
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    return *row ? storedNote(query.value(0)) : QString();
}

bool UserDB::setFluid(qint64 user, const char* date, int cups)
{
    StoreTransaction change;
    if (!change || !ensureRecordExists(Water, user, date))
        return false;
    BXSqlQuery query("UPDATE water_diary SET cups = ? WHERE user_id = ? AND date = ?");
    query.bindValue(0, cups);
    query.bindValue(1, user);
    query.bindValue(2, date);
    return change.end(query.exec());
}

// ---------------------------------------------------------------------------------------
// Check-in records

void UserDB::clearCheckinItem(CheckinItem& item)
{
    item = CheckinItem();
    item.steps = -1.0f;
}

std::optional<CheckinItem> UserDB::getCheckin(qint64 user, const char* date)
{
    CheckinItem item;
    clearCheckinItem(item);
    item.userId = user;
    copyDateCode(item.date, QString::fromLatin1(date));
    const auto take = [](const auto& value, auto& into) {
        if (value)
            into = *value;
        return value.has_value();
    };
    const auto readTargets = [&] {
        return std::all_of(std::begin(TargetReadOrder), std::end(TargetReadOrder),
                           [&](const TargetColumn& target) {
                               const std::optional<float> value =
                                   getTarget(user, date, target.column, nullptr);
                               if (value)
                                   item.setTarget(target.nut, *value);
                               return value.has_value();
                           });
    };
    // The first reading that fails ends the check-in: nothing of it is given.
    if (!(take(getWeight(user, date, &item.hasWeight), item.weight)
          && take(getChest(user, date, &item.hasChest), item.chest)
          && take(getWaist(user, date, &item.hasWaist), item.waist)
          && take(getHip(user, date, &item.hasHip), item.hip)
          && take(getThigh(user, date, &item.hasThigh), item.thigh)
          && take(getSteps(user, date, &item.hasSteps), item.steps)
          && take(getGoal(user, date, &item.hasGoal), item.goal)
          && take(getActivity(user, date, &item.hasActivity), item.activity)
          && take(getNote(user, date), item.note) && take(getFluid(user, date), item.fluid)
          && readTargets() && _readMisc(item)))
        return std::nullopt;
    return item;
}

bool UserDB::_readMisc(CheckinItem& item)
{
    item.clearCustomRMR();
    item.clearDietPlan();
    BXSqlQuery query("SELECT custom_rmr, diet_plan FROM user_misc WHERE date = ? AND user_id = ? "
                     "ORDER BY date DESC LIMIT 1");
    query.bindValue(0, item.date);
    query.bindValue(1, item.userId);
    const std::optional<bool> row = query.first();
    if (!row || !*row)
        return row.has_value();
    if (const std::optional<double> rmr = StoredRmr.read(query.value(0)))
        item.setCustomRMR(float(*rmr));
    if (!query.value(1).isNull())
        item.setDietPlan(StoredDietPlan.readTextWithin(query.value(1)).value_or(QString()));
    return true;
}

bool UserDB::addCheckin(const CheckinItem& item, bool checkOnly)
{
    const auto mayStore = [&] {
        return !(item.hasWeight && item.weight < -0.005f)
            || canDelete(item.userId, item.date, "WEIGHT", "-1").value_or(false);
    };
    if (checkOnly)
        return mayStore();
    // The check is part of the change, which waits for other programs once, as it begins.
    StoreTransaction change;
    return change
        && change.end(mayStore() && _writeMeasurements(item) && _writeTargets(item) && _writeMisc(item));
}

bool UserDB::_writeMeasurements(const CheckinItem& item)
{
    if (!(item.hasWeight || item.hasWaist || item.hasChest || item.hasHip || item.hasThigh ||
          item.hasSteps))
        return true;
    if (!ensureRecordExists(Checkins, item.userId, item.date))
        return false;
    FlaggedUpdate update{QStringLiteral("UPDATE user_checkins SET note = ?"), {textOrNull(item.note)}};
    update.set(item.hasWeight, "weight", negToNull(item.weight));
    update.set(item.hasWaist, "waist", negToNull(item.waist));
    update.set(item.hasChest, "chest", negToNull(item.chest));
    update.set(item.hasHip, "hip", negToNull(item.hip));
    update.set(item.hasThigh, "thigh", negToNull(item.thigh));
    update.set(item.hasSteps, "steps", negToNull(item.steps));
    return update.exec(item.userId, item.date);
}

bool UserDB::_writeTargets(const CheckinItem& item)
{
    const NutType triggers[] = {DBTypes::ENERGY, DBTypes::CARBS, DBTypes::FAT, DBTypes::PROTEIN,
                                DBTypes::FIBER};
    if (std::none_of(std::begin(triggers), std::end(triggers),
                     [&](NutType nut) { return item.hasTarget(nut); }))
        return true;
    if (!ensureRecordExists(Target, item.userId, item.date))
        return false;
    FlaggedUpdate update{QStringLiteral("UPDATE user_target SET date = ?"), {QString::fromLatin1(item.date)}};
    // A target keeps six significant digits.
    for (const TargetColumn& target : TargetWriteOrder)
        update.set(item.hasTarget(target.nut), target.column,
                   QString::number(double(item.target(target.nut)), 'g', 6).toDouble());
    return update.exec(item.userId, item.date);
}

bool UserDB::_writeMisc(const CheckinItem& item)
{
    // A diet plan alone is stored too, so that choosing one is never lost.
    if (!(item.hasGoal || item.hasActivity || item.customRMRSet || item.dietPlanSet))
        return true;
    if (!ensureRecordExists(Misc, item.userId, item.date))
        return false;
    FlaggedUpdate update{QStringLiteral("UPDATE user_misc SET date = ?"), {QString::fromLatin1(item.date)}};
    update.set(item.hasGoal, "goal", negToNull(float(item.goal)));
    update.set(item.hasActivity, "activity", negToNull(float(item.activity)));
    update.set(item.customRMRSet, "custom_rmr", negToNull(item.customRMRValue));
    update.set(item.dietPlanSet, "diet_plan", item.dietPlanId);
    return update.exec(item.userId, item.date);
}

std::optional<UserMeasurements> UserDB::getDaysMeasurements(qint64 user, const char* date)
{
    assert(date);
    if (BXSqlDb::refusesUser(user, false))
        return std::nullopt;
    // Columns in the order of the query, with their slots.
    const UserMeasurements::Measurements order[] = {
        UserMeasurements::Weight, UserMeasurements::Chest, UserMeasurements::Hip,
        UserMeasurements::Thigh,  UserMeasurements::Waist, UserMeasurements::Steps};
    UserMeasurements set;
    BXSqlQuery query("SELECT weight, chest, hip, thigh, waist, steps, note, date FROM "
                     "user_checkins WHERE user_id = ? AND date <= ? ORDER BY date DESC");
    query.bindValue(0, user);
    query.bindValue(1, date);
    const bool read = query.readRows([&] {
        const bool sameDay = query.value(7).toString() == QLatin1String(date);
        for (int column = 0; column < UserMeasurements::Count; ++column) {
            if (set.has(order[column]))
                continue;
            if (const std::optional<double> value = checkinFigure(order[column]).read(query.value(column)))
                set.set(order[column], float(*value), sameDay);
        }
        if (!query.value(6).isNull() && set.note().empty()) {
            set.setNote(storedNote(query.value(6)).toStdString());
            set.setNoteExact(sameDay);
        }
    });
    if (!read)
        return std::nullopt;
    return set;
}

bool UserDB::setDaysMeasurements(qint64 user, const char* date, const UserMeasurements& set)
{
    assert(date);
    if (BXSqlDb::refusesUser(user, true))
        return false;
    StoreTransaction change;
    if (!change)
        return false;
    // A weight carried forward from another date is not this date's weight. What could not
    // be read refuses the change.
    if (!set.exact(UserMeasurements::Weight)
        && !canDelete(user, date, "WEIGHT", "-1").value_or(false))
        return false;
    if (set.isEmpty()) {
        if (_isOnlyWeighedDate(user, date).value_or(true))
            return false;
        BXSqlQuery remove("DELETE from user_checkins WHERE user_id = ? AND date = ?");
        remove.bindValue(0, user);
        remove.bindValue(1, date);
        return change.end(remove.exec());
    }
    if (!ensureRecordExists(Checkins, user, date))
        return false;
    BXSqlQuery update("UPDATE user_checkins SET weight = ?, chest = ?, hip = ?, thigh = ?, "
                      "waist = ?, steps = ?, note = ? WHERE user_id = ? AND date = ?");
    const UserMeasurements::Measurements columns[] = {
        UserMeasurements::Weight, UserMeasurements::Chest, UserMeasurements::Hip,
        UserMeasurements::Thigh,  UserMeasurements::Waist, UserMeasurements::Steps};
    int position = 0;
    for (UserMeasurements::Measurements m : columns)
        update.bindValue(position++,
                         set.exact(m) ? QVariant(set.value(m)) : QVariant());
    update.bindValue(6, textOrNull(QString::fromStdString(set.note())));
    update.bindValue(7, user);
    update.bindValue(8, date);
    return change.end(update.exec());
}

std::optional<bool> UserDB::_isOnlyWeighedDate(qint64 user, const char* date)
{
    BXSqlQuery count("SELECT COUNT(weight) from user_checkins WHERE user_id = ?");
    count.bindValue(0, user);
    const std::optional<int> weighings = _count(count);
    if (weighings != 1)
        return weighings ? std::optional<bool>(false) : std::nullopt;
    BXSqlQuery weighed("SELECT date from user_checkins WHERE user_id = ? AND WEIGHT IS NOT NULL");
    weighed.bindValue(0, user);
    const std::optional<bool> row = weighed.first();
    if (!row)
        return std::nullopt;
    return *row && weighed.value(0).toString() == QLatin1String(date);
}

std::optional<bool> UserDB::canDelete(qint64 user, const char* date, const char* field, const char* invalidValue)
{
    assert(field && invalidValue);
    BXSqlQuery query("SELECT COUNT(?) FROM user_checkins WHERE user_id = ? AND date <> ? AND "
                     "weight IS NOT NULL");
    query.bindValue(0, field);
    query.bindValue(1, user);
    query.bindValue(2, date);
    return _any(query);
}

// ---------------------------------------------------------------------------------------
// Lists over a range

std::optional<UserDB::DatedMeasurements> UserDB::getMeasurements(qint64 user, const char* from,
                                                                 const char* to, const char* device)
{
    DatedMeasurements list;
    QString sql = QStringLiteral("SELECT weight, chest, hip, thigh, waist, steps, note, date FROM "
                                 "user_checkins WHERE user_id = ? ");
    if (from)
        sql += QStringLiteral("AND DATE >= ? ");
    if (to)
        sql += QStringLiteral("AND DATE <= ? ");
    qint64 deviceId = -1;
    if (device) {
        BXSqlQuery lookup("SELECT id FROM userdata_sync_devices WHERE name = ?");
        lookup.bindValue(0, device);
        if (!lookup.exec())
            return std::nullopt;
        if (!lookup.next())
            return lookup.outcome().ok() ? std::optional(list) : std::nullopt;
        deviceId = StoredId::read(lookup.value(0), StoredId::Kind::Device);
        sql += QStringLiteral("AND date IN (SELECT date FROM user_checkins_sync WHERE user_id = ? "
                              "AND device = ? AND state <> 0) ");
    }
    sql += QStringLiteral("ORDER BY date");

    BXSqlQuery query(sql);
    int position = 0;
    query.bindValue(position++, user);
    if (from)
        query.bindValue(position++, from);
    if (to)
        query.bindValue(position++, to);
    if (device) {
        query.bindValue(position++, user);
        query.bindValue(position, deviceId);
    }
    if (!query.exec())
        return std::nullopt;
    while (query.next()) {
        // The columns in the order of the query, each unknown read as unset.
        const auto number = [&](int column, UserMeasurements::Measurements m) {
            return float(checkinFigure(m).readOr(query.value(column), nullToNeg(QVariant())));
        };
        const std::string note = query.value(6).isNull()
                                     ? std::string(UserMeasurements::NoNote)
                                     : storedNote(query.value(6)).toStdString();
        list.append({query.value(7).toString(),
                     UserMeasurements(number(0, UserMeasurements::Weight),
                                      number(1, UserMeasurements::Chest),
                                      number(2, UserMeasurements::Hip),
                                      number(3, UserMeasurements::Thigh),
                                      number(4, UserMeasurements::Waist),
                                      number(5, UserMeasurements::Steps), note)});
    }
    if (!query.outcome().ok())
        return std::nullopt;
    return list;
}

std::optional<UserDB::DatedValues> UserDB::getWeightList(qint64 user, const char* from, const char* to)
{
    assert(from && to);
    DatedValues list;
    BXSqlQuery query("SELECT date, weight FROM user_checkins WHERE user_id = ? AND date >= ? AND "
                     "date <= ? AND weight IS NOT NULL ORDER BY date");
    query.bindValue(0, user);
    query.bindValue(1, from);
    query.bindValue(2, to);
    const bool read = query.readRows([&] {
        if (const std::optional<double> weight = checkinFigure(UserMeasurements::Weight).read(query.value(1)))
            list.append({query.value(0).toString(), float(*weight)});
    });
    if (!read)
        return std::nullopt;
    return list;
}

std::optional<UserDB::DatedValues> UserDB::getStepsList(qint64 user, const char* from,
                                                        const char* to, StepMode mode)
{
    assert(from && to);
    assert(mode == StepsPerDay);
    DatedValues list;
    const QDate last = DateFromCode4(to);
    for (QDate day = DateFromCode4(from); day.isValid() && day <= last; day = day.addDays(1)) {
        char code[DBTypes::DATE_CODE_SIZE];
        DateToCode4(day, code);
        bool exact = false;
        const std::optional<float> steps = getSteps(user, code, &exact);
        if (!steps)
            return std::nullopt;
        list.append({QString::fromLatin1(code), exact ? *steps : 0.0f});
    }
    return list;
}

std::optional<float> UserDB::getNextWeight(qint64 user, char* date, bool forward)
{
    assert(date);
    const QString sql = QStringLiteral("SELECT date, weight FROM user_checkins WHERE user_id = ? "
                                       "AND weight IS NOT NULL AND date %1 ? ORDER BY date %2 "
                                       "LIMIT 1")
                            .arg(forward ? QStringLiteral(">=") : QStringLiteral("<="),
                                 forward ? QStringLiteral("ASC") : QStringLiteral("DESC"));
    BXSqlQuery query(sql);
    query.bindValue(0, user);
    query.bindValue(1, QString::fromLatin1(date));
    const std::optional<bool> row = query.first();
    if (!row)
        return std::nullopt;
    if (!*row)
        return -1.0f;
    const QByteArray found = query.value(0).toString().left(8).toLatin1();
    std::memcpy(date, found.constData(), std::size_t(found.size()));
    return float(checkinFigure(UserMeasurements::Weight).readOr(query.value(1), -1.0));
}

std::optional<float> UserDB::weightForDay(qint64 user, const char* date)
{
    char found[DBTypes::DATE_CODE_SIZE] = {};
    std::memcpy(found, date, 8);
    const std::optional<float> before = getNextWeight(user, found, false);
    if (!before || *before >= -0.005f)
        return before;
    return getNextWeight(user, found, true);
}

// ---------------------------------------------------------------------------------------
// Publishing

std::optional<UserDB::Trend> UserDB::getTrend(qint64 user, const QString& date)
{
    Trend trend{QString(), QStringLiteral("nochange")};
    BXSqlQuery query("SELECT weight, date FROM user_checkins WHERE user_id = ? AND date <= ? AND "
                     "WEIGHT NOT NULL ORDER BY date DESC");
    query.bindValue(0, user);
    query.bindValue(1, date);
    if (!query.exec())
        return std::nullopt;
    // The two latest weighings whose weight is known.
    std::optional<double> latest;
    while (query.next()) {
        const std::optional<double> weight = checkinFigure(UserMeasurements::Weight).read(query.value(0));
        if (!weight)
            continue;
        if (!latest) {
            latest = weight;
            continue;
        }
        trend.date = query.value(1).toString();
        trend.trend = _trendWord(*latest - *weight);
        return trend;
    }
    return query.outcome().ok() ? std::optional(trend) : std::nullopt;
}

std::optional<QMap<QString, UserDB::Trend>> UserDB::getTrends(qint64 user, const QStringList& dates)
{
    QList<QPair<QString, double>> weights;
    BXSqlQuery query("SELECT date, weight FROM user_checkins WHERE user_id = ? AND WEIGHT NOT NULL "
                     "ORDER BY date");
    query.bindValue(0, user);
    const bool read = query.readRows([&] {
        if (const std::optional<double> weight = checkinFigure(UserMeasurements::Weight).read(query.value(1)))
            weights.append({query.value(0).toString(), *weight});
    });
    if (!read)
        return std::nullopt;
    QMap<QString, Trend> trends;
    for (const QString& date : dates) {
        // The first weighing after the date; the two before it make the trend.
        const auto after = std::upper_bound(weights.cbegin(), weights.cend(), date,
                                            [](const QString& d, const QPair<QString, double>& w) {
                                                return d < w.first;
                                            });
        Trend trend{QString(), QStringLiteral("nochange")};
        if (after - weights.cbegin() >= 2) {
            trend.date = (after - 2)->first;
            trend.trend = _trendWord((after - 1)->second - (after - 2)->second);
        }
        trends.insert(date, trend);
    }
    return trends;
}

// The word for a change of weight between two weighings, in kilograms.
QString UserDB::_trendWord(double d)
{
    const double big = 2.0 / 7.0;
    if (d > -0.005 && d < 0.005)
        return QStringLiteral("nochange");
    if (d > big)
        return QStringLiteral("bigincrease");
    if (d > -0.005)
        return QStringLiteral("increase");
    if (d < -big)
        return QStringLiteral("bigdecrease");
    return QStringLiteral("decrease");
}

std::optional<QStringList> UserDB::getDeletedCheckinsForWeb(qint64 user)
{
    QStringList dates;
    BXSqlQuery query(
        "SELECT date FROM user_checkins_sync WHERE state = ? AND user_id = ? AND device = 0");
    query.bindValue(0, StateDeleted);
    query.bindValue(1, user);
    if (!query.readRows([&] { dates.append(query.value(0).toString()); }))
        return std::nullopt;
    return dates;
}

std::optional<QList<QPair<QString, int>>> UserDB::getChangedFluid(qint64 user, int device)
{
    assert(device == 0 || device == 1);
    QList<QPair<QString, int>> list;
    BXSqlQuery query("SELECT date, cups FROM water_diary WHERE user_id = ? AND date IN (SELECT "
                     "date FROM water_diary_sync WHERE user_id = ? AND device = ? AND state <> 0)");
    query.bindValue(0, user);
    query.bindValue(1, user);
    query.bindValue(2, device);
    const bool read = query.readRows([&] {
        // No count is none; one the counter never reaches is not offered at all.
        const QVariant stored = query.value(1);
        if (const std::optional<double> cups = stored.isNull() ? 0.0 : StoredFluid.read(stored))
            list.append({query.value(0).toString(), int(std::lround(*cups))});
    });
    if (!read)
        return std::nullopt;
    return list;
}

std::optional<QList<QPair<QString, int>>> UserDB::getChangedFluidForWeb(qint64 user)
{
    return getChangedFluid(user, 0);
}

// ---------------------------------------------------------------------------------------
// Body formulas

float UserDB::calcBMI_f(const float& height, const float& weight)
{
    assert(height);
    return 10000.0f * weight / (height * height);
}

int UserDB::calcBMI(const float& height, const float& weight)
{
    // Half up: the index is never negative.
    return int(std::lround(calcBMI_f(height, weight)));
}

QString UserDB::bmiText(float index)
{
    return NumberParser::write(index, 1);
}

float UserDB::calcWeightForBMI(float height, float bmi)
{
    return height * (bmi * height) / 10000.0f;
}

UserDB::BmiBand UserDB::bmiBand(float index)
{
    const double shown = NumberParser::rounded(index, 1);
    if (shown < 19.0)
        return BmiUnder;
    if (shown <= 26.0)
        return BmiHealthy;
    if (shown < 30.0)
        return BmiOver;
    if (shown <= 40.0)
        return BmiObese;
    return BmiVeryObese;
}

float UserDB::bmiBandStart(BmiBand band)
{
    static const float starts[] = {15.0f, 19.0f, 26.0f, 30.0f, 40.0f};
    return starts[band];
}

QString UserDB::bmiWithRisk(float height, float weight)
{
    const float index = calcBMI_f(height, weight);
    const QString shown = bmiText(index);
    switch (bmiBand(index)) {
    case BmiUnder:
        return QCoreApplication::translate("UserDB", "%1 (Underweight)").arg(shown);
    case BmiHealthy:
        return QCoreApplication::translate("UserDB", "%1 (low risk)").arg(shown);
    case BmiOver:
        return QCoreApplication::translate("UserDB", "%1 (medium risk)").arg(shown);
    case BmiObese:
        return QCoreApplication::translate("UserDB", "%1 (high risk)").arg(shown);
    case BmiVeryObese:
        break;
    }
    return QCoreApplication::translate("UserDB", "%1 (very high risk)").arg(shown);
}

int UserDB::goalRecommendation(float bmi)
{
    switch (bmiBand(bmi)) {
    case BmiUnder:
        return DBTypes::GAIN_WEIGHT;
    case BmiHealthy:
        return DBTypes::MAINTAIN_WEIGHT;
    default:
        return DBTypes::LOSE_WEIGHT;
    }
}

namespace {

// The date of a field that holds exactly an 8-character code; an invalid date otherwise.
QDate dateOfField(const char (&code)[DBTypes::DATE_CODE_SIZE])
{
    if (qstrnlen(code, DBTypes::DATE_CODE_SIZE) != DBTypes::DATE_CODE_SIZE - 1)
        return QDate();
    return DateFromCode4(code);
}

} // namespace

float UserDB::harrisBenedictRee(const CheckinItem& c, const UserProfile& p)
{
    if (!(c.weight > 0.0f) || !(p.height > 0.0f) || c.activity < DBTypes::SEDENTARY
        || c.activity > DBTypes::ACTIVE)
        return NO_REE;
    const QDate day = dateOfField(c.date);
    const QDate birth = dateOfField(p.dob);
    if (!day.isValid() || !birth.isValid())
        return NO_REE;
    const int age = day.year() - birth.year();
    if (age < 1)
        return NO_REE;
    const double weight = c.weight;
    const double height = p.height;
    const double kilojoules = p.sex == 0 ? 57.5 * weight + 278.0 + 20.9 * height - 28.3 * age
                                         : 40.0 * weight + 2741.0 + 7.7 * height - 19.6 * age;
    const float activityFactors[] = {1.1f, 1.2f, 1.3f, 1.4f};
    return float(kilojoules) * activityFactors[c.activity] / 4.18f;
}
