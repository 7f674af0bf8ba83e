#include "userdb/diaryproof.h"

#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/storedid.h"

std::string DiaryProof::notReadNow(const StoreOutcome& stopped)
{
    return DiaryProof::tr("it could not be read just now (%1); try again").arg(stopped.detail()).toStdString();
}

std::string DiaryProof::triggersFailed(const StoreOutcome& why)
{
    if (why.reason() == StoreOutcome::Reason::DiskFull)
        return DiaryProof::tr("The user database cannot be prepared for use: its triggers cannot be "
                           "set up. Check that the disk is not full, then start the program again.")
            .toStdString();
    return DiaryProof::tr("The user database cannot be prepared for use: its triggers cannot be set "
                       "up (%1).")
        .arg(why.detail())
        .toStdString();
}

namespace {

std::string unreadTables(const BXSqlQuery& read)
{
    return DiaryProof::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
}

// Why the value found in a column of ids is none the program gives.
std::string notGiven(const char* table, const char* column, StoredId::Kind kind, const QString& found)
{
    const QLatin1String name(table);
    if (kind == StoredId::Kind::Catalogue)
        return DiaryProof::tr("the table %1 holds %2 in its column %3, an id of a catalogue item this "
                           "program never gives")
            .arg(name, found, QLatin1String(column))
            .toStdString();
    if (name == QLatin1String("user_users"))
        return DiaryProof::tr("the table user_users holds a user whose user_id is %1, an id this "
                           "program never gives a user")
            .arg(found)
            .toStdString();
    return DiaryProof::tr("the table %1 holds %2 in its column %3, an id this program never gives a "
                       "user")
        .arg(name, found, QLatin1String(column))
        .toStdString();
}

// The value (or NULL) shown as the user reads it.
QString shown(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("NULL") : value.toString();
}

} // namespace

// SQLite gives a row's id itself, always a whole number: the ends of the id's index tell every
// id, and the whole table is not read.
bool DiaryProof::holdsStorableRowIds(std::string& error)
{
    static const struct
    {
        const char* table;
        const char* column;
    } Entries[] = {{"food_diary", "food_id"}, {"food_mealplan", "food_id"}, {"exer_diary", "ex_id"},
                   {"exer_mealplan", "ex_id"}, {"group_diary", "group_id"}};
    for (const auto& entry : Entries) {
        BXSqlQuery read(QStringLiteral("SELECT (SELECT min(%1) FROM %2), (SELECT max(%1) FROM %2)")
                            .arg(QLatin1String(entry.column), QLatin1String(entry.table)));
        QString found;
        const auto unheld = [](const QVariant& id) { return !id.isNull() && !StoredId::holds(id, StoredId::Kind::Row); };
        if (!read.readRows([&] {
                for (int end = 0; end < 2 && found.isEmpty(); ++end)
                    found = unheld(read.value(end)) ? read.value(end).toString() : QString();
            })) {
            error = unreadTables(read);
            return false;
        }
        if (!found.isEmpty()) {
            error = DiaryProof::tr("the table %1 holds an entry whose %2 is %3, an id this program "
                                "never gives")
                        .arg(QLatin1String(entry.table), QLatin1String(entry.column), found)
                        .toStdString();
            return false;
        }
    }
    return true;
}

// Each column of a large table is read through an index that holds it, never the table's rows.
bool DiaryProof::holdsStorableLinks(std::string& error)
{
    using Kind = StoredId::Kind;
    static const struct
    {
        const char* table;
        const char* column;
        Kind kind;
    } Links[] = {
        {"user_users", "user_id", Kind::User},       {"user_misc", "user_id", Kind::User},
        {"user_checkins", "user_id", Kind::User},    {"user_target", "user_id", Kind::User},
        {"water_diary", "user_id", Kind::User},      {"favorites", "user_id", Kind::User},
        {"user_firsttime_tips", "user_id", Kind::User}, {"metrics_startStats", "user_id", Kind::User},
        {"food_mealplan", "user_id", Kind::User},    {"exer_mealplan", "user_id", Kind::User},
        // A shared saved meal and its lines belong to -1 (NULL in older diaries).
        {"food_diary", "user_id", Kind::Owner},      {"exer_diary", "user_id", Kind::Owner},
        {"group_diary", "user_id", Kind::Owner},
        // An entry without a catalogue food names 0 (NULL in older diaries).
        {"food_diary", "ref_id", Kind::Catalogue},   {"food_mealplan", "ref_id", Kind::Catalogue},
        {"favorites", "item_id", Kind::Catalogue},
    };
    for (const auto& link : Links) {
        const QString column = QLatin1String(link.column);
        BXSqlQuery read(QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                            .arg(column, QLatin1String(link.table), StoredId::unheldSql(column)));
        const StoredId::Range ids = StoredId::range(link.kind);
        read.bindValue(0, ids.first);
        read.bindValue(1, ids.last);
        QString found;
        if (!read.readRows([&] { found = shown(read.value(0)); })) {
            error = unreadTables(read);
            return false;
        }
        if (!found.isEmpty()) {
            error = notGiven(link.table, link.column, link.kind, found);
            return false;
        }
    }
    return holdsNamedGroups(error);
}

bool DiaryProof::holdsNamedGroups(std::string& error)
{
    for (const char* table : {"food_diary", "exer_diary"}) {
        BXSqlQuery read(QStringLiteral("SELECT group_id FROM %1 WHERE group_id IS NOT NULL AND NOT EXISTS "
                                       "(SELECT 1 FROM group_diary g WHERE g.group_id = %1.group_id) LIMIT 1")
                            .arg(QLatin1String(table)));
        QString found;
        if (!read.readRows([&] { found = shown(read.value(0)); })) {
            error = unreadTables(read);
            return false;
        }
        if (!found.isEmpty()) {
            error = DiaryProof::tr("the table %1 holds %2 in its column group_id, which names no group "
                                "of the table group_diary")
                        .arg(QLatin1String(table), found)
                        .toStdString();
            return false;
        }
    }
    return true;
}

bool DiaryProof::holdsNoLoop(std::string& error)
{
    QString link;
    if (!CatalogueRoots::findBadLink(&link))
        error = DiaryProof::tr("its tables cannot be read: %1").arg(link).toStdString();
    else if (!link.isEmpty())
        error = link.toStdString();
    return link.isEmpty();
}
