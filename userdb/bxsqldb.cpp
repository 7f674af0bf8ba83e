#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include "userdb/busywait.h"
#include "userdb/failurewitness.h"
#include "userdb/fileclaim.h"
#include "userdb/readwatch.h"
#include "userdb/sqlitedriver.h"
#include "userdb/startrefusal.h"
#include "userdb/storeaction.h"

#include "core/bxsettings.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <sqlite3.h>

#include <cassert>
#include <iterator>
#include <utility>

namespace {

const char* const ConnectionName = "BXSqlDb_User";

QSqlDatabase connection()
{
    return QSqlDatabase::database(QLatin1String(ConnectionName), false);
}

bool isReadOnly(const QSqlDatabase& db)
{
    sqlite3* handle = SqliteDriver::handle(db);
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

// SQLite opens a file that the system would not open for writing just then (it had no file to
// spare, say) for reading only, without a word: such a connection is opened once more. One
// that stays read-only is told by the start.
bool reopenedWritable(QSqlDatabase& db)
{
    if (!isReadOnly(db))
        return true;
    db.close();
    return db.open() && !db.isOpenError();
}

} // namespace

BXSqlDb* BXSqlDb::_instance = nullptr;

BXSqlDb::BXSqlDb(const QString& path, std::string& error, bool& failed, StoreResult* stopped)
{
    setOpen(this);
    failed = false;
    if (const std::optional<QString> journal = FileClaim::journalProblem(path)) {
        error = journal->toStdString();
        failed = true;
        return;
    }
    ReadWatch::install();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QLatin1String(ConnectionName));
    db.setDatabaseName(path);
    db.setUserName(QString());
    db.setPassword(QString());
    QSqlError refused;
    if (db.open() && !db.isOpenError() && reopenedWritable(db)) {
        _applyBusyTimeout();
        // The file is copied whole by backup, restore and the handheld component:
        // keep the single-file rollback journal and write through to the disk.
        for (const char* setting : {"PRAGMA journal_mode=DELETE", "PRAGMA synchronous=FULL"}) {
            refused = db.exec(QString::fromLatin1(setting)).lastError();
            if (refused.isValid())
                break;
        }
        m_open = !refused.isValid();
        if (m_open)
            return;
    } else {
        refused = db.isOpen() ? db.lastError() : FailureWitness::openError(db.lastError(), path);
    }
    error = refused.text().toStdString();
    if (stopped)
        *stopped = FailureWitness::of(db, refused);
    db.close();
    failed = true;
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QLatin1String(ConnectionName));
}

BXSqlDb::~BXSqlDb()
{
    // Kept statements go before the connection they were prepared on.
    m_idle.clear();
    m_lent.clear();
    if (m_open) {
        connection().close();
        QSqlDatabase::removeDatabase(QLatin1String(ConnectionName));
        m_open = false;
    }
    if (_instance == this)
        _instance = nullptr;
    if (open() == this)
        setOpen(nullptr);
}

BXSqlDb* BXSqlDb::instance()
{
    assert(_instance);
    return _instance;
}

BXSqlDb* BXSqlDb::exists()
{
    return _instance;
}

bool BXSqlDb::openFile(const QString& path, std::string& error, StoreResult* stopped)
{
    if (_instance) {
        error = "the user database is still open";
        return false;
    }
    bool failed = false;
    _instance = new BXSqlDb(path, error, failed, stopped);
    return !failed;
}

bool BXSqlDb::openedReadOnly()
{
    return _instance && _instance->_isReadOnly();
}

bool BXSqlDb::isUp()
{
    return _instance != nullptr;
}

void BXSqlDb::cleanUp()
{
    delete _instance;
    _instance = nullptr;
    assert(!_instance);
}

QSqlDatabase BXSqlDb::database() const
{
    return connection();
}

QSqlQuery* BXSqlDb::lend(const char* sql, QSqlError* unprepared)
{
    const QByteArray text(sql);
    for (auto idle = m_idle.rbegin(); idle != m_idle.rend(); ++idle) {
        if (idle->sql == text) {
            QSqlQuery* statement = idle->statement.release();
            m_idle.erase(std::next(idle).base());
            m_lent.emplace(statement, text);
            return statement;
        }
    }
    auto* statement = new QSqlQuery(connection());
    // Rows are read once, in order; nothing keeps them for going back.
    statement->setForwardOnly(true);
    if (statement->prepare(QString::fromUtf8(sql)))
        m_lent.emplace(statement, text);
    else
        *unprepared = statement->lastError();
    return statement;
}

