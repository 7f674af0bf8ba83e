#pragma once

#include "userdb/bxexception.h"
#include "userdb/storeconnection.h"
#include "userdb/storeresult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QSqlQuery;
class WorkProgress;
struct sqlite3;

// The one connection to the user database file "userdata.db": its statements, its changes,
// which never nest, and what its failures prove of the file.
//
// The connection is opened by openFile() (DiaryStart and the proof of a file, DiaryProof) and
// closed by cleanUp(); both may run any number of times in one process (the handheld
// synchronisation, backup and restore close the file and open it again).
class BXSqlDb final : public StoreConnection
{
    Q_DECLARE_TR_FUNCTIONS(BXSqlDb)

public:
    // The running connection; asserts that there is one.
    static BXSqlDb* instance();
    // The running connection or null.
    static BXSqlDb* exists();
    static bool isUp();

    // Opens the database file at `path` as the running connection (none may be running); false
    // with the driver's reason in `error`, and in `stopped` its outcome when given, when it
    // cannot be opened: then the caller runs cleanUp().
    static bool openFile(const QString& path, std::string& error, StoreResult* stopped = nullptr);
    // Whether SQLite opened the running connection's file for reading only.
    static bool openedReadOnly();
    // Closes the connection if there is one.
    static void cleanUp();

    // Runs the text once and discards its result.
    static void perform(const char* sql);

    // One change of several statements, stored whole or not at all. It takes the write lock
    // as it begins, so that it waits for other programs once (the busy time-out), before
    // anything is written. A driver that refuses never ends the program: a transaction that
    // cannot begin is not open (false); a commit that fails, or that would keep a change lost
    // to the store, rolls the whole transaction back and returns false.
    //
    // A transaction begun while one is open is a part of the open one: its commit keeps
    // nothing yet, and its rollback drops the whole change when the outer one ends. So a
    // store's change may stand alone or be one part of a larger change.
    static bool beginTransaction();
    static bool commitTransaction();
    static bool rollbackTransaction();
    // Commits when `keep`, else rolls back; whether the change was kept.
    static bool endTransaction(bool keep);

    // A change the store refuses for a reason of its own, with every statement run (no new id
    // left, say): told as a failed change is, with `reason` as the detail.
    static void noteRefusal(const QString& reason, bool change = true);
    // Whether `user` is no user's id (none is shown, say): then the reading or `change` asked
    // for that user is refused, and told so.
    static bool refusesUser(qint64 user, bool change);
    // How long a change waits for other programs that hold the file (readers that have not
    // finished, say) before it gives up (BusyWait::timeout), on this connection and later ones.
    static void setBusyTimeout(int milliseconds);

    // Runs the integrity check on the running connection, judged as FileIntegrity::check() judges
    // a file's, its damage checked again on a connection of its own.
    static StoreResult checkIntegrity(WorkProgress* progress = nullptr);
    // Whether the last failure of the running connection was damage, and SQLite still finds the
    // file damaged when it reads it again now.
    static bool damageProven();

    // The connection's database handle (for the driver's error texts).
    QSqlDatabase database() const;

    // What the store's statements, changes and actions ask of the connection (StoreConnection).
    QSqlQuery* lend(const char* sql, QSqlError* unprepared) override;
    bool takeBack(QSqlQuery* statement) override;
    bool mayRun(bool change, StoreResult* refused) override;
    StoreResult noteFailure(const QSqlError& error, bool change) override;
    bool beginChange() override;
    // Begins a transaction that holds the file whole from its begin until it ends, so that
    // what it writes is stored without waiting for another program: a start claims the file so
    // before it writes, so that it never loses a change it made of its own accord. It waits
    // once (the busy time-out) for another program, reading or writing, to let go, on a
    // connection of its own, and this connection then takes the file without waiting. False,
    // with what the user is told in `inUse`, while another program holds it; false with
    // `inUse` empty when the transaction could not begin for another reason (the open action
    // has it). End it with endChange().
    bool beginSoleChange(QString* inUse) override;
    bool endChange(bool keep) override;
    bool dropChange() override;
    StoreAction* openAction(StoreAction* action) override;
    void closeAction(StoreAction* action, StoreAction* outer) override;
    bool beginReading() override;
    void endReading() override;

private:
    // The open action a statement run now is a part of, if any.
    StoreAction* _currentAction() const;
    // Ends the read lock of a reading action early, before a change takes the write lock.
    void _endReadLock();

    // `stopped`, when given, gets the outcome of an open that failed.
    BXSqlDb(const QString& path, std::string& error, bool& failed, StoreResult* stopped = nullptr);
    ~BXSqlDb();
    BXSqlDb(const BXSqlDb&) = delete;
    BXSqlDb& operator=(const BXSqlDb&) = delete;

    void _perform(const char* sql);
    bool _beginTransaction();
    // BEGIN EXCLUSIVE without a wait, noted when it is refused.
    StoreResult _beginSole();
    bool _commitTransaction();
    bool _rollbackTransaction();

    static BXSqlDb* _instance;

    struct IdleStatement
    {
        QByteArray sql;
        std::unique_ptr<QSqlQuery> statement;
    };
    static constexpr std::size_t MaxIdleStatements = 64;
    // Reset statements, the most recently given back last.
    std::vector<IdleStatement> m_idle;
    // The texts of the statements handed out that may be kept when given back.
    std::unordered_map<const QSqlQuery*, QByteArray> m_lent;

    bool transactionActive() const;
    void _applyBusyTimeout();
    // The connection's SQLite handle, or null.
    sqlite3* _handle() const;
    // Whether SQLite opened the file for reading only.
    bool _isReadOnly() const;
    // Records a failure of the driver's transaction control: any reason counts.
    void _noteRefusal();
    // SQLite's reason for the last refusal of the connection.
    StoreResult _refusal() const;
    // `outcome` of the connection with its damage proven now (see FileIntegrity::proven), kept as the
    // connection's last failure.
    StoreResult _proven(const StoreResult& outcome);
    // `outcome` proven as _proven() does, but only once no change of the connection holds the
    // file: the change's own lock would keep the proof from reading it, and be taken for another
    // program's. Damage met inside a change is returned as it was met and proven once the
    // change has ended (_proveAfterChange).
    StoreResult _judged(const StoreResult& outcome);
    // Proves the damage met inside the change that has just ended, and tells the open action
    // what the proof found in its place.
    void _proveAfterChange();
    void _note(const StoreResult& outcome, bool change);

    bool m_open = false;
    int nestedTransactionLevel = 0;
    // A part of the open transaction was rolled back: the whole is dropped at its end.
    bool m_partDropped = false;
    // The open transaction lost a statement to the store: it is never kept.
    bool m_changeLost = false;
    // The innermost open action, and whether it holds a read lock of its own.
    StoreAction* m_action = nullptr;
    bool m_reading = false;
    // The last failure of the connection was damage, proven when it was told.
    bool m_damageProven = false;
    // The first damage met inside the open change, proven once the change has ended.
    std::optional<StoreResult> m_unproven;
};
