#pragma once

#include <QString>
#include <QVariant>

// The stores' side of the user database tests (on top of UserDbTestEnv): a family brand, a
// fresh database from the shipped template for each test case, every store closed again
// afterwards, and small statement helpers.
class StoreFixture
{
public:
    // A family brand with the unit defaults; extraXml adds further definitions.
    static void loadBrand(const QString& extraXml = QString());
    // Starts the user database on a fresh copy of the template.
    static bool open();
    // Closes every store and the database and removes the file.
    static void close();

    // Adds a user with the given name and returns its id.
    static qint64 addUser(const char* name, const char* dob = "19760315", int sex = 0,
                       float height = 180.0f);

    // Runs a statement with positional values and returns the first column of its first row.
    static QVariant scalar(const char* sql, const QVariantList& values = QVariantList());
    // Runs a statement with positional values; false when it fails.
    static bool exec(const char* sql, const QVariantList& values = QVariantList());
};
