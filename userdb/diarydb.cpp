#include "userdb/diarydb.h"

#include "core/dateconversion.h"
#include "core/displaydate.h"
#include "core/fooddbbase.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/nullconversion.h"
#include "userdb/storedid.h"
#include "userdb/rowstate.h"
#include "userdb/storednotices.h"
#include "userdb/storedrange.h"
#include "userdb/syncdevices.h"
#include "userdb/userdb.h"
#include "userdb/storetransaction.h"

#include <QDebug>

#include <cassert>

using DBTypes::DiaryDay;
using DBTypes::ExerciseDiaryItem;
using DBTypes::FoodDiaryItem;

DiaryDB* DiaryDB::_instance = nullptr;

namespace {

const char* const FoodColumns =
    "SELECT food_id, user_id, meal, date, status, ref_id, food_name, serving_id, serv_name, "
    "size, calories, fat, protein, carb, fiber, saturated_fat, cholesterol, sodium , sugar, "
    "calcium FROM ";

// The nutrients in the column order of the food tables.
const DBTypes::NutType NutrientColumns[] = {
    DBTypes::ENERGY, DBTypes::FAT,         DBTypes::PROTEIN, DBTypes::CARBS, DBTypes::FIBER,
    DBTypes::SATFAT, DBTypes::CHOLESTEROL, DBTypes::SODIUM,  DBTypes::SUGAR, DBTypes::CALCIUM};

// A line whose amount, duration or rate is unknown is left out: nothing can be counted of it.
constexpr const char* LeftOut = "left out of the day and its sums";
const StoredRange StoredAmount{"food_diary", "size", PlausibleRange::of(PlausibleRange::EntryAmount), LeftOut};
// A saved meal's line keeps an unset value as -1.
const StoredRange StoredFoodValue{"food_diary", "nutrient values",
                                  PlausibleRange(-1.0, PlausibleRange::of(PlausibleRange::EntryValue).top())};
const StoredRange StoredDuration{"exer_diary", "duration",
                                 PlausibleRange::of(PlausibleRange::ExerciseMinutes), LeftOut};
const StoredRange StoredRate{"exer_diary", "rate", PlausibleRange::of(PlausibleRange::BurnRate), LeftOut};
const StoredRange StoredFoodName{"food_diary", "food_name", PlausibleRange(0, StoredRange::LineLength)};
const StoredRange StoredServingName{"food_diary", "serv_name", PlausibleRange(0, StoredRange::LineLength)};
const StoredRange StoredExerciseName{"exer_diary", "name", PlausibleRange(0, StoredRange::LineLength)};

// The catalogue food an entry names, at full width. An id past the catalogue's id space, or a
// value that is no whole number, names no food (-1), told once: the entry keeps its own values
// and is never shown as the food its lower bits would name.
qint64 storedFoodRef(const QVariant& stored)
{
    if (stored.isNull() || StoredId::holds(stored, StoredId::Kind::Catalogue))
        return StoredId::read(stored, StoredId::Kind::Catalogue);
    StoredNotices::tell(QStringLiteral("food_diary.ref_id"),
                        QStringLiteral("The diary holds %1 in the ref_id of a food entry, an id of a "
                                       "food this program never gives: such entries keep their own "
                                       "values and name no food.")
                            .arg(stored.toString().left(40)));
    return -1;
}

// A figure of a line; an empty one reads as none, as it always has.
std::optional<double> lineFigure(const StoredRange& range, const QVariant& stored,
                                 const StoredRange::Place& place)
{
    return stored.isNull() ? 0.0 : range.read(stored, place);
}

// A name as a sentence shows it: at most 40 characters.
QString shownName(const QString& name)
{
    return name.size() > 40 ? name.left(39) + QChar(0x2026) : name;
}

// Where an entry is, as its user knows it: "Ann's entry 'Apple' of Mon, 4 May 2026".
StoredRange::Place entryPlace(const QVariant& user, const QVariant& date, const QVariant& name)
{
    return [user, date, name] {
        BXSqlQuery owner("SELECT name FROM user_users WHERE user_id = ?");
        owner.bindValue(0, user);
        const QString who = owner.first().value_or(false) ? shownName(owner.value(0).toString())
                                                          : QStringLiteral("user %1").arg(user.toString());
        const QDate day = QDate::fromString(date.toString(), QStringLiteral("yyyyMMdd"));
        return QStringLiteral("%1's entry '%2' of %3")
            .arg(who, shownName(name.toString()), DisplayDate::textDate(day));
    };
}

QString sql(const QString& head, const QString& table, const char* tail)
{
    return head + table + QString::fromLatin1(tail);
}

// Whether a date read from the file is a date code; rows with anything else are left out.
bool isDateCode(const QString& text)
{
    return DateFromCode4(text.toLatin1().constData()).isValid();
}

} // namespace

