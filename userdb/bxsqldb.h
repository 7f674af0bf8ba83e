#pragma once

#include "userdb/bxexception.h"
#include "userdb/storeconnection.h"
#include "userdb/storeresult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <optional>

class QSqlQuery;
class WorkProgress;
struct sqlite3;

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The one connection to the user database file "userdata.db" and everything that
// makes that file usable: start-up (template copy, header repair, version check and
// upgrade chain, change-tracking triggers), transactions that never nest, column
// addition by table rebuild, the sync devices and the import of older data.
//
// The connection is created by startUp() and closed by cleanUp(); both may run any
// number of times in one process (the handheld synchronisation, backup and restore
// close the file and open it again).
class BXSqlDb final : public StoreConnection
{
    Q_DECLARE_TR_FUNCTIONS(BXSqlDb)

public:
    // Size of the header probe at the start of a database file.
    static constexpr int MagicSize = 48;

    // The running connection; asserts that there is one.
    static BXSqlDb* instance();
    // The running connection or null.
    static BXSqlDb* exists();
    static bool isUp();

    // Makes the user database usable (see bxsqldb_startup.cpp). A diary of the current format
    // whose schema is not the program's own (see DiarySchema) is refused before anything runs
    // on it, and left as it is. Otherwise than done the message says why; after a failure the
    // caller runs cleanUp(). A diary held by another program for longer than the busy wait is
    // Busy, a damaged one Damaged, one that cannot be used for another reason Refused.
    // `progress`, when given, hears the start's checks and copies: of the data a restore that did
    // not finish kept, before it goes back in the diary's place; of an older diary's upgrade; of
    // the integrity of a diary whose change tracking cannot be set up. Once it stops the start is
    // Refused (or Unread), saying so.
    static StoreResult startUp(bool enableTriggers, WorkProgress* progress = nullptr);
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

    // Rebuilds the table with the extra column in front (NULL for existing rows); a no-op if
    // the column is already there. Throws BXException.
    void addColumn(const char* table, const char* column, const char* type);

    // The schema version stored in the file; throws BXException when it cannot be read or is
    // no number.
    static int getVersion();

    // Sync devices and change tracking.
    static qint64 getSyncDevice(const char* name);
    static qint64 getDeviceUser(qint64 id);
    static qint64 createSyncDevice(const char* name, qint64 id, qint64 userId);
    // Creates the change-tracking triggers of the connection for the tracked tables that the
    // program makes, three a table whatever the devices; stored rows of the tracked tables
    // that differ from the program's list are written anew from it first. The failure when the
    // devices or tracked tables cannot be read or written or a trigger cannot be created.
    static StoreResult setupSyncTriggers();

    // File handling of start-up.
    // Gives a file that starts with the template's block the standard header, on a copy that
    // takes its place; any other file is only read. False when the file is unreadable or too
    // short, or the repair failed: then `failure`, when given, says why the repair failed.
    static bool fixMagic(const QString& path, QString* failure = nullptr);

    // What a file is proven for: the upgrade of the diary, or taking the diary's place.
    enum class Proof { Upgrade, Restore };
    // Opens the database file at `path` on a connection of its own (none may be
    // running), brings it up to the current schema (an older file holding no trigger) and
    // checks that its schema is the program's own, compared whole (see DiarySchema), and its
    // integrity; the file is changed by the upgrade. A file to restore must also hold no loop
    // of categories, name only ids the program gives (StoredId), list only the tracked tables
    // the program makes, and hold only sync devices that it writes. Otherwise the reason why not:
    // Refused when the file holds what the program cannot use; Damaged when its integrity check
    // finds it damaged; Unread when a read of it failed for a reason of the system or another
    // program held it, which says nothing of the file.
    // `progress`, when given, is told of the integrity check's steps, and once it stops the
    // check ends there and the file is Unread.
    static StoreResult proveFile(const QString& path, Proof proof, WorkProgress* progress = nullptr);
    // Copies `source` to `copy` and proves the copy; the copy is removed when either fails.
    static bool provenCopy(const QString& source, const QString& copy, Proof proof, std::string& error,
                           WorkProgress* progress = nullptr);
    // Runs the integrity check on the running connection, judged as FileIntegrity::check() judges
    // a file's, its damage checked again on a connection of its own.
    static StoreResult checkIntegrity(WorkProgress* progress = nullptr);
    // True when the file starts with the header of the older SQLite 2.1 format, which
    // this build cannot read.
    static bool isOlderFormat(const QString& path);
    // The message that tells the user why such a file cannot be used.
    static QString olderFormatMessage(const QString& path);
    // Whether the last failure of the running connection was damage, and SQLite still finds the
    // file damaged when it reads it again now.
    static bool damageProven();

    // Writes the schema version and the application version; throws BXException.
    void upgradeSchema(int version);
    static void upgrade204to205();
    static void upgrade205to206();
    static void upgrade206to300();
    static void upgrade300to301();
    static void upgrade301to302();
    static void upgrade302to303();
    static void upgrade303to304();
    static void upgrade304or305to306();
    static void upgrade306to307();
    static void upgrade307to308();
    static void upgrade308to309();
    static bool upgrade308to309_setDefaultTargetSizes();
    static void upgrade309to310();
    static void upgrade310to411();
    static void upgrade411to412();

    // Import of the data of an older installation, tried when a user has no database yet. The
    // store asks through the question that the caller set, who shows it: whether to take the
    // older file over (Importable), or that it cannot be (OlderFormat: the answer is not used).
    // Without a question nothing is imported.
    enum class PreviousData { Importable, OlderFormat };
    using PreviousDataQuestion = std::function<bool(PreviousData found, const QString& path)>;
    static void setPreviousDataQuestion(PreviousDataQuestion question);
    // False when nothing was imported; `reason` then says why data the user chose to take over
    // could not be copied (empty when there was none, or the user declined).
    static bool importPreviousUserData(QString* reason = nullptr);
    static bool importSQLite(const QString& folder, QString* reason = nullptr);
    static bool importCodebase(const QString& folder);

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

    static bool runUpgradeChain(std::string& error);
    // Makes the tables of a diary of the current format that the upgrade of an earlier build
    // left declared as their earlier format wrote them again as the program declares them, rows
    // kept, in one transaction; the format stays, so that earlier builds still read the file.
    static bool rebuildToOwn(std::string& error);
    // Whether the tracked tables the file lists are those the program makes; otherwise false
    // with the rows it holds or lacks, or why they cannot be read.
    static bool holdsOwnTrackedTables(std::string& error);
    // Whether every sync device has an id of its own that the program gives and follows every
    // user or one the program can hold; otherwise false with the first row that does not, or
    // why they cannot be read.
    static bool holdsOwnDevices(std::string& error);
    // Upgrades a copy of the diary, proves it and puts it in the diary's place, the diary as it
    // was kept beside it; `progress`, when given, hears the copies and the proof.
    static StoreResult upgradeOnCopy(WorkProgress* progress);

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

    static PreviousDataQuestion s_previousDataQuestion;

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

// A table whose changes the sync devices follow, as the program makes it: the sync table that
// marks them and the key columns (comma-separated) that name a row in both.
struct TrackedTable
{
    const char* source;
    const char* dest;
    const char* keys;
    // Whether a removed row of the table is only marked as removed.
    bool hasStatus;
};

// The text of one change-tracking trigger, its names quoted; increments the counter. Its one
// statement marks the row for every device that follows the row's user, read when it runs.
QString triggerQuery(const TrackedTable& table, const char* timing, const char* row, int state,
                     int& counter, bool updateForm);
