#include "userdb/schemarule.h"

#include "core/bxsettings.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarylocation.h"
#include "userdb/diaryschema.h"
#include "userdb/diaryversion.h"
#include "userdb/filecopy.h"
#include "userdb/startrefusal.h"
#include "userdb/userdbformat.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace {

// The indexes that a day, a month and the sums read through, and those that find the highest
// custom id the entries and favourites name when an id is given. Databases written before
// they were part of the schema get them here.
//
// A check-in carries each measurement forward from the latest day that recorded it. The
// partial indexes hold just the days with a value, so finding that day is one step back
// however many check-ins lie between.
const char* const DiaryIndexes[] = {
    "CREATE INDEX IF NOT EXISTS food_diary_user_date ON food_diary(user_id, date)",
    "CREATE INDEX IF NOT EXISTS exer_diary_user_date ON exer_diary(user_id, date)",
    "CREATE INDEX IF NOT EXISTS food_diary_ref ON food_diary(ref_id)",
    "CREATE INDEX IF NOT EXISTS food_mealplan_ref ON food_mealplan(ref_id)",
    "CREATE INDEX IF NOT EXISTS favorites_item ON favorites(item_type, item_id)",
    // The user's own trees are read from their roots down, category by category.
    "CREATE INDEX IF NOT EXISTS custom_food_cats_parent ON custom_food_cats(parent_id)",
    "CREATE INDEX IF NOT EXISTS custom_exercise_cats_parent ON custom_exercise_cats(parent_id)",
    "CREATE INDEX IF NOT EXISTS custom_foods_category ON custom_foods(category_id)",
    "CREATE INDEX IF NOT EXISTS custom_exercises_category ON custom_exercises(category_id)",
    "CREATE INDEX IF NOT EXISTS group_diary_saved ON group_diary(user_id) WHERE date IS NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_weight ON user_checkins(user_id, date) "
    "WHERE weight IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_chest ON user_checkins(user_id, date) "
    "WHERE chest IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_waist ON user_checkins(user_id, date) "
    "WHERE waist IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_hip ON user_checkins(user_id, date) "
    "WHERE hip IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_thigh ON user_checkins(user_id, date) "
    "WHERE thigh IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_checkins_steps ON user_checkins(user_id, date) "
    "WHERE steps IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_misc_activity ON user_misc(user_id, date) "
    "WHERE activity IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS user_misc_goal ON user_misc(user_id, date) "
    "WHERE goal IS NOT NULL",
};

// The rows of a query on the schema, each column as text.
using Rows = QList<QStringList>;

// Every object of a diary's schema, as DiarySchema reads it.
const char* const MasterQuery = "SELECT type, name, tbl_name, sql FROM sqlite_master";

QString shippedDiary()
{
    return BXSettings::getResourceDBPath() + QLatin1String(DiaryLocation::FileName);
}

// The rows of each query on the shipped empty diary, which a new diary starts from and the
// upgrade of an earlier version reaches. It is read from the file's bytes, its header put
// right in memory, on a connection of its own; nothing when it cannot be read, with the reason.
std::optional<QList<Rows>> shippedRows(std::initializer_list<const char*> queries, QString* failure)
{
    std::optional<QByteArray> whole = FileCopy::readAll(shippedDiary(), failure);
    if (!whole)
        return std::nullopt;
    QByteArray& bytes = *whole;
    if (bytes.startsWith(UserDbFormat::templateBlock()))
        bytes.replace(0, UserDbFormat::sqlite3Magic().size(), UserDbFormat::sqlite3Magic());
    sqlite3* db = nullptr;
    bool read = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char*>(bytes.data()),
                               bytes.size(), bytes.size(), SQLITE_DESERIALIZE_READONLY)
            == SQLITE_OK;
    QList<Rows> results;
    for (auto query = queries.begin(); read && query != queries.end(); ++query) {
        sqlite3_stmt* statement = nullptr;
        read = sqlite3_prepare_v2(db, *query, -1, &statement, nullptr) == SQLITE_OK;
        Rows& rows = results.emplace_back();
        int step = SQLITE_DONE;
        while (read && (step = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList& row = rows.emplace_back();
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                row.append(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column))));
        }
        read = read && step == SQLITE_DONE;
        sqlite3_finalize(statement);
    }
    read = read && !results.value(0).isEmpty();
    if (!read)
        *failure = sqlite3_errcode(db) == SQLITE_OK ? SchemaRule::tr("it holds no tables")
                                                    : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return read ? std::optional<QList<Rows>>(results) : std::nullopt;
}