DiaryDB* DiaryDB::instance()
{
    if (!_instance)
        _instance = new DiaryDB;
    return _instance;
}

void DiaryDB::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

DiaryDB::~DiaryDB()
{
    if (_instance == this)
        _instance = nullptr;
}

QString DiaryDB::tableName() const
{
    return QStringLiteral("diary");
}

bool DiaryDB::isTracked() const
{
    // Only the diary's own tables have sync tables; the meal-plan tables have none.
    return tableName() == QLatin1String("diary");
}

// ---------------------------------------------------------------------------------------
// Adding, changing and removing entries

void DiaryDB::bindFoodValues(BXSqlQuery& query, const FoodDiaryItem& entry)
{
    query.bindValue(0, entry.userId);
    query.bindValue(1, entry.date);
    query.bindValue(2, entry.meal);
    query.bindValue(3, StatusLive);
    query.bindValue(4, storableLink(entry.refId));
    query.bindValue(5, entry.desc);
    query.bindValue(6, entry.servingId);
    query.bindValue(7, entry.servingDesc);
    query.bindValue(8, entry.size);
    int position = 9;
    for (DBTypes::NutType nut : NutrientColumns)
        query.bindValue(position++, negToNull(entry.getNutrient(nut)));
}

QVariant DiaryDB::storableLink(qint64 refId)
{
    return refId < 0 ? QVariant() : QVariant(refId);
}

QString DiaryDB::readFoodName(const QVariant& stored, const StoredRange::Place& place)
{
    return StoredFoodName.readText(stored, place);
}

bool DiaryDB::mayNameFood(qint64 user, qint64 refId)
{
    if (!FoodDBBase::isCustomId(refId))
        return true;
    // The root of the food's tree: the first category on its way up that is a root, or has no
    // parent. The way stops at any root, as every root is a root only.
    BXSqlQuery root("WITH RECURSIVE up(id, parent) AS (SELECT f.category_id, c.parent_id FROM "
                    "custom_foods f LEFT JOIN custom_food_cats c ON c.category_id = f.category_id "
                    "WHERE f.food_id = ? UNION SELECT c.category_id, c.parent_id FROM "
                    "custom_food_cats c JOIN up ON c.category_id = up.parent "
                    "WHERE up.id NOT BETWEEN ? AND ?) "
                    "SELECT id FROM up WHERE parent = 0 OR id BETWEEN ? AND ?");
    root.bindValue(0, refId);
    for (int position = 1; position < 5; position += 2) {
        root.bindValue(position, FoodDBBase::UserRootBase);
        root.bindValue(position + 1, FoodDBBase::SharedRootId);
    }
    if (!root.exec())
        return false;
    if (!root.next())
        return true;
    const qint64 id = StoredId::read(root.value(0), StoredId::Kind::Catalogue);
    return id == FoodDBBase::SharedRootId || id == FoodDBBase::UserRootBase + user;
}

qint64 DiaryDB::addFoodEntry(FoodDiaryItem& entry, bool checkNew)
{
    if (checkNew)
        assert(entry.entryId < 0 && "fdi.food_id < 0");
    if (!mayNameFood(entry.userId, entry.refId))
        return -1;
    BXSqlQuery insert(sql(QStringLiteral("INSERT INTO "), foodTable(),
                          " (food_id, user_id, date, meal, status, ref_id, food_name, serving_id, "
                          "serv_name, size, calories, fat, protein, carb, fiber, saturated_fat, "
                          "cholesterol, sodium , sugar, calcium) VALUES (NULL, ?, ?, ?, ?, ?, ?, "
                          "?, ?, ?, ?, ?, ?, ?, ?, ?,?,?,?,?)"));
    bindFoodValues(insert, entry);
    // A failed insert reports -1; it never hands back another row's id.
    if (!insert.exec() || insert.lastInsertId() < 0)
        return -1;
    entry.entryId = insert.lastInsertId();
    return entry.entryId;
}

