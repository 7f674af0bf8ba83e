#pragma once

#include "core/diaryday.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"
#include "userdb/storedrange.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <set>
#include <string>

class BXSqlQuery;

// Food and exercise entries per date for one user. Deleting only marks a row (status 2,
// and its sync rows state 2) so devices can learn of it; queries leave marked rows out
// unless they ask for them.
class DiaryDB
{
public:
    // Sums of one date: food nutrients, and the energy burned by exercise.
    struct NutrientSet
    {
        float energy = 0.0f;
        float exerciseEnergy = 0.0f;
        float fat = 0.0f;
        float satFat = 0.0f;
        float protein = 0.0f;
        float cholesterol = 0.0f;
        float sodium = 0.0f;
        float fiber = 0.0f;
        float carbs = 0.0f;
        float sugar = 0.0f;
        float calcium = 0.0f;
    };

    // getNutrientInfo(): the three snack groups together.
    static constexpr int AllSnacks = -2;

    static DiaryDB* instance();
    // Deletes the store; the next instance() builds a new one.
    static void cleanUp();
    virtual ~DiaryDB();

    // The suffix of the store's tables: food_<suffix>, exer_<suffix>.
    virtual QString tableName() const;

    // Whether a food row of the user may name that catalogue food: a shipped food, one of the
    // user's own or shared custom foods, or a custom food that is gone (old entries keep
    // their own values). Another user's custom food never.
    static bool mayNameFood(qint64 user, qint64 refId);
    // A food name of a diary or saved meal line as every reader reads it: cut (told) to the
    // longest line a dialog writes.
    static QString readFoodName(const QVariant& stored, const StoredRange::Place& place);
    // The link a food row stores for its catalogue food: NULL for none (a negative id), never
    // an id the program does not give.
    static QVariant storableLink(qint64 refId);
    // Whether the entry may be stored with its food: a stored entry that is the same user's
    // and names that food already (its link kept) is the user's own to change, whoever holds
    // the food's id now; anything else is judged by mayNameFood.
    bool mayStoreFood(const DBTypes::FoodDiaryItem& entry) const;
    // Adds a food entry and stores its new id in the entry; -1, with nothing stored, when
    // the entry names another user's food or the insert fails.
    qint64 addFoodEntry(DBTypes::FoodDiaryItem& entry, bool checkNew);
    // Adds an exercise entry (under its own id with keepId); the entry's id, or -1 when the
    // insert fails.
    qint64 addExEntry(DBTypes::ExerciseDiaryItem& entry, bool keepId);
    // Rewrites an entry of its user; a changed entry is always live again. Refused when
    // !mayStoreFood; false, with nothing changed, when the user has no entry of that id.
    bool modifyFoodEntry(qint64 entryId, const DBTypes::FoodDiaryItem& entry);
    bool modifyExEntry(const DBTypes::ExerciseDiaryItem& entry);
    // Removing an entry of the user (-1 for a shared saved meal's food), several entries or a
    // day is stored whole or not at all; false when nothing was removed, as when the user has
    // no entry of that id.
    bool removeFoodEntry(qint64 user, qint64 entryId, bool hardDelete);
    bool removeExEntry(qint64 user, qint64 entryId, bool hardDelete);
    // Marks entries of the date deleted; meal selects which: 0 all, 1-6 that meal, 8 exercise.
    bool delDiaryEntries(qint64 user, const QDate& date, int meal);
    bool deleteDay(qint64 user, const char* date, bool hardDelete);

    // A food line's name, serving id, serving name and amount (from column `nameColumn` on)
    // and its values (in the order of `nutrients` from column `firstValue`), as the stored
    // range rule reads them, told at `place`: a value outside it is unknown; false when the
    // amount is, and the line is then left out.
    static bool readFoodLine(const BXSqlQuery& query, int nameColumn, int firstValue,
                             std::span<const DBTypes::NutType> nutrients,
                             DBTypes::FoodDiaryItem& entry, const StoredRange::Place& place);

