// Sync devices and the temporary triggers that mark every change of a tracked table for
// each device.

#include "userdb/syncdevices.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include "userdb/storeaction.h"
#include "userdb/storedid.h"
#include "userdb/storetransaction.h"

#include <QSet>
#include <QStringList>

#include <cassert>
#include <climits>

namespace {

using TrackedTable = SyncDevices::TrackedTable;

const int SyncStateChanged = 1;
const int SyncStateDeleted = 2;
const int RowStatusDeleted = 2;

// The tables whose changes the devices follow, as the program makes them. The rows of
// userdata_sync_tables only choose among these: no name that a file holds reaches a statement.
const TrackedTable OwnTrackedTables[] = {
    {"user_checkins", "user_checkins_sync", "user_id, date", false},
    {"water_diary", "water_diary_sync", "user_id, date", false},
    {"food_diary", "food_diary_sync", "food_id", true},
    {"exer_diary", "exer_diary_sync", "ex_id", true},
    {"group_diary", "group_diary_sync", "group_id", true},
    {"metrics_startStats", "metrics_startStats_sync", "user_id, date", false},
};

using StoredRow = QStringList;

QStringList keyColumns(const QString& keys)
{
    QStringList columns = keys.split(QLatin1Char(','));
    for (QString& column : columns)
        column = column.trimmed();
    return columns;
}

QString identifier(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// "user_id, date" read from row "new" is `new."user_id", new."date"`; without a row, the
// quoted columns alone.
QString columnList(const TrackedTable& table, const char* row = nullptr)
{
    QStringList columns = keyColumns(QLatin1String(table.keys));
    for (QString& column : columns)
        column = (row ? QLatin1String(row) + QLatin1Char('.') : QString()) + identifier(column);
    return columns.join(QStringLiteral(", "));
}

// A stored row names an own table only as the program writes it: a row written otherwise (a
// blank after a name, the key columns in another order) is another row.
bool namesTable(const StoredRow& row, const TrackedTable& own)
{
    return row.value(0) == QLatin1String(own.source) && row.value(1) == QLatin1String(own.dest)
        && row.value(2) == QLatin1String(own.keys);
}

// The program's own tracked table that a stored row names; none when it names anything else.
const TrackedTable* ownTrackedTable(const StoredRow& row)
{
    for (const TrackedTable& own : OwnTrackedTables) {
        if (namesTable(row, own))
            return &own;
    }
    return nullptr;
}

QString rowText(const StoredRow& row)
{
    return QStringLiteral("('%1', '%2', '%3')").arg(row.value(0), row.value(1), row.value(2));
}

StoreResult readStoredRows(QList<StoredRow>& rows)
{
    BXSqlQuery select("SELECT source_table, dest_table, fields FROM userdata_sync_tables");
    select.readRows([&] {
        rows.append({select.value(0).toString(), select.value(1).toString(), select.value(2).toString()});
    });
    return select.outcome();
}

// How the stored rows differ from the program's own list, each own table once: empty when
// they are that list.
QStringList differencesFromOwn(const QList<StoredRow>& rows)
{
    QStringList differences;
    QSet<const TrackedTable*> named;
    for (const StoredRow& row : rows) {
        const TrackedTable* own = ownTrackedTable(row);
        if (!own || named.contains(own))
            differences.append(SyncDevices::tr("it holds the row %1").arg(rowText(row)));
        named.insert(own);
    }
    for (const TrackedTable& own : OwnTrackedTables) {
        if (!named.contains(&own))
            differences.append(SyncDevices::tr("it has no row for the table %1").arg(QLatin1String(own.source)));
    }
    return differences;
}

// Writes the program's own list of tracked tables in place of stored rows that differ from it,
// so that what the file says it tracks is what the triggers track.
StoreResult rewriteTrackedTables()
{
    QList<StoredRow> rows;
    if (const StoreResult read = readStoredRows(rows); !read)
        return read;
    const QStringList differences = differencesFromOwn(rows);
    if (differences.isEmpty())
        return {};
    qWarning("The list of tracked tables is written anew as this program makes it: %s",
             qPrintable(differences.join(QStringLiteral(", "))));
    const StoreAction rewriting(StoreAction::Kind::Change);
    if (StoreTransaction change; change) {
        bool written = BXSqlQuery("DELETE FROM userdata_sync_tables").exec();
        for (const TrackedTable& own : OwnTrackedTables) {
            BXSqlQuery insert("INSERT INTO userdata_sync_tables(source_table, dest_table, fields) "
                              "VALUES (?, ?, ?)");
            insert.bindValue(0, own.source);
            insert.bindValue(1, own.dest);
            insert.bindValue(2, own.keys);
            written = written && insert.exec();
        }
        // The action tells a change that was not kept.
        change.end(written);
    }
    return rewriting.outcome();
}

// The devices that follow a changed row: those of the row's user and those of every user.
QString followers(const char* row)
{
    return QStringLiteral("FROM userdata_sync_devices WHERE typeof(id) = 'integer' AND (user_id "
                          "IS NULL OR user_id = %1.user_id)")
        .arg(QLatin1String(row));
}

QString updateStatement(const TrackedTable& table, const char* row, int state)
{
    QString text = QString::asprintf("  UPDATE %s SET state = %d, lastModified = "
                                     "strftime('%%Y%%m%%d', 'now') WHERE device IN (SELECT id %s) ",
                                     qPrintable(identifier(QLatin1String(table.dest))), state,
                                     qPrintable(followers(row)));
    for (const QString& column : keyColumns(QLatin1String(table.keys)))
        text += QStringLiteral(" AND %1 = %2.%1").arg(identifier(column), QLatin1String(row));
    return text + QStringLiteral(";\n");
}

// One row per device, in the devices' row order: where the sync table's key leaves out the
// device, the last device's row stays.
QString insertStatement(const TrackedTable& table, const char* row, int state)
{
    return QString::asprintf("  INSERT OR REPLACE INTO %s(device, state, lastModified, %s) SELECT id, "
                             "%d, strftime('%%Y%%m%%d', 'now'), %s %s ORDER BY rowid;\n",
                             qPrintable(identifier(QLatin1String(table.dest))),
                             qPrintable(columnList(table)), state,
                             qPrintable(columnList(table, row)), qPrintable(followers(row)));
}

bool clearDeviceRows(qint64 id)
{
    for (const TrackedTable& table : OwnTrackedTables) {
        BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE device = ?")
                              .arg(identifier(QLatin1String(table.dest))));
        remove.bindValue(0, id);
        if (!remove.exec())
            return false;
    }
    return true;
}

// Marks every live row in the device's scope as changed for the device. A sync table
// whose key leaves out the device keeps one row per key, as its triggers do.
bool seedDeviceRows(qint64 id, qint64 userId)
{
    for (const TrackedTable& table : OwnTrackedTables) {
        QString sql = QStringLiteral("INSERT OR REPLACE INTO %1(device, state, %2) SELECT ?, ?, %2 FROM %3")
                          .arg(identifier(QLatin1String(table.dest)), columnList(table),
                               identifier(QLatin1String(table.source)));
        QVariantList values{id, SyncStateChanged};
        QStringList conditions;
        if (table.hasStatus) {
            conditions.append(QStringLiteral("status <> ?"));
            values.append(RowStatusDeleted);
        }
        if (userId >= 0) {
            conditions.append(QStringLiteral("user_id = ?"));
            values.append(userId);
        }
        if (!conditions.isEmpty())
            sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
        BXSqlQuery seed(sql);
        for (int i = 0; i < values.size(); ++i)
            seed.bindValue(i, values.at(i));
        if (!seed.exec())
            return false;
    }
    return true;
}

qint64 newDeviceId(const char* name, qint64 userId)
{
    BXSqlQuery max("SELECT MAX(id) FROM userdata_sync_devices");
    if (!max.exec() || !max.next())
        return -1;
    // Past the last id a row may have, no new device can be named.
    const qint64 last = max.value(0).toLongLong();
    if (last >= HighestRowId) {
        BXSqlDb::noteRefusal(SyncDevices::tr("no sync device can be added: the ids a device may "
                                             "have are all taken"));
        return -1;
    }
    const qint64 id = last + 1;
    BXSqlQuery insert("INSERT INTO userdata_sync_devices(id,name,user_id) VALUES (?, ?, ?)");
    insert.bindValue(0, id);
    insert.bindValue(1, name);
    insert.bindValue(2, userId < 0 ? QVariant() : QVariant(userId));
    if (!insert.exec()) {
        qDebug("SyncDevices::create - insert device(id,name) failed");
        return -1;
    }
    return id;
}

// A stored value with the SQLite type it is stored as.
// Why a device row is none that this program writes (`ids` holds the ids of the rows before
// it): an id the program never gives or gave already, a user it cannot hold. Empty otherwise.
QString deviceRefusal(const QVariant& id, const QVariant& user, QSet<qint64>& ids)
{
    if (!StoredId::holds(id, StoredId::Kind::Device))
        return SyncDevices::tr("it holds a sync device of the id %1, which this program never gives")
            .arg(id.toString());
    const qint64 device = id.toLongLong();
    if (ids.contains(device))
        return SyncDevices::tr("it holds two sync devices of the id %1").arg(device);
    ids.insert(device);
    if (!user.isNull() && !StoredId::holds(user, StoredId::Kind::User))
        return SyncDevices::tr("its sync device %1 follows the user %2, an id this program never "
                           "gives a user")
            .arg(device)
            .arg(user.toString());
    return QString();
}

// The change-tracking triggers that exist on the connection.
int countTemporaryTriggers()
{
    BXSqlQuery count("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger' AND name "
                     "LIKE 'bxtmp\\_%' ESCAPE '\\'");
    return count.exec() && count.next() ? count.value(0).toInt() : -1;
}

} // namespace

