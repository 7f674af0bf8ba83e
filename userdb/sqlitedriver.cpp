#include "userdb/sqlitedriver.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

sqlite3* SqliteDriver::handle(const QSqlDatabase& db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

int SqliteDriver::code(const QSqlError& error)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return numeric ? code : SQLITE_ERROR;
}

QString SqliteDriver::text(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}
