// Sync devices and the temporary triggers that mark every change of a tracked table for
// each device.

#include "userdb/bxsqldb.h"

#include <QSet>
#include <QStringList>

#include <cassert>

namespace {

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

bool namesTable(const StoredRow& row, const TrackedTable& own)
{
    return row.value(0).compare(QLatin1String(own.source), Qt::CaseInsensitive) == 0
        && row.value(1).compare(QLatin1String(own.dest), Qt::CaseInsensitive) == 0
        && keyColumns(row.value(2)).join(QLatin1Char(','))
               .compare(keyColumns(QLatin1String(own.keys)).join(QLatin1Char(',')), Qt::CaseInsensitive)
        == 0;
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

StoreOutcome readStoredRows(QList<StoredRow>& rows)
{
    BXSqlQuery select("SELECT source_table, dest_table, fields FROM userdata_sync_tables");
    select.readRows([&] {
        rows.append({select.value(0).toString(), select.value(1).toString(), select.value(2).toString()});
    });
    return select.outcome();
}

// The program's own tables that the stored rows name, each once. A row naming anything else
// is passed over and told on the log.
StoreOutcome readTrackedTables(QList<const TrackedTable*>& tables)
{
    QList<StoredRow> rows;
    const StoreOutcome read = readStoredRows(rows);
    for (const StoredRow& row : rows) {
        const TrackedTable* own = ownTrackedTable(row);
        if (!own)
            qWarning("The sync row %s names no table this program tracks; it is passed over.",
                     qPrintable(rowText(row)));
        else if (!tables.contains(own))
            tables.append(own);
    }
    return read;
}

// The device ids of each user (-1 for the devices that follow every user), in row order.
StoreOutcome readDevicesByUser(QMap<int, QList<int>>& devicesByUser)
{
    BXSqlQuery select("SELECT id, user_id FROM userdata_sync_devices");
    select.readRows([&] {
        const QVariant user = select.value(1);
        devicesByUser[user.isNull() ? -1 : user.toInt()].append(select.value(0).toInt());
    });
    return select.outcome();
}

QString updateStatement(const TrackedTable& table, int device, const char* row, int state)
{
    QString text = QString::asprintf("  UPDATE %s SET state = %d, lastModified = "
                                     "strftime('%%Y%%m%%d', 'now') WHERE device = %d ",
                                     qPrintable(identifier(QLatin1String(table.dest))), state, device);
    for (const QString& column : keyColumns(QLatin1String(table.keys)))
        text += QStringLiteral(" AND %1 = %2.%1").arg(identifier(column), QLatin1String(row));
    return text + QStringLiteral(";\n");
}

QString insertStatement(const TrackedTable& table, int device, const char* row, int state)
{
    return QString::asprintf("  INSERT OR REPLACE INTO %s(device, state, lastModified, %s) VALUES "
                             "(%d, %d, strftime('%%Y%%m%%d', 'now'), %s);\n",
                             qPrintable(identifier(QLatin1String(table.dest))),
                             qPrintable(columnList(table)), device, state,
                             qPrintable(columnList(table, row)));
}

bool clearDeviceRows(int id, const QList<const TrackedTable*>& tables)
{
    for (const TrackedTable* table : tables) {
        BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE device = ?")
                              .arg(identifier(QLatin1String(table->dest))));
        remove.bindValue(0, id);
        if (!remove.exec())
            return false;
    }
    return true;
}

// Marks every live row in the device's scope as changed for the device. A sync table
// whose key leaves out the device keeps one row per key, as its triggers do.
bool seedDeviceRows(int id, int userId, const QList<const TrackedTable*>& tables)
{
    for (const TrackedTable* table : tables) {
        QString sql = QStringLiteral("INSERT OR REPLACE INTO %1(device, state, %2) SELECT ?, ?, %2 FROM %3")
                          .arg(identifier(QLatin1String(table->dest)), columnList(*table),
                               identifier(QLatin1String(table->source)));
        QVariantList values{id, SyncStateChanged};
        QStringList conditions;
        if (table->hasStatus) {
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

int newDeviceId(const char* name, int userId)
{
    BXSqlQuery max("SELECT MAX(id) FROM userdata_sync_devices");
    if (!max.exec() || !max.next())
        return -1;
    const int id = max.value(0).toInt() + 1;
    BXSqlQuery insert("INSERT INTO userdata_sync_devices(id,name,user_id) VALUES (?, ?, ?)");
    insert.bindValue(0, id);
    insert.bindValue(1, name);
    insert.bindValue(2, userId < 0 ? QVariant() : QVariant(userId));
    if (!insert.exec()) {
        qDebug("BXSqlDb::createSyncDevices - insert device(id,name) failed");
        return -1;
    }
    return id;
}

// The change-tracking triggers that exist on the connection.
int countTemporaryTriggers()
{
    BXSqlQuery count("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'trigger' AND name "
                     "LIKE 'bxtmp\\_%' ESCAPE '\\'");
    return count.exec() && count.next() ? count.value(0).toInt() : -1;
}

} // namespace

int BXSqlDb::getSyncDevice(const char* name)
{
    BXSqlQuery select("SELECT id FROM userdata_sync_devices WHERE name = ?");
    select.bindValue(0, name);
    if (!select.exec() || !select.next() || select.value(0).isNull())
        return -1;
    return select.value(0).toInt();
}

void BXSqlDb::getSyncDevices(QMap<int, QString>& devices)
{
    devices.clear();
    BXSqlQuery select("SELECT id, name FROM userdata_sync_devices");
    if (!select.exec())
        return;
    while (select.next()) {
        const QString name = select.value(1).toString();
        const int id = select.value(0).toInt();
        if (!name.isEmpty() && !devices.contains(id))
            devices.insert(id, name);
    }
}

int BXSqlDb::getDeviceUser(int id)
{
    BXSqlQuery select("SELECT user_id FROM userdata_sync_devices WHERE id = ?");
    select.bindValue(0, id);
    if (!select.exec() || !select.next()) {
        qDebug("warning: could not find device %d", id);
        return -1;
    }
    return select.value(0).isNull() ? -1 : select.value(0).toInt();
}

int BXSqlDb::createSyncDevice(const char* name, int id, int userId)
{
    const char* device = name;
    assert(id >= -1);
    assert(!(device == nullptr && id == -1));
    assert(!(device != nullptr && id >= 0));
    assert(userId == -1 || id == -1);

    if (!beginTransaction())
        return -1;
    if (id == -1)
        id = newDeviceId(name, userId);
    else
        userId = getDeviceUser(id); // an existing device keeps to its own user's rows
    QList<const TrackedTable*> tables;
    if (id < 0 || !readTrackedTables(tables) || !clearDeviceRows(id, tables)
        || !seedDeviceRows(id, userId, tables)) {
        rollbackTransaction();
        return -1;
    }
    return commitTransaction() ? id : -1;
}

StoreOutcome BXSqlDb::setupSyncTriggers()
{
    QMap<int, QList<int>> devicesByUser;
    QList<const TrackedTable*> tables;
    StoreOutcome read = readDevicesByUser(devicesByUser);
    if (read)
        read = readTrackedTables(tables);
    if (!read)
        return read;
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
    for (const TrackedTable* table : tables) {
        for (auto group = devicesByUser.cbegin(); group != devicesByUser.cend(); ++group) {
            for (const Kind& kind : kinds) {
                BXSqlQuery create(triggerQuery(*table, group.value(), kind.timing, kind.row,
                                               kind.state, counter, kind.updateForm, group.key()));
                if (!create.exec())
                    return create.outcome();
            }
        }
    }
    // A trigger that could not be made would let changes go untracked.
    if (countTemporaryTriggers() != counter)
        return StoreOutcome(StoreOutcome::Reason::Other,
                            tr("not every one of its %1 triggers exists").arg(counter));
    return {};
}

bool BXSqlDb::holdsOwnTrackedTables(std::string& error)
{
    QList<StoredRow> rows;
    const StoreOutcome read = readStoredRows(rows);
    if (!read) {
        error = tr("its tables cannot be read: %1").arg(read.detail()).toStdString();
        return false;
    }
    QStringList differences;
    QSet<const TrackedTable*> named;
    for (const StoredRow& row : rows) {
        const TrackedTable* own = ownTrackedTable(row);
        if (own)
            named.insert(own);
        else
            differences.append(tr("it holds the row %1").arg(rowText(row)));
    }
    for (const TrackedTable& own : OwnTrackedTables) {
        if (!named.contains(&own))
            differences.append(tr("it has no row for the table %1").arg(QLatin1String(own.source)));
    }
    if (differences.isEmpty())
        return true;
    error = tr("its list of the tables that sync devices follow is not the one this program "
               "makes: %1")
                .arg(differences.join(QStringLiteral(", ")))
                .toStdString();
    return false;
}

QString triggerQuery(const TrackedTable& table, const QList<int>& devices, const char* timing,
                     const char* row, int state, int& counter, bool updateForm, int userId)
{
    QString text = QString::asprintf("CREATE TEMP TRIGGER bxtmp_%04d %s ON %s ", counter++, timing,
                                     qPrintable(identifier(QLatin1String(table.source))));
    if (userId >= 0)
        text += QString::asprintf("WHEN %s.user_id = %d ", row, userId);
    text += QStringLiteral("BEGIN\n");
    for (const int device : devices)
        text += updateForm ? updateStatement(table, device, row, state)
                           : insertStatement(table, device, row, state);
    return text + QStringLiteral("END;");
}
