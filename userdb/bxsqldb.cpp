#include "userdb/bxsqldb.h"

#include "core/bxsettings.h"
#include "core/notificationcenter.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDriver>
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

// Runs one statement of a table rebuild; a failure throws `failure`.
void runOrThrow(const QString& sql, const char* failure)
{
    BXSqlQuery statement(sql);
    if (!statement.exec())
        throw BXException(failure);
}

QStringList readColumn(const char* sql, const char* boundText, const QString& failure)
{
    BXSqlQuery statement(sql);
    statement.bindValue(0, boundText);
    if (!statement.exec())
        throw BXException(failure);
    QStringList texts;
    while (statement.next())
        texts.append(statement.value(0).toString());
    return texts;
}

// The comma-separated names of the columns of a table's column definitions.
QString columnList(const QString& definitions)
{
    static const QRegularExpression leadingSpaceOrKey(
        QStringLiteral("^\\s*|,?\\s*PRIMARY KEY[^)]*\\)"));
    static const QRegularExpression typeWords(
        QStringLiteral("\\s*(TEXT|INTEGER|PRIMARY|KEY|NUMERIC|BOOL)\\s*"));
    QString list = definitions;
    list.remove(leadingSpaceOrKey);
    list.remove(typeWords);
    return list.trimmed();
}