qint64 DiaryDB::addExEntry(ExerciseDiaryItem& entry, bool keepId)
{
    const QString head = QStringLiteral("INSERT INTO ") + exerTable() +
                         QStringLiteral(" (ex_id, user_id, date, duration, rate, name, status) ");
    BXSqlQuery insert(head + (keepId ? QStringLiteral("VALUES (?, ?, ?, ?, ?, ?, ?)")
                                     : QStringLiteral("VALUES (NULL, ?, ?, ?, ?, ?, ?)")));
    int position = 0;
    if (keepId)
        insert.bindValue(position++, entry.entryId);
    insert.bindValue(position++, entry.userId);
    insert.bindValue(position++, entry.date);
    insert.bindValue(position++, entry.duration);
    insert.bindValue(position++, entry.rate);
    insert.bindValue(position++, entry.name);
    insert.bindValue(position, StatusLive);
    if (!insert.exec())
        return -1;
    if (!keepId) {
        if (insert.lastInsertId() < 0)
            return -1;
        entry.entryId = insert.lastInsertId();
    }
    return entry.entryId;
}

std::optional<QVariant> DiaryDB::keptLink(const FoodDiaryItem& entry) const
{
    BXSqlQuery stored(sql(QStringLiteral("SELECT ref_id FROM "), foodTable(), " WHERE food_id = ? AND user_id = ?"));
    stored.bindValue(0, entry.entryId);
    stored.bindValue(1, entry.userId);
    if (!stored.first().value_or(false) || storedFoodRef(stored.value(0)) != entry.refId)
        return std::nullopt;
    return stored.value(0);
}

bool DiaryDB::mayStoreFood(const FoodDiaryItem& entry) const
{
    return keptLink(entry) || mayNameFood(entry.userId, entry.refId);
}

bool DiaryDB::modifyFoodEntry(qint64 entryId, const FoodDiaryItem& entry)
{
    assert(entryId == entry.entryId && "food_id==fdi.food_id");
    const std::optional<QVariant> kept = keptLink(entry);
    if (!kept && !mayNameFood(entry.userId, entry.refId))
        return false;
    BXSqlQuery update(sql(QStringLiteral("UPDATE "), foodTable(),
                          " SET user_id = ?, date = ?, meal = ?, status = ?, ref_id = ?, "
                          "food_name = ?, serving_id = ?, serv_name = ?, size = ?, calories = ?, "
                          "fat = ?, protein = ?, carb = ?, fiber = ?, saturated_fat = ?, "
                          "cholesterol = ?, sodium = ?, sugar = ?, calcium = ? WHERE food_id = ? "
                          "AND user_id = ?"));
    bindFoodValues(update, entry);
    if (kept)
        update.bindValue(4, *kept);
    update.bindValue(19, entryId);
    update.bindValue(20, entry.userId);
    return update.execChangingRow();
}

bool DiaryDB::modifyExEntry(const ExerciseDiaryItem& entry)
{
    BXSqlQuery update(sql(QStringLiteral("UPDATE "), exerTable(),
                          " SET user_id = ?, date = ?, duration = ?, rate = ?, name = ?, "
                          "status = ? WHERE ex_id = ? AND user_id = ?"));
    update.bindValue(0, entry.userId);
    update.bindValue(1, entry.date);
    update.bindValue(2, entry.duration);
    update.bindValue(3, entry.rate);
    update.bindValue(4, entry.name);
    update.bindValue(5, StatusLive);
    update.bindValue(6, entry.entryId);
    update.bindValue(7, entry.userId);
    return update.execChangingRow();
}

// A row is named by its id and its user together: an id alone could be another user's row. A
// shared saved meal's foods belong to -1, which older diaries store as NULL.
bool DiaryDB::removeRow(const QString& table, const char* key, qint64 user, qint64 id, bool hardDelete)
{
    const QString k = QString::fromLatin1(key);
    const QString row = QStringLiteral("%1 = ? AND IFNULL(user_id, -1) = ?").arg(k);
    if (hardDelete) {
        BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, row));
        remove.bindValue(0, id);
        remove.bindValue(1, user);
        return remove.execChangingRow();
    }
    BXSqlQuery status(QStringLiteral("UPDATE %1 SET status = ? WHERE %2").arg(table, row));
    status.bindValue(0, StatusDeleted);
    status.bindValue(1, id);
    status.bindValue(2, user);
    if (!isTracked())
        return status.execChangingRow();
    // The row and its sync rows are marked together, so that devices learn of every removal.
    BXSqlQuery state(QStringLiteral("UPDATE %1_sync SET state = ? WHERE %2 IN (SELECT %2 FROM %1 "
                                    "WHERE %3)")
                         .arg(table, k, row));
    state.bindValue(0, StateDeleted);
    state.bindValue(1, id);
    state.bindValue(2, user);
    StoreTransaction change;
    return change && change.end(status.execChangingRow() && state.exec());
}