qint64 SyncDevices::find(const char* name)
{
    BXSqlQuery select("SELECT id FROM userdata_sync_devices WHERE name = ?");
    select.bindValue(0, name);
    if (!select.exec() || !select.next())
        return -1;
    return StoredId::read(select.value(0), StoredId::Kind::Device);
}

qint64 SyncDevices::userOf(qint64 id)
{
    BXSqlQuery select("SELECT user_id FROM userdata_sync_devices WHERE id = ?");
    select.bindValue(0, id);
    if (!select.exec() || !select.next()) {
        qDebug("warning: could not find device %lld", id);
        return -1;
    }
    return StoredId::read(select.value(0), StoredId::Kind::User);
}

qint64 SyncDevices::create(const char* name, qint64 id, qint64 userId)
{
    const char* device = name;
    assert(id >= -1);
    assert(!(device == nullptr && id == -1));
    assert(!(device != nullptr && id >= 0));
    assert(userId == -1 || id == -1);

    StoreTransaction change;
    if (!change)
        return -1;
    if (id == -1)
        id = newDeviceId(name, userId);
    else
        userId = userOf(id); // an existing device keeps to its own user's rows
    return change.end(id >= 0 && clearDeviceRows(id) && seedDeviceRows(id, userId)) ? id : -1;
}

