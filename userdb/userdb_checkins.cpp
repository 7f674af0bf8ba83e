#include "userdb/userdb.h"

#include "core/dateconversion.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/flaggedupdate.h"
#include "userdb/nullconversion.h"
#include "userdb/rowstate.h"
#include "userdb/storedid.h"
#include "userdb/storedrange.h"
#include "userdb/storetransaction.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

using DBTypes::CheckinItem;

namespace {

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
// The id of a diet plan, which the targets dialogs choose from a list.
const StoredRange StoredDietPlan{"user_misc", "diet_plan", PlausibleRange(0, UserDB::LineLength), "read as no plan"};
// The note as the check-in dialog writes it, at most its length.
QString storedNote(const QVariant& stored)
{
    return StoredNote.readText(stored);
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

} // namespace

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
          && _readTargets(user, date, item) && _readMisc(item)))
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
    FlaggedUpdate update(QStringLiteral("UPDATE user_checkins SET note = ?"), textOrNull(item.note));
    update.set(item.hasWeight, "weight", negToNull(item.weight));
    update.set(item.hasWaist, "waist", negToNull(item.waist));
    update.set(item.hasChest, "chest", negToNull(item.chest));
    update.set(item.hasHip, "hip", negToNull(item.hip));
    update.set(item.hasThigh, "thigh", negToNull(item.thigh));
    update.set(item.hasSteps, "steps", negToNull(item.steps));
    return update.exec(item.userId, item.date);
}
bool UserDB::_writeMisc(const CheckinItem& item)
{
    // A diet plan alone is stored too, so that choosing one is never lost.
    if (!(item.hasGoal || item.hasActivity || item.customRMRSet || item.dietPlanSet))
        return true;
    if (!ensureRecordExists(Misc, item.userId, item.date))
        return false;
    FlaggedUpdate update(QStringLiteral("UPDATE user_misc SET date = ?"), QString::fromLatin1(item.date));
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