bool DiaryDB::removeFoodEntry(qint64 user, qint64 entryId, bool hardDelete)
{
    return removeRow(foodTable(), "food_id", user, entryId, hardDelete);
}

bool DiaryDB::removeExEntry(qint64 user, qint64 entryId, bool hardDelete)
{
    return removeRow(exerTable(), "ex_id", user, entryId, hardDelete);
}

bool DiaryDB::delDiaryEntries(qint64 user, const QDate& date, int meal)
{
    StoreTransaction change;
    if (!change)
        return false;
    const QByteArray code = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    const std::optional<DiaryDay> read = getDay(user, code.constData(), false);
    if (!read)
        return false;
    const DiaryDay& day = *read;
    bool ok = true;
    if (meal != DiaryDay::EXERCISE) {
        for (const FoodDiaryItem& food : day.foods) {
            if (ok && (meal == DiaryDay::ALL_GROUPS || food.meal == meal))
                ok = removeFoodEntry(user, food.entryId, false);
        }
    }
    if (meal == DiaryDay::ALL_GROUPS || meal == DiaryDay::EXERCISE) {
        for (const ExerciseDiaryItem& exercise : day.exercises)
            ok = ok && removeExEntry(user, exercise.entryId, false);
    }
    return change.end(ok);
}

bool DiaryDB::deleteDayRows(const QString& table, const char* key, qint64 user, const char* date,
                            bool hardDelete)
{
    if (hardDelete) {
        BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE date = ? AND user_id = ? ").arg(table));
        remove.bindValue(0, date);
        remove.bindValue(1, user);
        return remove.exec();
    }
    BXSqlQuery status(
        QStringLiteral("UPDATE %1 SET status = ? WHERE date = ? AND user_id = ?").arg(table));
    status.bindValue(0, StatusDeleted);
    status.bindValue(1, date);
    status.bindValue(2, user);
    if (!isTracked())
        return status.exec();
    const QString k = QString::fromLatin1(key);
    BXSqlQuery state(QStringLiteral("UPDATE %1_sync SET state = ? WHERE %2 IN ( SELECT %2 FROM %1 "
                                    "WHERE date = ? AND user_id = ? )")
                         .arg(table, k));
    state.bindValue(0, StateDeleted);
    state.bindValue(1, date);
    state.bindValue(2, user);
    return status.exec() && state.exec();
}

bool DiaryDB::deleteDay(qint64 user, const char* date, bool hardDelete)
{
    StoreTransaction change;
    return change
        && change.end(deleteDayRows(foodTable(), "food_id", user, date, hardDelete)
                      && deleteDayRows(exerTable(), "ex_id", user, date, hardDelete));
}

// ---------------------------------------------------------------------------------------
// Reading entries

bool DiaryDB::readFoodLine(const BXSqlQuery& query, int nameColumn, int firstValue,
                           std::span<const DBTypes::NutType> nutrients, FoodDiaryItem& entry,
                           const StoredRange::Place& place)
{
    entry.desc = readFoodName(query.value(nameColumn), place);
    entry.servingId = query.value(nameColumn + 1).toInt();
    entry.servingDesc = StoredServingName.readText(query.value(nameColumn + 2), place);
    const std::optional<double> size = lineFigure(StoredAmount, query.value(nameColumn + 3), place);
    if (!size)
        return false;
    entry.size = float(*size);
    int column = firstValue;
    for (DBTypes::NutType nut : nutrients)
        entry.values.setNutrient(nut, float(StoredFoodValue.readOr(query.value(column++),
                                                                   nullToNeg(QVariant()), place)));
    return true;
}