// Whether the table has a column of exactly that name (SQL names ignore case).
bool hasColumn(const QString& table, const QString& column)
{
    BXSqlQuery info(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    if (!info.exec())
        throw BXException(QStringLiteral("Cannot retrieve schema for ") + table);
    while (info.next()) {
        if (info.value(1).toString().compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The primary SQLite result code of a driver error (extended codes keep it in their low byte).
int primaryCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

} // namespace

BXSqlDb* BXSqlDb::_instance = nullptr;

BXSqlDb::BXSqlDb(const QString& path, std::string& error, bool& failed)
{
    failed = false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QLatin1String(ConnectionName));
    db.setDatabaseName(path);
    db.setUserName(QString());
    db.setPassword(QString());
    if (db.open() && !db.isOpenError()) {
        // The file is copied whole by backup, restore and the handheld component:
        // keep the single-file rollback journal and write through to the disk.
        db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        m_open = true;
        _applyBusyTimeout();
        return;
    }
    error = db.lastError().text().toStdString();
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

BXSqlQuery BXSqlDb::query(int slot, const char* sql)
{
    return instance()->_query(slot, sql);
}

BXSqlQuery BXSqlDb::query(const char* sql)
{
    return query(-1, sql);
}

BXSqlQuery BXSqlDb::_query(int /*slot*/, const char* sql)
{
    const QByteArray text(sql);
    for (auto idle = m_idle.rbegin(); idle != m_idle.rend(); ++idle) {
        if (idle->sql == text) {
            QSqlQuery* statement = idle->statement.release();
            m_idle.erase(std::next(idle).base());
            m_lent.emplace(statement, text);
            return BXSqlQuery(statement, false);
        }
    }
    auto* statement = new QSqlQuery(connection());
    // Rows are read once, in order; nothing keeps them for going back.
    statement->setForwardOnly(true);
    if (statement->prepare(QString::fromUtf8(sql)))
        m_lent.emplace(statement, text);
    return BXSqlQuery(statement, false);
}

void BXSqlDb::finished(BXSqlQuery& query)
{
    // Statements may outlive the connection (a handle destroyed after cleanUp), so
    // giving one back needs no instance.
    QSqlQuery* statement = std::exchange(query.m_statement, nullptr);
    if (statement && !(_instance && _instance->_keepIdle(statement)))
        delete statement;
}

bool BXSqlDb::_keepIdle(QSqlQuery* statement)
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

BXSqlDb::Failure BXSqlDb::lastFailure()
{
    return _instance ? _instance->m_failure : Failure::None;
}

bool BXSqlDb::diskWasFull()
{
    return lastFailure() == Failure::DiskFull;
}

bool BXSqlDb::changeWasLost()
{
    return lastFailure() != Failure::None;
}

QString BXSqlDb::failureText()
{
    switch (lastFailure()) {
    case Failure::DiskFull:
        return tr("The disk is full: the change was not saved.");
    case Failure::Busy:
        return tr("The diary is in use by another program (a backup tool or a database shell, "
                  "say): the change was not saved. Let that program finish or close it, then "
                  "try again.");
    case Failure::Refused:
        return tr("The diary could not be written (%1): the change was not saved. Check the "
                  "disk that holds your data, then try again.")
            .arg(_instance->m_failureDetail);
    case Failure::None:
        break;
    }
    return QString();
}

void BXSqlDb::noteStatement()
{
    if (_instance && _instance->nestedTransactionLevel == 0)
        _instance->m_failure = Failure::None;
}

void BXSqlDb::noteFailure(const QSqlError& error)
{
    if (!_instance)
        return;
    const int code = primaryCode(error);
    if (code == SQLITE_FULL)
        _instance->_noteLoss(Failure::DiskFull, QString());
    else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        _instance->_noteLoss(Failure::Busy, QString());
    else if (code == SQLITE_READONLY)
        _instance->_noteLoss(Failure::Refused, error.databaseText());
}

// The driver does not pass SQLite's code on for its transaction control: it is read from
// the connection itself.
void BXSqlDb::_noteRefusal()
{
    sqlite3* db = _handle();
    const int code = db ? sqlite3_errcode(db) : SQLITE_ERROR;
    if (code == SQLITE_FULL)
        _noteLoss(Failure::DiskFull, QString());
    else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        _noteLoss(Failure::Busy, QString());
    else
        _noteLoss(Failure::Refused, db ? QString::fromUtf8(sqlite3_errmsg(db))
                                       : connection().lastError().text());
}

// A change's first failure names its reason; the user is told once.
void BXSqlDb::_noteLoss(Failure failure, const QString& detail)
{
    if (m_failure != Failure::None)
        return;
    m_failure = failure;
    m_failureDetail = detail;
    announceFailure(failureText());
}

// Posts "userdb_change_not_saved" once the change that failed has returned, so that whoever
// tells the user does so outside the change; failures in a row are announced once.
void BXSqlDb::announceFailure(const QString& text)
{
    static bool pending = false;
    QCoreApplication* application = QCoreApplication::instance();
    if (pending || !application)
        return;
    pending = true;
    QMetaObject::invokeMethod(
        application,
        [text] {
            pending = false;
            QString told = text;
            NotificationCenter::notify("userdb_change_not_saved", static_cast<void*>(&told));
        },
        Qt::QueuedConnection);
}

int BXSqlDb::s_busyTimeout = 10000;

void BXSqlDb::setBusyTimeout(int milliseconds)
{
    s_busyTimeout = milliseconds;
    if (_instance)
        _instance->_applyBusyTimeout();
}

int BXSqlDb::busyTimeout()
{
    return s_busyTimeout;
}

void BXSqlDb::_applyBusyTimeout()
{
    connection().exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(s_busyTimeout));
}

sqlite3* BXSqlDb::_handle() const
{
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
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
    m_failure = Failure::None;
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

bool BXSqlDb::_commitTransaction()
{
    assert(nestedTransactionLevel > 0);
    if (--nestedTransactionLevel > 0)
        return m_failure == Failure::None && !m_partDropped;
    // A transaction that lost a statement to the store, or one of whose parts was dropped, is
    // never kept in part.
    const bool whole = m_failure == Failure::None && !m_partDropped;
    if (whole && connection().commit())
        return true;
    if (whole)
        _noteRefusal();
    // SQLite keeps the transaction open after some failures (a reader holding the file, say);
    // after others it has rolled back already.
    if (transactionActive() && !connection().rollback())
        qWarning("The failed change could not be rolled back: %s",
                 qPrintable(connection().lastError().text()));
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
    if (connection().rollback() || !transactionActive())
        return true;
    _noteRefusal();
    return false;
}

void BXSqlDb::addColumn(const char* table, const char* column, const char* type)
{
    const QString tableName = QString::fromUtf8(table);
    const QStringList creation = readColumn(
        "SELECT sql FROM sqlite_master WHERE type='table' AND name=?", table,
        QStringLiteral("Cannot retrieve schema for ") + tableName);
    const QStringList indexes = readColumn(
        "SELECT sql FROM sqlite_master WHERE type='index' and tbl_name = ?", table,
        QStringLiteral("Cannot retrieve schema for ") + tableName);

    const QString createText = creation.value(0);
    const qsizetype open = createText.indexOf(QLatin1Char('('));
    const qsizetype close = createText.lastIndexOf(QLatin1Char(')'));
    const QString definitions = (open >= 0 && close > open)
        ? createText.mid(open + 1, close - open - 1) : QString();
    if (hasColumn(tableName, QString::fromUtf8(column)))
        return;
    const QString columns = columnList(definitions);

    runOrThrow(QStringLiteral("CREATE TEMPORARY TABLE xxx_yyy_temp_table (%1)").arg(definitions),
               "Cannot create temp table");
    runOrThrow(QStringLiteral("INSERT INTO xxx_yyy_temp_table SELECT %1 FROM %2")
                   .arg(columns, tableName),
               "Cannot insert into temp table");
    runOrThrow(QStringLiteral("DROP TABLE ") + tableName, "Cannot drop table");
    runOrThrow(QStringLiteral("CREATE TABLE %1(%2 %3, %4)")
                   .arg(tableName, QString::fromUtf8(column), QString::fromUtf8(type), definitions),
               "Cannot create new table");
    runOrThrow(QStringLiteral("INSERT INTO %1(%2) SELECT %2 FROM xxx_yyy_temp_table")
                   .arg(tableName, columns),
               "Cannot insert into new table");
    runOrThrow(QStringLiteral("DROP TABLE xxx_yyy_temp_table"), "Cannot drop temp table");
    for (const QString& index : indexes) {
        if (!index.isEmpty())
            runOrThrow(index, "Cannot create index");
    }
}

int BXSqlDb::getVersion()
{
    BXSqlQuery statement("SELECT itemvalue FROM userdata_meta WHERE itemkey = 'schema_version'");
    if (!statement.exec() || !statement.next())
        return 0;
    return statement.value(0).toInt();
}
