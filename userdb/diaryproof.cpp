// The proof that a diary file is one the program can use: its version, its schema, its
// integrity and, for a restore, its ids, trees, tracked tables and devices.

#include "userdb/diaryproof.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/diaryfiles.h"
#include "userdb/diaryinuse.h"
#include "userdb/diaryversion.h"
#include "userdb/schemarule.h"
#include "userdb/startrefusal.h"
#include "userdb/storeaction.h"
#include "userdb/storedid.h"
#include "userdb/syncdevices.h"
#include "userdb/upgradechain.h"

std::string DiaryProof::triggersFailed(const StoreResult& why)
{
    if (why.kind() == StoreResult::Kind::DiskFull)
        return DiaryProof::tr("The user database cannot be prepared for use: its triggers cannot be "
                           "set up. Check that the disk is not full, then start the program again.")
            .toStdString();
    return DiaryProof::tr("The user database cannot be prepared for use: its triggers cannot be set "
                       "up (%1).")
        .arg(why.message())
        .toStdString();
}

namespace {

std::string unreadTables(const BXSqlQuery& read)
{
    return DiaryProof::tr("its tables cannot be read: %1").arg(read.outcome().message()).toStdString();
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

namespace {

// How a column of ids is read. A table the program fills by the thousand is read through an index
// that leads with the column, never row by row: a column of users holds a few values, read one
// after another, each found by the index; a column of catalogue items holds thousands, so the
// index gives its ends, and one sum over its entries tells whether any lies between them that is
// no whole number. A column that leads no index is read row by row (small tables).
enum class Read { Rows, Values, Ends };

struct Link
{
    const char* table;
    const char* column;
    StoredId::Kind kind;
    Read read;
};

// Runs `sql` with the kind's range bound and keeps its first row's first value, as shown.
bool firstShown(const QString& sql, StoredId::Kind kind, QString& found, std::string& error)
{
    BXSqlQuery read(sql);
    const StoredId::Range ids = StoredId::range(kind);
    read.bindValue(0, ids.first);
    read.bindValue(1, ids.last);
    if (read.readRows([&] { found = shown(read.value(0)); }))
        return true;
    error = unreadTables(read);
    return false;
}

// The first value of the column, in the order of its index, that is no id of its kind: the
// lowest value, then the next above it, each a step of the index, until one is not an id (the
// kind's range ends the walk) or the values end.
bool firstUnheldValue(const Link& link, QString& found, std::string& error)
{
    const QString sql = QStringLiteral("WITH RECURSIVE seen(v) AS (SELECT min(%1) FROM %2 UNION ALL "
                                       "SELECT (SELECT min(%1) FROM %2 WHERE %1 > seen.v) FROM seen "
                                       "WHERE seen.v IS NOT NULL) SELECT v FROM seen WHERE %3 LIMIT 1")
                            .arg(QLatin1String(link.column), QLatin1String(link.table),
                                 StoredId::unheldSql(QStringLiteral("v")));
    return firstShown(sql, link.kind, found, error);
}

// A text or a blob sorts above every number and a number past the range lies past an end, so
// with both ends ids of the kind only a real between them is left, which turns the column's sum
// real. The sum of ids below 2^26 cannot overflow in any file SQLite can hold.
bool firstUnheldEnd(const Link& link, QString& found, std::string& error)
{
    const QString column = QLatin1String(link.column);
    const QString table = QLatin1String(link.table);
    BXSqlQuery ends(QStringLiteral("SELECT (SELECT min(%1) FROM %2), (SELECT max(%1) FROM %2)").arg(column, table));
    const auto unheld = [&link](const QVariant& id) { return !id.isNull() && !StoredId::holds(id, link.kind); };
    if (!ends.readRows([&] {
            for (int end = 0; end < 2 && found.isEmpty(); ++end)
                found = unheld(ends.value(end)) ? shown(ends.value(end)) : QString();
        })) {
        error = unreadTables(ends);
        return false;
    }
    if (!found.isEmpty())
        return true;
    BXSqlQuery real(QStringLiteral("SELECT CASE typeof(sum(%1)) WHEN 'real' THEN (SELECT %1 FROM %2 WHERE "
                                   "typeof(%1) = 'real' LIMIT 1) END FROM %2")
                        .arg(column, table));
    if (real.readRows([&] { found = real.value(0).isNull() ? QString() : shown(real.value(0)); }))
        return true;
    error = unreadTables(real);
    return false;
}

bool firstUnheld(const Link& link, QString& found, std::string& error)
{
    const QString column = QLatin1String(link.column);
    switch (link.read) {
    case Read::Values:
        return firstUnheldValue(link, found, error);
    case Read::Ends:
        return firstUnheldEnd(link, found, error);
    case Read::Rows:
        break;
    }
    return firstShown(QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                          .arg(column, QLatin1String(link.table), StoredId::unheldSql(column)),
                      link.kind, found, error);
}

} // namespace

bool DiaryProof::holdsStorableLinks(std::string& error)
{
    using Kind = StoredId::Kind;
    static const Link Links[] = {
        {"user_users", "user_id", Kind::User, Read::Values},
        {"user_misc", "user_id", Kind::User, Read::Values},
        {"user_checkins", "user_id", Kind::User, Read::Values},
        {"user_target", "user_id", Kind::User, Read::Values},
        {"water_diary", "user_id", Kind::User, Read::Values},
        {"favorites", "user_id", Kind::User, Read::Values},
        {"user_firsttime_tips", "user_id", Kind::User, Read::Values},
        {"metrics_startStats", "user_id", Kind::User, Read::Values},
        {"food_mealplan", "user_id", Kind::User, Read::Values},
        {"exer_mealplan", "user_id", Kind::User, Read::Values},
        // A shared saved meal and its lines belong to -1 (NULL in older diaries).
        {"food_diary", "user_id", Kind::Owner, Read::Values},
        {"exer_diary", "user_id", Kind::Owner, Read::Values},
        {"group_diary", "user_id", Kind::Owner, Read::Rows},
        // An entry without a catalogue food names 0 (NULL in older diaries).
        {"food_diary", "ref_id", Kind::Catalogue, Read::Ends},
        {"food_mealplan", "ref_id", Kind::Catalogue, Read::Ends},
        {"favorites", "item_id", Kind::Catalogue, Read::Rows},
    };
    for (const Link& link : Links) {
        QString found;
        if (!firstUnheld(link, found, error))
            return false;
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

StoreResult DiaryProof::proveFile(const QString& path, Proof proof, WorkProgress* progress)
{
    if (BXSqlDb::isUp())
        return StoreResult(StoreResult::Kind::Refused, "the user database is still open");
    std::string error;
    if (!BXSqlDb::openFile(path, error)) {
        BXSqlDb::cleanUp();
        return StartRefusal::fail(DiaryProof::tr("the file cannot be opened as a database: %1")
                                      .arg(QString::fromStdString(error)));
    }
    StoreResult stopped;
    const std::optional<QVariant> stored = DiaryVersion::stored(&stopped);
    const int version = DiaryVersion::of(stored.value_or(QVariant())).value_or(0);
    bool proven = false;
    if (stopped.systemFault())
        error = StartRefusal::notReadNow(stopped);
    else if (stopped.busy())
        error = DiaryProof::tr("%1; let that program finish or close it, then try again")
                    .arg(DiaryInUse::holding(DiaryProof::tr("it")))
                    .toStdString();
    else if (version == 0)
        error = DiaryProof::tr("the file holds no schema version").toStdString();
    else if (!DiaryVersion::isCurrent(version) && !DiaryVersion::isUpgradable(version))
        error = DiaryVersion::unsupported(version);
    else if (DiaryVersion::isCurrent(version))
        proven = !SchemaRule::holdsOwnOnceRebuilt(version) || UpgradeChain::rebuildToOwn(error);
    else
        proven = SchemaRule::holdsNoTrigger(error) && UpgradeChain::run(error);
    // From here on the proof reads what the file holds: a statement that the system or another
    // program stopped says nothing of the file, which this action records.
    const StoreAction reading(StoreAction::Kind::Change);
    // The schema, upgraded, is the program's own before anything else reads the file; what it
    // holds is told before the triggers, which read some of it. The diary's own oddities of
    // data are its user's: it is upgraded with them, and a loop is shown broken.
    proven = proven && SchemaRule::holdsOwn(version, error).value_or(false);
    const StoreResult integrity = proven ? BXSqlDb::checkIntegrity(progress) : StoreResult();
    if (!integrity)
        error = integrity.message().toStdString();
    proven = proven && integrity.ok()
        && (proof == Proof::Upgrade || (holdsNoLoop(error) && holdsStorableRowIds(error) && holdsStorableLinks(error)));
    proven = proven && (proof == Proof::Upgrade || (SyncDevices::holdsOwnTrackedTables(error) && SyncDevices::holdsOwnDevices(error)));
    const StoreResult tracked = proven ? SyncDevices::setupTriggers() : StoreResult();
    if (!tracked) {
        error = triggersFailed(tracked);
        proven = false;
    }
    const bool unproven = stopped.unread() || reading.outcome().unread() || tracked.unread() || integrity.unread();
    BXSqlDb::cleanUp();
    return StoreResult(proven                                          ? StoreResult::Kind::Done
                       : unproven                                      ? StoreResult::Kind::Unread
                       : integrity.kind() == StoreResult::Kind::Damaged ? StoreResult::Kind::Damaged
                                                                       : StoreResult::Kind::Refused,
                       QString::fromStdString(error));
}

bool DiaryProof::provenCopy(const QString& source, const QString& copy, Proof proof, std::string& error,
                            WorkProgress* progress)
{
    DiaryFiles::removeWithJournal(copy);
    std::string reason;
    if (DiaryFiles::copy(source, copy, reason, progress)) {
        const StoreResult proven = proveFile(copy, proof, progress);
        if (proven)
            return true;
        reason = proven.message().toStdString();
    }
    DiaryFiles::removeWithJournal(copy);
    error = reason;
    return false;
}