bool DiaryDB::readExerciseLine(const QVariant& duration, const QVariant& rate, const QVariant& name,
                               const QVariant& user, ExerciseDiaryItem& entry)
{
    const StoredRange::Place place = entryPlace(user, QString::fromLatin1(entry.date), name);
    entry.name = StoredExerciseName.readText(name, place);
    const std::optional<double> minutes = lineFigure(StoredDuration, duration, place);
    const std::optional<double> burn = lineFigure(StoredRate, rate, place);
    if (!minutes || !burn)
        return false;
    entry.duration = float(*minutes);
    entry.rate = float(*burn);
    return true;
}

bool DiaryDB::loadFoodItem(BXSqlQuery& query, FoodDiaryItem& entry)
{
    entry.entryId = StoredId::read(query.value(0), StoredId::Kind::Row);
    entry.userId = StoredId::read(query.value(1), StoredId::Kind::Owner);
    entry.meal = query.value(2).toInt();
    const std::string date = query.value(3).toString().toStdString();
    if (date.size() >= 8)
        entry.setDate(date);
    entry.refId = storedFoodRef(query.value(5));
    if (!readFoodLine(query, 6, 10, NutrientColumns, entry,
                      entryPlace(query.value(1), query.value(3), query.value(6))))
        return false;
    entry.createFakeDenorm();
    return true;
}

std::optional<FoodDiaryItem> DiaryDB::getFoodEntry(qint64 user, qint64 entryId)
{
    BXSqlQuery query(QString::fromLatin1(FoodColumns) + foodTable() +
                     QStringLiteral(" WHERE food_id = ? AND user_id = ?"));
    query.bindValue(0, entryId);
    query.bindValue(1, user);
    if (!query.exec() || !query.next()) {
        qWarning("DiaryDB::getFoodEntry didn't return a proper result - couldn't find record");
        return std::nullopt;
    }
    FoodDiaryItem entry;
    if (!loadFoodItem(query, entry))
        return std::nullopt;
    return entry;
}

std::optional<ExerciseDiaryItem> DiaryDB::getExerciseEntry(qint64 user, qint64 entryId)
{
    BXSqlQuery query(sql(QStringLiteral("SELECT user_id, date, duration, rate, name, status FROM "),
                         exerTable(), " WHERE ex_id = ? AND user_id = ?"));
    query.bindValue(0, entryId);
    query.bindValue(1, user);
    if (!query.exec() || !query.next()) {
        qWarning("AIEEEE! couldn't get exercise #%lld", entryId);
        return std::nullopt;
    }
    const QString date = query.value(1).toString();
    if (!isDateCode(date)) {
        StoredNotices::tell(QStringLiteral("exer_diary.date"),
                            QStringLiteral("An exercise entry of the diary (its ex_id %1) has no valid "
                                           "date but \"%2\": it is left out of every day, and a "
                                           "backup keeps it.")
                                .arg(entryId)
                                .arg(date.left(40)));
        return std::nullopt;
    }
    ExerciseDiaryItem entry;
    entry.entryId = entryId;
    entry.userId = StoredId::read(query.value(0), StoredId::Kind::Owner);
    entry.setDate(date.toStdString());
    if (!readExerciseLine(query.value(2), query.value(3), query.value(4), query.value(0), entry))
        return std::nullopt;
    entry.status = query.value(5).toInt();
    return entry;
}

bool DiaryDB::holdsUsableId(const BXSqlQuery& query, int column, const QString& table,
                            const char* key)
{
    if (StoredId::holds(query.value(column), StoredId::Kind::Row))
        return true;
    StoredNotices::tell(table + QLatin1Char('.') + QLatin1String(key),
                        QStringLiteral("An entry of the table %1 is left out: its %2 %3 is no id this "
                                       "program gives.")
                            .arg(table, QLatin1String(key), query.value(column).toString().left(40)));
    return false;
}

bool DiaryDB::readFoods(BXSqlQuery& query, bool includeDeleted,
                        const std::function<DiaryDay&(const QString& date)>& dayOf)
{
    return query.readRows([&] {
        if ((!includeDeleted && query.value(4).toInt() == StatusDeleted)
            || !isDateCode(query.value(3).toString()) || !holdsUsableId(query, 0, foodTable(), "food_id"))
            return;
        DiaryDay& day = dayOf(query.value(3).toString());
        FoodDiaryItem entry;
        if (loadFoodItem(query, entry))
            day.foods.push_back(entry);
    });
}