// The rows of a query on the running connection; nothing when they cannot be read, with why
// (`stopped`, when given, then gets the failure).
std::optional<Rows> heldRows(const char* sql, std::string& error, StoreResult* stopped = nullptr)
{
    BXSqlQuery read(sql);
    Rows rows;
    if (read.readRows([&read, &rows] {
            QStringList& row = rows.emplace_back();
            for (int column = 0; column < read->record().count(); ++column)
                row.append(read.value(column).toString());
        }))
        return rows;
    if (stopped)
        *stopped = read.outcome();
    error = read.outcome().systemFault()
        ? StartRefusal::notReadNow(read.outcome())
        : SchemaRule::tr("its tables cannot be read: %1").arg(read.outcome().message()).toStdString();
    return std::nullopt;
}

// The rows of the queries on the shipped empty diary; nothing when it cannot be read, with why.
std::optional<QList<Rows>> readShipped(std::initializer_list<const char*> queries, std::string& error)
{
    QString failure;
    std::optional<QList<Rows>> shipped = shippedRows(queries, &failure);
    if (!shipped)
        error = SchemaRule::tr("the empty diary %1 that comes with the program cannot be read: %2")
                    .arg(QDir::toNativeSeparators(shippedDiary()), failure)
                    .toStdString();
    return shipped;
}

// The schema the program makes: the shipped empty diary with the indexes that every start
// makes, read once. Nothing when the shipped diary cannot be read, with why.
std::optional<DiarySchema> ownSchema(std::string& error)
{
    static QString readFrom;
    static std::optional<DiarySchema> own;
    if (own && readFrom == shippedDiary())
        return own;
    const std::optional<QList<Rows>> shipped = readShipped({MasterQuery}, error);
    if (!shipped)
        return std::nullopt;
    readFrom = shippedDiary();
    own = DiarySchema::fromRows(shipped->at(0)).withIndexes(DiaryIndexes);
    return own;
}

// The format of a diary of `version`, once it is brought up to date.
DiarySchema::Format formatOf(int version)
{
    return version > DiaryVersion::Current ? DiarySchema::Format::Newer : DiarySchema::Format::Own;
}

} // namespace

std::optional<bool> SchemaRule::holdsOwn(int version, std::string& error, StoreResult* stopped)
{
    const std::optional<DiarySchema> own = ownSchema(error);
    const std::optional<Rows> held = own ? heldRows(MasterQuery, error, stopped) : std::nullopt;
    if (!held)
        return std::nullopt;
    const DiarySchema::Differences found =
        DiarySchema::fromRows(*held).differencesFrom(*own, formatOf(version));
    QStringList told;
    if (!found.lacking.isEmpty())
        told.append(SchemaRule::tr("it lacks what this program reads: %1").arg(found.lacking.join(QStringLiteral(", "))));
    if (!found.foreign.isEmpty())
        told.append(SchemaRule::tr("it holds what this program does not make: %1")
                        .arg(found.foreign.join(QStringLiteral(", "))));
    error = told.join(QStringLiteral("; ")).toStdString();
    return told.isEmpty();
}

std::optional<QList<DiarySchema::Rebuild>> SchemaRule::rebuildsToOwn(std::string& error)
{
    const std::optional<DiarySchema> own = ownSchema(error);
    const std::optional<Rows> held = own ? heldRows(MasterQuery, error) : std::nullopt;
    if (!held)
        return std::nullopt;
    return DiarySchema::fromRows(*held).rebuildsTo(*own);
}

bool SchemaRule::holdsOwnOnceRebuilt(int version)
{
    std::string error;
    const std::optional<DiarySchema> own = DiaryVersion::isCurrent(version) ? ownSchema(error) : std::nullopt;
    const std::optional<Rows> held = own ? heldRows(MasterQuery, error) : std::nullopt;
    if (!held)
        return false;
    const DiarySchema schema = DiarySchema::fromRows(*held);
    return !schema.differencesFrom(*own, DiarySchema::Format::Own).isEmpty()
        && schema.rebuiltTo(*own).differencesFrom(*own, DiarySchema::Format::Own).isEmpty();
}

bool SchemaRule::holdsNoTrigger(std::string& error)
{
    const std::optional<Rows> held = heldRows(MasterQuery, error);
    const QStringList triggers = held ? DiarySchema::fromRows(*held).triggers() : QStringList();
    if (held && !triggers.isEmpty())
        error = SchemaRule::tr("it holds what this program does not make: %1")
                    .arg(triggers.join(QStringLiteral(", ")))
                    .toStdString();
    return held && triggers.isEmpty();
}

std::span<const char* const> SchemaRule::indexes()
{
    return DiaryIndexes;
}
