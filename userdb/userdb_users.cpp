#include "userdb/userdb.h"

#include "core/dateconversion.h"
#include "userdb/bxexception.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/nullconversion.h"
#include "userdb/storedid.h"
#include "userdb/storednotices.h"
#include "userdb/storedrange.h"
#include "userdb/storetransaction.h"

#include <QCoreApplication>
#include <QDate>
#include <QSet>

using DBTypes::CheckinItem;
using DBTypes::UserPrefs;
using DBTypes::UserProfile;

namespace {

// Tells that a row of user_users is left out for its user_id.
void tellUnknownUser(const QVariant& stored)
{
    const QString shown = stored.isNull() ? QStringLiteral("NULL") : stored.toString().left(40);
    StoredNotices::tell(QStringLiteral("user_users.user_id"),
                        QStringLiteral("A user of the diary is left out: its user_id %1 is no id this "
                                       "program gives a user.")
                            .arg(shown));
}
// Male 0, female 1, -1 not given.
const StoredRange StoredSex{"user_users", "sex", PlausibleRange(-1, 1), "read as not given"};
// A birth date from the first year the profile's calendar offers.
const StoredRange StoredBirth{"user_users", "dob", PlausibleRange(19000101, 99991231), "read as not given"};
// The day the user was added, as the profile wizard writes it.
const StoredRange StoredCreated{"user_users", "created", PlausibleRange(19000101, 99991231), "read as not given"};
const StoredRange StoredName{"user_users", "name", PlausibleRange(0, UserDB::LineLength), "read as not given"};
const StoredRange StoredPassword{"user_users", "password", PlausibleRange(0, UserDB::LineLength), "read as not given"};
// An empty height is stored as 0.
const StoredRange StoredHeight{"user_misc", "height",
                               PlausibleRange(0.0, PlausibleRange::of(PlausibleRange::Height).top())};

// The tables of a user's own rows, in the order a deletion empties them.
const char* const UserTables[] = {"food_diary",    "group_diary",        "food_mealplan",
                                  "exer_diary",    "exer_mealplan",      "user_users",
                                  "user_checkins", "user_misc",          "user_target",
                                  "water_diary",   "favorites",          "user_firsttime_tips",
                                  "metrics_startStats"};

} // namespace

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
    _bindTargetSizes(insert, 12, prefs);
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
    const QByteArray today = _todayCode().toLatin1();
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