// Reads exercise rows of (ex_id, duration, rate, name, status[, date]) into their days.
bool DiaryDB::readExercises(BXSqlQuery& query, qint64 user, bool includeDeleted,
                            const std::function<DiaryDay&(const QString& date)>& dayOf,
                            const char* date)
{
    if (!query.exec())
        return false;
    while (query.next()) {
        if (!includeDeleted && query.value(4).toInt() == StatusDeleted)
            continue;
        const QString rowDate = date ? QString::fromLatin1(date) : query.value(5).toString();
        if (!isDateCode(rowDate) || !holdsUsableId(query, 0, exerTable(), "ex_id"))
            continue;
        ExerciseDiaryItem entry;
        entry.entryId = StoredId::read(query.value(0), StoredId::Kind::Row);
        entry.userId = user;
        entry.setDate(rowDate.toStdString());
        if (!readExerciseLine(query.value(1), query.value(2), query.value(3), user, entry))
            continue;
        entry.status = query.value(4).toInt();
        dayOf(rowDate).exercises.push_back(entry);
    }
    return query.outcome().ok();
}

std::optional<DiaryDay> DiaryDB::getDay(qint64 user, const char* date, bool includeDeleted)
{
    assert(date);
    DiaryDay day;
    const auto theDay = [&](const QString&) -> DiaryDay& { return day; };

    BXSqlQuery foods(QString::fromLatin1(FoodColumns) + foodTable() +
                     QStringLiteral(" WHERE user_id = ? AND date = ?"));
    foods.bindValue(0, user);
    foods.bindValue(1, date);
    if (!readFoods(foods, includeDeleted, theDay))
        return std::nullopt;

    BXSqlQuery exercises(sql(QStringLiteral("SELECT  ex_id, duration, rate, name, status FROM "),
                             exerTable(), " WHERE date = ? AND user_id = ?"));
    exercises.bindValue(0, date);
    exercises.bindValue(1, user);
    if (!readExercises(exercises, user, includeDeleted, theDay, date))
        return std::nullopt;
    return day;
}

std::optional<QMap<QString, DiaryDay>> DiaryDB::getAllDays(qint64 user, bool includeDeleted)
{
    QMap<QString, DiaryDay> days;
    const auto dayOf = [&](const QString& date) -> DiaryDay& { return days[date]; };

    BXSqlQuery foods(QString::fromLatin1(FoodColumns) + foodTable() +
                     QStringLiteral(" WHERE user_id = ? AND date IS NOT NULL"));
    foods.bindValue(0, user);
    if (!readFoods(foods, includeDeleted, dayOf))
        return std::nullopt;

    BXSqlQuery exercises(sql(QStringLiteral("SELECT  ex_id, duration, rate, name, status, date FROM "),
                             exerTable(), " WHERE user_id = ? AND date IS NOT NULL"));
    exercises.bindValue(0, user);
    if (!readExercises(exercises, user, includeDeleted, dayOf, nullptr))
        return std::nullopt;
    return days;
}

// ---------------------------------------------------------------------------------------
// Dates with entries

bool DiaryDB::appendDates(BXSqlQuery& query, QStringList& dates)
{
    return query.readRows([&] {
        const QString code = query.value(0).toString();
        if (isDateCode(code))
            dates.append(code);
    });
}

std::optional<QStringList> DiaryDB::getAllDatesForMonth(qint64 user, const QDate& dayOfMonth, bool includeDeleted)
{
    const QDate first(dayOfMonth.year(), dayOfMonth.month(), 1);
    const QDate last(dayOfMonth.year(), dayOfMonth.month(), dayOfMonth.daysInMonth());
    const QString from = first.toString(QStringLiteral("yyyyMMdd"));
    const QString to = last.toString(QStringLiteral("yyyyMMdd"));
    const QString status = includeDeleted ? QString() : QStringLiteral(" AND status <> ?");

    QStringList dates;
    const QString tables[] = {foodTable(), exerTable()};
    for (const QString& table : tables) {
        BXSqlQuery query(QStringLiteral("SELECT DISTINCT date FROM ") + table +
                         QStringLiteral(" WHERE user_id = ? AND date >= ? AND date <= ?") + status);
        query.bindValue(0, user);
        query.bindValue(1, from);
        query.bindValue(2, to);
        if (!includeDeleted)
            query.bindValue(3, StatusDeleted);
        if (!appendDates(query, dates))
            return std::nullopt;
    }
    BXSqlQuery water("SELECT date FROM water_diary WHERE user_id = ? AND cups > 0 AND date >= ? "
                     "AND date <= ?");
    water.bindValue(0, user);
    water.bindValue(1, from);
    water.bindValue(2, to);
    if (!appendDates(water, dates))
        return std::nullopt;
    return dates;
}

