#pragma once

class QSqlError;
class QSqlQuery;
class QString;
class StoreAction;
class StoreResult;

// What the store's statements (BXSqlQuery), changes (StoreTransaction) and actions (StoreAction)
// ask of the diary's open connection. The connection (BXSqlDb) puts itself in place while it is
// open, so that they run on it without knowing how it is opened, upgraded or closed.
class StoreConnection
{
public:
    // The open connection, or null while the diary is closed.
    static StoreConnection* open();

    // A statement of `sql` prepared on the connection, the caller's until it is given back with
    // takeBack(); `unprepared` gets why the text could not be prepared (no such table, say).
    virtual QSqlQuery* lend(const char* sql, QSqlError* unprepared) = 0;
    // Keeps a statement lent for the next request of the same text, reset, so that the reads a
    // screen repeats on every change are not compiled again each time; false when it cannot be
    // kept (lent by an earlier connection, refused by the driver or prepared again since): then
    // the caller deletes it.
    virtual bool takeBack(QSqlQuery* statement) = 0;
    // Whether a statement may run now: not once the open action has found the diary held
    // (`refused` then gets the action's outcome). A `change` ends the read lock of a reading
    // action first, so that it is kept on its own.
    virtual bool mayRun(bool change, StoreResult* refused) = 0;
    // A statement of the connection failed with `error`; `change` when it writes. A failure of
    // the store itself ends the open change's chance to be kept. Inside a StoreAction the action
    // is told; the failure's outcome is returned to the caller that ran the statement in any
    // case, and nobody else hears of it.
    virtual StoreResult noteFailure(const QSqlError& error, bool change) = 0;

    // One change of several statements, stored whole or not at all (see BXSqlDb::beginTransaction).
    virtual bool beginChange() = 0;
    // A change that holds the file whole from its begin: false, with what the user is told in
    // `inUse`, while another program holds the file (see BXSqlDb::beginSoleChange).
    virtual bool beginSoleChange(QString* inUse) = 0;
    // Commits the open change when `keep`, else rolls it back; whether it was kept.
    virtual bool endChange(bool keep) = 0;
    // Rolls the open change back; whether it ended.
    virtual bool dropChange() = 0;

    // The actions open on the connection, the innermost last: opening one returns the one it
    // is a part of; closing it puts `outer` back.
    virtual StoreAction* openAction(StoreAction* action) = 0;
    virtual void closeAction(StoreAction* action, StoreAction* outer) = 0;
    // Takes the read lock for the open action when no change holds one; whether it did. A
    // failure is the action's outcome.
    virtual bool beginReading() = 0;
    virtual void endReading() = 0;

protected:
    StoreConnection() = default;
    ~StoreConnection() = default;
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;
    // Puts `connection` in place as the open one, or none.
    static void setOpen(StoreConnection* connection);
};