bool BXSqlDb::takeBack(QSqlQuery* statement)
{
    const auto lent = m_lent.find(statement);
    if (lent == m_lent.end())
        return false;
    QByteArray sql = std::move(lent->second);
    m_lent.erase(lent);
    if (statement->lastQuery() != QString::fromUtf8(sql))
        return false;
    statement->finish();
    m_idle.push_back({std::move(sql), std::unique_ptr<QSqlQuery>(statement)});
    if (m_idle.size() > MaxIdleStatements)
        m_idle.erase(m_idle.begin());
    return true;
}

void BXSqlDb::perform(const char* sql)
{
    instance()->_perform(sql);
}

void BXSqlDb::_perform(const char* sql)
{
    if (!mayRun(true, nullptr))
        return;
    connection().exec(QString::fromUtf8(sql));
}

bool BXSqlDb::beginTransaction()
{
    return instance()->_beginTransaction();
}

bool BXSqlDb::commitTransaction()
{
    return instance()->_commitTransaction();
}

bool BXSqlDb::rollbackTransaction()
{
    return instance()->_rollbackTransaction();
}

bool BXSqlDb::endTransaction(bool keep)
{
    if (keep)
        return commitTransaction();
    rollbackTransaction();
    return false;
}

bool BXSqlDb::beginChange()
{
    return _beginTransaction();
}

bool BXSqlDb::endChange(bool keep)
{
    return endTransaction(keep);
}

bool BXSqlDb::dropChange()
{
    return _rollbackTransaction();
}

bool BXSqlDb::beginSoleChange(QString* inUse)
{
    const QString path = database().databaseName();
    inUse->clear();
    // The one wait, ended as soon as the file is free; a program that takes the file in the
    // moment until this connection has it is told like one that held it all along.
    if (FileClaim(path, FileClaim::Mode::Sole, BusyWait::timeout()).state() != FileClaim::State::Busy
        && mayRun(true, nullptr)) {
        const StoreResult begun = _beginSole();
        if (!begun.busy())
            return begun.ok();
    }
    *inUse = StartRefusal::inUseText(path);
    return false;
}

bool BXSqlDb::mayRun(bool change, StoreResult* refused)
{
    if (StoreAction* action = _currentAction(); action && action->refuses(change)) {
        // An action opened inside a refused one is refused too, and says so.
        if (action->outcome().ok())
            action->record(StoreResult(StoreResult::Kind::Busy, QString()), change);
        if (refused)
            *refused = action->outcome();
        return false;
    }
    if (change && m_reading)
        _endReadLock();
    return true;
}

StoreResult BXSqlDb::noteFailure(const QSqlError& error, bool change)
{
    const StoreResult outcome = _judged(FailureWitness::of(database(), error));
    _note(outcome, change);
    return outcome;
}

void BXSqlDb::noteRefusal(const QString& reason, bool change)
{
    if (_instance)
        _instance->_note(StoreResult(StoreResult::Kind::Refused, reason), change);
}

bool BXSqlDb::refusesUser(qint64 user, bool change)
{
    if (user >= 0)
        return false;
    noteRefusal(tr("no user is chosen; choose one in the Users menu"), change);
    return true;
}

// The driver does not pass SQLite's code on for its transaction control: it is read from
// the connection itself.
void BXSqlDb::_noteRefusal()
{
    _note(_judged(_refusal()).ofTransaction(), true);
}

StoreResult BXSqlDb::_refusal() const
{
    sqlite3* db = _handle();
    const StoreResult outcome = db ? FailureWitness::of(db, sqlite3_extended_errcode(db),
                                                        QString::fromUtf8(sqlite3_errmsg(db)))
                              : StoreResult(StoreResult::Kind::Refused,
                                            connection().lastError().text());
    return outcome;
}

StoreResult BXSqlDb::_judged(const StoreResult& outcome)
{
    const bool changing = nestedTransactionLevel > 0 || (transactionActive() && !m_reading);
    if (outcome.kind() != StoreResult::Kind::Damaged || !changing)
        return _proven(outcome);
    if (!m_unproven)
        m_unproven = outcome;
    return outcome;
}

void BXSqlDb::_proveAfterChange()
{
    if (!m_unproven || transactionActive())
        return;
    const StoreResult met = *std::exchange(m_unproven, std::nullopt);
    const StoreResult found = _proven(met);
    if (StoreAction* action = _currentAction())
        action->revise(met, found);
}

// An open action hears of every failure; outside one, the caller has the statement's outcome.
void BXSqlDb::_note(const StoreResult& outcome, bool change)
{
    if (outcome.lost() && nestedTransactionLevel > 0)
        m_changeLost = true;
    if (StoreAction* action = _currentAction())
        action->record(outcome, change || nestedTransactionLevel > 0);
}