std::optional<std::set<std::string>> DiaryDB::getAllDatesWithEntries(qint64 user,
                                                                    bool includeDeleted)
{
    const QString status = includeDeleted ? QString() : QStringLiteral(" AND status <> ?");
    QStringList dates;
    const QString tables[] = {foodTable(), exerTable()};
    for (const QString& table : tables) {
        BXSqlQuery query(QStringLiteral("SELECT DISTINCT date FROM ") + table +
                         QStringLiteral(" WHERE user_id = ? AND date IS NOT NULL") + status);
        query.bindValue(0, user);
        if (!includeDeleted)
            query.bindValue(1, StatusDeleted);
        if (!appendDates(query, dates))
            return std::nullopt;
    }
    BXSqlQuery water("SELECT date FROM water_diary WHERE user_id = ? AND cups > 0");
    water.bindValue(0, user);
    if (!appendDates(water, dates))
        return std::nullopt;

    std::set<std::string> result;
    for (const QString& date : dates)
        result.insert(date.toStdString());
    return result;
}

std::optional<std::set<std::string>> DiaryDB::getChangedDayList()
{
    const qint64 user = UserDB::instance()->getCurrentUser();
    BXSqlQuery query(
        "SELECT date FROM food_diary, food_diary_sync WHERE device = 0 AND food_diary_sync.food_id "
        "== food_diary.food_id AND date IS NOT NULL AND user_id = ? AND state <> ? UNION SELECT "
        "date FROM exer_diary, exer_diary_sync WHERE device = 0 AND exer_diary_sync.ex_id == "
        "exer_diary.ex_id AND date IS NOT NULL AND user_id = ? AND state <> ?");
    query.bindValue(0, user);
    query.bindValue(1, StateInStep);
    query.bindValue(2, user);
    query.bindValue(3, StateInStep);
    std::set<std::string> dates;
    if (!query.readRows([&] {
            const QString code = query.value(0).toString();
            if (isDateCode(code))
                dates.insert(code.toStdString());
        }))
        return std::nullopt;
    return dates;
}

// ---------------------------------------------------------------------------------------
// Sums

std::optional<std::map<std::string, DiaryDB::NutrientSet>> DiaryDB::getNutrientInfo(
    qint64 user, const char* startDate, const char* endDate, int group)
{
    assert(startDate && "startDate");
    assert(endDate && "endDate");
    std::map<std::string, NutrientSet> sums;
    if (!sumFoods(user, startDate, endDate, group, sums))
        return std::nullopt;
    if ((group == DiaryDay::ALL_GROUPS || group == DiaryDay::EXERCISE)
        && !sumExercise(user, startDate, endDate, sums))
        return std::nullopt;
    return sums;
}

