#include "userdb/diaryproof.h"

#include "core/fooddbbase.h"
#include "userdb/bxsqldb.h"
#include "core/fooddbbase.h"
#include "userdb/catalogueroots.h"
#include "userdb/diaryfiles.h"
#include "userdb/nullconversion.h"

std::string DiaryProof::notReadNow(const StoreOutcome& stopped)
{
    return BXSqlDb::tr("it could not be read just now (%1); try again").arg(stopped.detail()).toStdString();
}

std::string DiaryProof::triggersFailed(const StoreOutcome& why)
{
    if (why.reason() == StoreOutcome::Reason::DiskFull)
        return BXSqlDb::tr("The user database cannot be prepared for use: its triggers cannot be "
                           "set up. Check that the disk is not full, then start the program again.")
            .toStdString();
    return BXSqlDb::tr("The user database cannot be prepared for use: its triggers cannot be set "
                       "up (%1).")
        .arg(why.detail())
        .toStdString();
}

bool DiaryProof::provenCopy(const QString& source, const QString& copy, BXSqlDb::Proof proof, std::string& error,
                WorkProgress* progress)
{
    DiaryFiles::removeWithJournal(copy);
    std::string reason;
    if (DiaryFiles::copy(source, copy, reason, progress)) {
        const StoreResult proven = BXSqlDb::proveFile(copy, proof, progress);
        if (proven)
            return true;
        reason = proven.message();
    }
    DiaryFiles::removeWithJournal(copy);
    error = reason;
    return false;
}

bool DiaryProof::holdsStorableEntryIds(std::string& error)
{
    static const struct
    {
        const char* table;
        const char* column;
        qint64 last;
    } Entries[] = {{"food_diary", "food_id", HighestRowId},   {"food_mealplan", "food_id", HighestRowId},
                   {"exer_diary", "ex_id", HighestRowId},     {"exer_mealplan", "ex_id", HighestRowId},
                   {"group_diary", "group_id", HighestRowId}};
    for (const auto& entry : Entries) {
        const char* const table = entry.table;
        const char* const column = entry.column;
        // The ends of the id's index: the whole table is not read.
        BXSqlQuery read(QStringLiteral("SELECT (SELECT min(%1) FROM %2), (SELECT max(%1) FROM %2)")
                            .arg(QLatin1String(column), QLatin1String(table)));
        QString found;
        const auto unheld = [last = entry.last](const QVariant& id) {
            return !id.isNull() && (!isStoredId(id) || id.toLongLong() > last);
        };
        if (!read.readRows([&] {
                for (int end = 0; end < 2 && found.isEmpty(); ++end)
                    found = unheld(read.value(end)) ? read.value(end).toString() : QString();
            })) {
            error = BXSqlDb::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
            return false;
        }
        if (!found.isEmpty()) {
            error = BXSqlDb::tr("the table %1 holds an entry whose %2 is %3, an id this program "
                                "never gives")
                        .arg(QLatin1String(table), QLatin1String(column), found)
                        .toStdString();
            return false;
        }
    }
    return holdsCatalogueItemIds(error);
}

// Past the id space lie every larger number, and (as SQLite orders values) every text and blob:
// the index of each column finds the first such value at once.
bool DiaryProof::holdsCatalogueItemIds(std::string& error)
{
    static const struct
    {
        const char* table;
        const char* column;
    } Names[] = {{"food_diary", "ref_id"}, {"food_mealplan", "ref_id"}, {"favorites", "item_id"}};
    for (const auto& names : Names) {
        BXSqlQuery read(QStringLiteral("SELECT %1 FROM %2 WHERE %1 >= ? LIMIT 1")
                            .arg(QLatin1String(names.column), QLatin1String(names.table)));
        read.bindValue(0, FoodDBBase::IdSpaceEnd);
        QString found;
        if (!read.readRows([&] { found = read.value(0).toString(); })) {
            error = BXSqlDb::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
            return false;
        }
        if (!found.isEmpty()) {
            error = BXSqlDb::tr("the table %1 holds %2 in its column %3, an id of a catalogue item "
                                "this program never gives")
                        .arg(QLatin1String(names.table), found, QLatin1String(names.column))
                        .toStdString();
            return false;
        }
    }
    return true;
}

bool DiaryProof::holdsStorableUserIds(std::string& error)
{
    BXSqlQuery read("SELECT user_id FROM user_users WHERE NOT (typeof(user_id) = 'integer' AND "
                    "user_id BETWEEN 0 AND ?) OR user_id IS NULL LIMIT 1");
    read.bindValue(0, FoodDBBase::SharedRootId - FoodDBBase::UserRootBase - 1);
    QString found;
    if (!read.readRows([&] { found = read.value(0).isNull() ? QStringLiteral("NULL") : read.value(0).toString(); })) {
        error = BXSqlDb::tr("its tables cannot be read: %1").arg(read.outcome().detail()).toStdString();
        return false;
    }
    if (!found.isEmpty())
        error = BXSqlDb::tr("the table user_users holds a user whose user_id is %1, an id this "
                            "program never gives a user")
                    .arg(found)
                    .toStdString();
    return found.isEmpty();
}

bool DiaryProof::holdsNoLoop(std::string& error)
{
    QString link;
    if (!CatalogueRoots::findBadLink(&link))
        error = BXSqlDb::tr("its tables cannot be read: %1").arg(link).toStdString();
    else if (!link.isEmpty())
        error = link.toStdString();
    return link.isEmpty();
}
