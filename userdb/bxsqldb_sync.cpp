// Sync devices and the temporary triggers that mark every change of a tracked table for
// each device.

#include "userdb/bxsqldb.h"

#include <QRegularExpression>
#include <QStringList>

#include <cassert>

namespace {

const int SyncStateChanged = 1;
const int SyncStateDeleted = 2;
const int RowStatusDeleted = 2;

struct TrackedTable
{
    QString source;
    QString dest;
    QString fields;
};

bool readTrackedTables(QList<TrackedTable>& tables)
{
    BXSqlQuery select("SELECT source_table, dest_table, fields FROM userdata_sync_tables");
    return select.readRows([&] {
        tables.append({select.value(0).toString(), select.value(1).toString(),
                       select.value(2).toString()});
    });
}

// The device ids of each user (-1 for the devices that follow every user), in row order.
bool readDevicesByUser(QMap<int, QList<int>>& devicesByUser)
{
    BXSqlQuery select("SELECT id, user_id FROM userdata_sync_devices");
    return select.readRows([&] {
        const QVariant user = select.value(1);
        devicesByUser[user.isNull() ? -1 : user.toInt()].append(select.value(0).toInt());
    });
}

QStringList keyColumns(const QString& fields)
{
    QStringList columns = fields.split(QLatin1Char(','));
    for (QString& column : columns)
        column = column.trimmed();
    return columns;
}

// "user_id, date" read from row "new" is "new.user_id, new.date".
QString rowValues(const QString& fields, const char* row)
{
    static const QRegularExpression word(QStringLiteral("(\\w+)"));
    QString values = fields;
    return values.replace(word, QLatin1String(row) + QStringLiteral(".\\1"));
}

QString updateStatement(const QString& dest, const QString& fields, int device, const char* row,
                        int state)
{
    QString text = QString::asprintf("  UPDATE %s SET state = %d, lastModified = "
                                     "strftime('%%Y%%m%%d', 'now') WHERE device = %d ",
                                     qPrintable(dest), state, device);
    for (const QString& column : keyColumns(fields))
        text += QStringLiteral(" AND %1 = %2.%1").arg(column, QLatin1String(row));
    return text + QStringLiteral(";\n");
}

QString insertStatement(const QString& dest, const QString& fields, int device, const char* row,
                        int state)
{
    return QString::asprintf("  INSERT OR REPLACE INTO %s(device, state, lastModified, %s) VALUES "
                             "(%d, %d, strftime('%%Y%%m%%d', 'now'), %s);\n",
                             qPrintable(dest), qPrintable(fields), device, state,
                             qPrintable(rowValues(fields, row)));
}

bool exec(const QString& sql)
{
    BXSqlQuery statement(sql);
    return statement.exec();
}

bool clearDeviceRows(int id, const QList<TrackedTable>& tables)
{
    for (const TrackedTable& table : tables) {
        BXSqlQuery remove(QStringLiteral("DELETE FROM %1 WHERE device = ?").arg(table.dest));
        remove.bindValue(0, id);
        if (!remove.exec())
            return false;
    }
    return true;
}

// Marks every live row in the device's scope as changed for the device. A sync table
// whose key leaves out the device keeps one row per key, as its triggers do.
bool seedDeviceRows(int id, int userId, const QList<TrackedTable>& tables)
{
    for (const TrackedTable& table : tables) {
        QString sql = QStringLiteral("INSERT OR REPLACE INTO %1(device, state, %2) SELECT '%3', '%4', %2 FROM %5")
                          .arg(table.dest, table.fields, QString::number(id),
                               QString::number(SyncStateChanged), table.source);
        const bool hasStatus = table.source == QLatin1String("food_diary")
            || table.source == QLatin1String("exer_diary")
            || table.source == QLatin1String("group_diary");
        if (hasStatus)
            sql += QStringLiteral(" WHERE status <> %1").arg(RowStatusDeleted);
        if (userId >= 0)
            sql += QStringLiteral("%1 user_id = %2")
                       .arg(hasStatus ? QStringLiteral(" AND") : QStringLiteral(" WHERE"))
                       .arg(userId);
        if (!exec(sql))
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
    QList<TrackedTable> tables;
    if (id < 0 || !readTrackedTables(tables) || !clearDeviceRows(id, tables)
        || !seedDeviceRows(id, userId, tables)) {
        rollbackTransaction();
        return -1;
    }
    return commitTransaction() ? id : -1;
}

bool BXSqlDb::setupSyncTriggers()
{
    QMap<int, QList<int>> devicesByUser;
    QList<TrackedTable> tables;
    if (!readDevicesByUser(devicesByUser) || !readTrackedTables(tables))
        return false;
    int counter = 0;
    for (const TrackedTable& table : tables) {
        for (auto group = devicesByUser.cbegin(); group != devicesByUser.cend(); ++group) {
            triggerQuery(table.source, table.dest, table.fields, group.value(), "AFTER DELETE",
                         "old", SyncStateDeleted, counter, true, group.key());
            triggerQuery(table.source, table.dest, table.fields, group.value(), "AFTER UPDATE",
                         "new", SyncStateChanged, counter, true, group.key());
            triggerQuery(table.source, table.dest, table.fields, group.value(), "AFTER INSERT",
                         "new", SyncStateChanged, counter, false, group.key());
        }
    }
    // A trigger that could not be made would let changes go untracked.
    return countTemporaryTriggers() == counter;
}

QString triggerQuery(const QString& source, const QString& dest, const QString& fields,
                     const QList<int>& devices, const char* timing, const char* row, int state,
                     int& counter, bool updateForm, int userId)
{
    QString text = QString::asprintf("CREATE TEMP TRIGGER bxtmp_%04d %s ON %s ", counter++, timing,
                                     qPrintable(source));
    if (userId >= 0)
        text += QString::asprintf("WHEN %s.user_id = %d ", row, userId);
    text += QStringLiteral("BEGIN\n");
    for (const int device : devices)
        text += updateForm ? updateStatement(dest, fields, device, row, state)
                           : insertStatement(dest, fields, device, row, state);
    text += QStringLiteral("END;");
    exec(text);
    return text;
}
