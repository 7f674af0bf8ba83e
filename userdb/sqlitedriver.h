#pragma once

#include <QString>

class QSqlDatabase;
class QSqlError;
struct sqlite3;

// What Qt's SQLite driver hands over of SQLite itself: the handle of a connection, and SQLite's
// code and text inside an error the driver reports.
class SqliteDriver
{
public:
    // The SQLite handle of an open connection, or null (closed, or of another driver).
    static sqlite3* handle(const QSqlDatabase& db);
    // SQLite's result code of `error` (SQLITE_ERROR when the driver passed on none), and its text
    // (the driver's own text when SQLite gave none).
    static int code(const QSqlError& error);
    static QString text(const QSqlError& error);
};
