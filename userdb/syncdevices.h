#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

class StoreResult;

// The sync devices of the running connection, each following one user's changes or every
// user's, and the temporary triggers that mark every change of a tracked table for each device.
class SyncDevices
{
    Q_DECLARE_TR_FUNCTIONS(SyncDevices)

public:
    // A table whose changes the sync devices follow, as the program makes it: the sync table
    // that marks them and the key columns (comma-separated) that name a row in both.
    struct TrackedTable
    {
        const char* source;
        const char* dest;
        const char* keys;
        // Whether a removed row of the table is only marked as removed.
        bool hasStatus;
    };

    // The id of the device of that name; -1 when there is none or it cannot be read.
    static qint64 find(const char* name);
    // The user the device follows (-1: every user); -1 also when it cannot be read.
    static qint64 userOf(qint64 id);
    // Makes a device of `name` that follows `userId` (-1: every user), or starts the existing
    // device `id` afresh, its rows marked anew; its id, or -1 when the change failed.
    static qint64 create(const char* name, qint64 id, qint64 userId);
    // Creates the change-tracking triggers of the connection for the tracked tables that the
    // program makes, three a table whatever the devices; stored rows of the tracked tables
    // that differ from the program's list are written anew from it first. The failure when the
    // devices or tracked tables cannot be read or written or a trigger cannot be created.
    static StoreResult setupTriggers();
    // Whether the tracked tables the file lists are those the program makes; otherwise false
    // with the rows it holds or lacks, or why they cannot be read.
    static bool holdsOwnTrackedTables(std::string& error);
    // Whether every sync device has an id of its own that the program gives and follows every
    // user or one the program can hold; otherwise false with the first row that does not, or
    // why they cannot be read.
    static bool holdsOwnDevices(std::string& error);

    // The text of one change-tracking trigger, its names quoted; increments the counter. Its one
    // statement marks the row for every device that follows the row's user, read when it runs.
    static QString triggerQuery(const TrackedTable& table, const char* timing, const char* row, int state,
                                int& counter, bool updateForm);
};