StoreAction* BXSqlDb::_currentAction() const
{
    return m_action && m_action->current() ? m_action : nullptr;
}

StoreAction* BXSqlDb::openAction(StoreAction* action)
{
    return std::exchange(m_action, action);
}

void BXSqlDb::closeAction(StoreAction* action, StoreAction* outer)
{
    if (m_action == action)
        m_action = outer;
}

bool BXSqlDb::beginReading()
{
    if (m_reading || transactionActive())
        return false;
    QSqlDatabase db = connection();
    // The read lock is taken by the first reading of the transaction.
    if (db.exec(QStringLiteral("BEGIN")).lastError().isValid()) {
        _noteRefusal();
        return false;
    }
    const QSqlError error = db.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")).lastError();
    if (error.isValid()) {
        db.exec(QStringLiteral("ROLLBACK"));
        _note(_judged(FailureWitness::of(db, error)), false);
        return false;
    }
    m_reading = true;
    return true;
}

void BXSqlDb::endReading()
{
    if (m_reading)
        _endReadLock();
}

void BXSqlDb::_endReadLock()
{
    m_reading = false;
    // A reading ends whole even where statements are still open: it changed nothing.
    if (connection().exec(QStringLiteral("COMMIT")).lastError().isValid())
        connection().exec(QStringLiteral("ROLLBACK"));
}

void BXSqlDb::setBusyTimeout(int milliseconds)
{
    BusyWait::setTimeout(milliseconds);
    if (_instance)
        _instance->_applyBusyTimeout();
}

void BXSqlDb::_applyBusyTimeout()
{
    BusyWait::install(_handle(), BusyWait::timeout());
}

sqlite3* BXSqlDb::_handle() const
{
    return SqliteDriver::handle(connection());
}

bool BXSqlDb::_isReadOnly() const
{
    return ::isReadOnly(connection());
}

bool BXSqlDb::transactionActive() const
{
    sqlite3* db = _handle();
    return !db || sqlite3_get_autocommit(db) == 0;
}

bool BXSqlDb::_beginTransaction()
{
    // A change begun inside another is a part of it, kept or dropped with the whole.
    if (nestedTransactionLevel > 0) {
        ++nestedTransactionLevel;
        return true;
    }
    if (!mayRun(true, nullptr))
        return false;
    m_changeLost = false;
    m_partDropped = false;
    // The write lock is taken at the start, so that a change waits for other programs once,
    // before anything is written, rather than at each of its statements.
    if (connection().exec(QStringLiteral("BEGIN IMMEDIATE")).lastError().isValid()) {
        _noteRefusal();
        return false;
    }
    ++nestedTransactionLevel;
    return true;
}

StoreResult BXSqlDb::_beginSole()
{
    assert(nestedTransactionLevel == 0);
    sqlite3* db = _handle();
    // The busy handler is put back at once: only this begin goes without a wait.
    if (db)
        sqlite3_busy_timeout(db, 0);
    const bool refused = connection().exec(QStringLiteral("BEGIN EXCLUSIVE")).lastError().isValid();
    const StoreResult outcome = refused ? _judged(_refusal()) : StoreResult();
    _applyBusyTimeout();
    if (refused) {
        _note(outcome.ofTransaction(), true);
        return outcome;
    }
    m_changeLost = false;
    m_partDropped = false;
    ++nestedTransactionLevel;
    return {};
}

bool BXSqlDb::_commitTransaction()
{
    assert(nestedTransactionLevel > 0);
    if (--nestedTransactionLevel > 0)
        return !m_changeLost && !m_partDropped;
    // A transaction that lost a statement to the store, or one of whose parts was dropped, is
    // never kept in part.
    const bool whole = !m_changeLost && !m_partDropped;
    if (whole && connection().commit())
        return true;
    if (whole)
        _noteRefusal();
    // SQLite keeps the transaction open after some failures (a reader holding the file, say);
    // after others it has rolled back already.
    if (transactionActive() && !connection().rollback())
        qWarning("The failed change could not be rolled back: %s",
                 qPrintable(connection().lastError().text()));
    _proveAfterChange();
    return false;
}

bool BXSqlDb::_rollbackTransaction()
{
    assert(nestedTransactionLevel > 0);
    if (--nestedTransactionLevel > 0) {
        m_partDropped = true;
        return true;
    }
    // After some errors, a full disk among them, SQLite has already rolled back.
    const bool ended = connection().rollback() || !transactionActive();
    if (!ended)
        _noteRefusal();
    _proveAfterChange();
    return ended;
}
