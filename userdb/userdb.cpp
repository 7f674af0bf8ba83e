#include "userdb/userdb.h"

#include "core/brandengine.h"
#include "core/clock.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/rowstate.h"
#include "userdb/storedrange.h"
#include "userdb/storetransaction.h"
#include "userdb/syncdevices.h"

#include <QDate>

#include <cassert>
#include <limits>

namespace {

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

} // namespace

UserDB* UserDB::_instance = nullptr;
UserDB::CatalogueDeleter UserDB::s_catalogueDeleter;

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

QString UserDB::_todayCode()
{
    return Clock::today().toString(QStringLiteral("yyyyMMdd"));
}

// ---------------------------------------------------------------------------------------
// Program starts and metrics

int UserDB::incrementLogin()
{
    // The count is read and written under the same local date, in one change, so that no
    // other start counts in between.
    const QString today = _todayCode();
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
    query.bindValue(0, SyncDevices::find("metrics"));
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
    query.bindValue(2, SyncDevices::find("metrics"));
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
    const qint64 device = SyncDevices::find("metrics");
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