bool DiaryDB::sumFoods(qint64 user, const char* startDate, const char* endDate, int group,
                       std::map<std::string, NutrientSet>& sums)
{
    // Summed as the diary's lines read: a line of an amount no dialog writes is left out, a
    // value no dialog writes counts as none.
    const char* const columns[] = {"calories",      "fat",         "fiber",  "protein", "carb",
                                   "saturated_fat", "cholesterol", "sodium", "sugar",   "calcium"};
    QString sql = QStringLiteral("SELECT date");
    for (const char* column : columns)
        sql += QStringLiteral(", SUM(CASE WHEN %1 BETWEEN ? AND ? THEN %1 END)").arg(QLatin1String(column));
    sql += QStringLiteral(" FROM ") + foodTable()
        + QStringLiteral(" WHERE user_id = ? AND status <> ? AND date >= ? AND date <= ? AND (size "
                         "IS NULL OR size BETWEEN ? AND ?) ");
    if (group == AllSnacks)
        sql += QStringLiteral("AND meal IN (?, ?, ?) ");
    else if (group != DiaryDay::ALL_GROUPS)
        sql += QStringLiteral("AND meal = ? ");
    BXSqlQuery query(sql + QStringLiteral("GROUP BY date"));
    int position = 0;
    const auto bindRange = [&](PlausibleRange::Quantity quantity) {
        query.bindValue(position++, PlausibleRange::of(quantity).bottom());
        query.bindValue(position++, PlausibleRange::of(quantity).top());
    };
    for (std::size_t i = 0; i < std::size(columns); ++i)
        bindRange(PlausibleRange::EntryValue);
    for (const QVariant& value : {QVariant(user), QVariant(StatusDeleted), QVariant(startDate),
                                  QVariant(endDate)})
        query.bindValue(position++, value);
    bindRange(PlausibleRange::EntryAmount);
    if (group == AllSnacks) {
        for (DiaryDay::GroupType snack : {DiaryDay::MORNING_SNACK, DiaryDay::AFTERNOON_SNACK,
                                          DiaryDay::EVENING_SNACK})
            query.bindValue(position++, int(snack));
    } else if (group != DiaryDay::ALL_GROUPS) {
        query.bindValue(position, group);
    }
    return query.readRows([&] {
        NutrientSet& set = sums[query.value(0).toString().toStdString()];
        float* const fields[] = {&set.energy,      &set.fat,    &set.fiber, &set.protein,
                                 &set.carbs,       &set.satFat, &set.cholesterol,
                                 &set.sodium,      &set.sugar,  &set.calcium};
        int column = 1;
        for (float* field : fields)
            *field = query.value(column++).toFloat();
    });
}

bool DiaryDB::sumExercise(qint64 user, const char* startDate, const char* endDate,
                          std::map<std::string, NutrientSet>& sums)
{
    // Lines of minutes or a rate no dialog writes are left out, as the diary's reading does.
    BXSqlQuery query(QStringLiteral("SELECT date, SUM(rate*duration) FROM ") + exerTable() +
                     QStringLiteral(" WHERE user_id = ? AND status <> ? AND date >= ? AND date "
                                    "<= ? AND (duration IS NULL OR duration BETWEEN ? AND ?) AND (rate IS "
                                    "NULL OR rate BETWEEN ? AND ?) GROUP BY date"));
    query.bindValue(0, user);
    query.bindValue(1, StatusDeleted);
    query.bindValue(2, startDate);
    query.bindValue(3, endDate);
    int position = 4;
    for (PlausibleRange::Quantity quantity : {PlausibleRange::ExerciseMinutes, PlausibleRange::BurnRate}) {
        query.bindValue(position++, PlausibleRange::of(quantity).bottom());
        query.bindValue(position++, PlausibleRange::of(quantity).top());
    }
    return query.readRows([&] {
        sums[query.value(0).toString().toStdString()].exerciseEnergy = query.value(1).toFloat();
    });
}

// ---------------------------------------------------------------------------------------
// After publishing

bool DiaryDB::resetItemStatus(qint64 user, const char* fromDate)
{
    if (BXSqlDb::refusesUser(user, true))
        return false;
    if (!isTracked())
        return true;
    StoreTransaction change;
    if (!change)
        return false;
    const qint64 device = SyncDevices::find("website");
    const struct
    {
        QString table;
        QString key;
    } tables[] = {{foodTable(), QStringLiteral("food_id")}, {exerTable(), QStringLiteral("ex_id")}};

    // The bound is bound, never pasted into the statement.
    const QString range = fromDate ? QStringLiteral(" AND date >= ?") : QString();
    // Runs a statement on the marks of both tables, with two values of its own bound first.
    const auto onBoth = [&](const char* sql, qint64 first, qint64 second) {
        for (const auto& t : tables) {
            BXSqlQuery query(QString::fromLatin1(sql).arg(t.table, t.key, range));
            query.bindValue(0, first);
            query.bindValue(1, second);
            query.bindValue(2, user);
            if (fromDate)
                query.bindValue(3, QString::fromLatin1(fromDate));
            if (!query.exec())
                return false;
        }
        return true;
    };
    // Deleted marks go first, so that they are removed rather than set in step.
    const bool ok = onBoth("DELETE FROM %1_sync WHERE device = ? AND state = ? AND %2 IN "
                           "(SELECT %2 FROM %1 WHERE user_id = ?%3)",
                           device, StateDeleted)
        && onBoth("UPDATE %1_sync SET state = ? WHERE device = ? AND %2 IN "
                  "(SELECT %2 FROM %1 WHERE user_id = ?%3)",
                  StateInStep, device);
    return change.end(ok);
}