    // One entry of the user; nothing when the user has none of that id or it could not be read.
    // Call these inside an action: an entry that could not be read is the action's outcome,
    // which tells it from a missing one.
    std::optional<DBTypes::FoodDiaryItem> getFoodEntry(qint64 user, qint64 entryId);
    std::optional<DBTypes::ExerciseDiaryItem> getExerciseEntry(qint64 user, qint64 entryId);
    // The readings from here on give nothing (nullopt) when the diary could not be read, never
    // an empty day or list in its place.
    std::optional<DBTypes::DiaryDay> getDay(qint64 user, const char* date, bool includeDeleted);
    std::optional<QMap<QString, DBTypes::DiaryDay>> getAllDays(qint64 user, bool includeDeleted);

    // Dates that hold food, exercise or water entries.
    std::optional<QStringList> getAllDatesForMonth(qint64 user, const QDate& dayOfMonth,
                                                   bool includeDeleted);
    std::optional<std::set<std::string>> getAllDatesWithEntries(qint64 user, bool includeDeleted);
    // Dates of the current user whose entries the web diary has not seen.
    std::optional<std::set<std::string>> getChangedDayList();

    // Sums per date over [startDate, endDate]; group 0 all meals and exercise, 1 to 6 one
    // meal, AllSnacks the snack groups, 8 exercise only.
    std::optional<std::map<std::string, NutrientSet>> getNutrientInfo(qint64 user,
                                                                      const char* startDate,
                                                                      const char* endDate,
                                                                      int group);

    // After a publish: the web diary is in step with the user's entries, those of every
    // date, or from fromDate ("yyyyMMdd") on. False when the store did not keep it: the
    // entries are then offered to the web diary again.
    bool resetItemStatus(qint64 user, const char* fromDate = nullptr);

protected:
    DiaryDB() = default;

    QString foodTable() const { return QStringLiteral("food_") + tableName(); }
    QString exerTable() const { return QStringLiteral("exer_") + tableName(); }
    // Whether the store's tables are followed by sync tables.
    bool isTracked() const;

private:
    DiaryDB(const DiaryDB&) = delete;
    DiaryDB& operator=(const DiaryDB&) = delete;

    // False when the line is left out (see readFoodLine).
    static bool loadFoodItem(BXSqlQuery& query, DBTypes::FoodDiaryItem& entry);
    // Reads the name, duration and rate of the user's exercise entry of entry.date; false,
    // told, when a figure is outside the range rule and the entry is then left out.
    static bool readExerciseLine(const QVariant& duration, const QVariant& rate, const QVariant& name,
                                 const QVariant& user, DBTypes::ExerciseDiaryItem& entry);
    static void bindFoodValues(BXSqlQuery& query, const DBTypes::FoodDiaryItem& entry);
    // The stored link of the user's entry when it reads as the food the entry names: an edit
    // writes it back as it is, never rewritten to what it reads as. None otherwise.
    std::optional<QVariant> keptLink(const DBTypes::FoodDiaryItem& entry) const;
    bool readFoods(BXSqlQuery& query, bool includeDeleted,
                   const std::function<DBTypes::DiaryDay&(const QString& date)>& dayOf);
    bool readExercises(BXSqlQuery& query, qint64 user, bool includeDeleted,
                       const std::function<DBTypes::DiaryDay&(const QString& date)>& dayOf,
                       const char* date);
    bool removeRow(const QString& table, const char* key, qint64 user, qint64 id, bool hardDelete);
    // Whether the row read under `column` has an id the program gives; otherwise it is told
    // and left out.
    static bool holdsUsableId(const BXSqlQuery& query, int column, const QString& table,
                              const char* key);
    bool deleteDayRows(const QString& table, const char* key, qint64 user, const char* date,
                       bool hardDelete);
    bool appendDates(BXSqlQuery& query, QStringList& dates);
    bool sumFoods(qint64 user, const char* startDate, const char* endDate, int group,
                  std::map<std::string, NutrientSet>& sums);
    bool sumExercise(qint64 user, const char* startDate, const char* endDate,
                     std::map<std::string, NutrientSet>& sums);

    static DiaryDB* _instance;
};
