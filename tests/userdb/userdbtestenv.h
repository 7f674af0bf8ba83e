#pragma once

#include "userdb/bxsqldb.h"
#include "userdb/previousdataimport.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

// Shared set-up for the tests of the user database: a brand archive made on the fly, the
// user database started from the shipped template, a version-204 database for the upgrade
// chain, and small readers of the schema.
class UserDbTestEnv
{
public:
    // Replaces the brand with one that defines the brand id, the data-folder layout and
    // `extraXml` (elements inside <brand>). Asserts on failure.
    static void loadBrand(const QString& extraXml = QString());

    // The user database file, and its folder (ending in "/").
    static QString databaseFile();
    static QString databaseFolder();

    // Closes the user database and removes its file, its safety copies and any journal.
    static void removeDatabase();

    // Loads the brand when none is loaded, removes any old database and starts a fresh one
    // from the template. False (with the error in *error) when the start fails.
    static bool startFresh(QString* error = nullptr);

    // Starts the user database on the file that is there; false with *error and the kind of the
    // failure on failure.
    static bool startUp(QString* error = nullptr, StoreResult::Kind* kind = nullptr);

    // Writes a database at schema version 204 (the template's schema without everything
    // that the upgrade steps add) to `path`, with the sync devices "website" (0) and
    // "palm" (1), two users and a few rows in the diary, check-in and target tables. With
    // another `version` the file claims that version (to open it without the upgrades).
    static bool create204Database(const QString& path, int version = 204);
    // The statements that write it.
    static QStringList schema204(int version);

    // Runs the statements on the database file at `path` through a connection of its own;
    // false when one fails.
    static bool runOn(const QString& path, const QStringList& statements);

    // Column names of a table of the running user database, in declared order.
    static QStringList columns(const QString& table);
    // Every table of the running user database with its column set.
    static QMap<QString, QSet<QString>> schema();
    // A single value read with `sql` from the running user database.
    static QVariant scalar(const QString& sql);
    // The file names in the user database folder that start with "userdata.".
    static QStringList safetyCopies();

    // Answers every question of the start about older data with `accept` and records what it
    // was asked about; answers nothing (and so imports nothing) once given back.
    static QList<PreviousDataImport::Found>* answerPreviousData(bool accept);
    static void stopAnsweringPreviousData();
};