StoreResult SyncDevices::setupTriggers()
{
    // The triggers read the devices when they run: their number and their work stay the same
    // however many devices and users the file holds. The devices are read once here, with
    // every column the triggers read, so that a table they cannot read stops the start rather
    // than every later change.
    StoreResult done = rewriteTrackedTables();
    if (done) {
        BXSqlQuery devices("SELECT rowid, id, user_id FROM userdata_sync_devices");
        devices.readRows([] {});
        done = devices.outcome();
    }
    if (!done)
        return done;
    struct Kind
    {
        const char* timing;
        const char* row;
        int state;
        bool updateForm;
    };
    const Kind kinds[] = {{"AFTER DELETE", "old", SyncStateDeleted, true},
                          {"AFTER UPDATE", "new", SyncStateChanged, true},
                          {"AFTER INSERT", "new", SyncStateChanged, false}};
    int counter = 0;
    for (const TrackedTable& table : OwnTrackedTables) {
        for (const Kind& kind : kinds) {
            BXSqlQuery create(triggerQuery(table, kind.timing, kind.row, kind.state, counter, kind.updateForm));
            if (!create.exec())
                return create.outcome();
        }
    }
    // A trigger that could not be made would let changes go untracked.
    if (countTemporaryTriggers() != counter)
        return StoreResult(StoreResult::Kind::Refused,
                           tr("not every one of its %1 triggers exists").arg(counter));
    return {};
}

bool SyncDevices::holdsOwnTrackedTables(std::string& error)
{
    QList<StoredRow> rows;
    const StoreResult read = readStoredRows(rows);
    if (!read) {
        error = tr("its tables cannot be read: %1").arg(read.message()).toStdString();
        return false;
    }
    const QStringList differences = differencesFromOwn(rows);
    if (differences.isEmpty())
        return true;
    error = tr("its list of the tables that sync devices follow is not the one this program "
               "makes: %1")
                .arg(differences.join(QStringLiteral(", ")))
                .toStdString();
    return false;
}

bool SyncDevices::holdsOwnDevices(std::string& error)
{
    BXSqlQuery select("SELECT id, user_id FROM userdata_sync_devices");
    QSet<qint64> ids;
    QString refusal;
    const bool read = select.readRows([&] {
        if (refusal.isEmpty())
            refusal = deviceRefusal(select.value(0), select.value(1), ids);
    });
    if (!read)
        error = tr("its sync devices cannot be read: %1").arg(select.outcome().message()).toStdString();
    else if (!refusal.isEmpty())
        error = refusal.toStdString();
    return read && refusal.isEmpty();
}

QString SyncDevices::triggerQuery(const TrackedTable& table, const char* timing, const char* row, int state,
                                  int& counter, bool updateForm)
{
    return QString::asprintf("CREATE TEMP TRIGGER bxtmp_%04d %s ON %s BEGIN\n", counter++, timing,
                             qPrintable(identifier(QLatin1String(table.source))))
        + (updateForm ? updateStatement(table, row, state) : insertStatement(table, row, state))
        + QStringLiteral("END;");
}
