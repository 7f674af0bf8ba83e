#pragma once

#include <QByteArray>

// Byte layout of the first bytes of a user database file.
namespace UserDbFormat {

// The shipped template starts with this block of our own in place of the SQLite 3
// magic; start-up writes the magic back before the file is opened.
inline QByteArray templateBlock()
{
    return QByteArray("Pantrel userdata", 16);
}

// The first 16 bytes of every SQLite 3 database file.
inline QByteArray sqlite3Magic()
{
    return QByteArray("SQLite format 3\0", 16);
}

// The 48-byte header of the older SQLite 2.1 format, which this build cannot read.
inline QByteArray sqlite2Header()
{
    return QByteArray("** This file contains an SQLite 2.1 database **\0", 48);
}

} // namespace UserDbFormat
