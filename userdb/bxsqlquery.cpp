#include "userdb/bxsqlquery.h"

#include "userdb/nullconversion.h"
#include "userdb/storeconnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>

#include <sqlite3.h>

#include <cassert>
#include <utility>

namespace {

bool isInsert(const QString& sql)
{
    const QString text = sql.trimmed();
    return text.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("REPLACE"), Qt::CaseInsensitive);
}

// Whether the statement may change the file; one SQLite cannot tell about counts as a change.
bool writes(const QSqlQuery& statement)
{
    const QVariant handle = statement.result() ? statement.result()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0) {
        if (auto* prepared = *static_cast<sqlite3_stmt* const*>(handle.constData()))
            return sqlite3_stmt_readonly(prepared) == 0;
    }
    return true;
}

StoreConnection& connection()
{
    StoreConnection* open = StoreConnection::open();
    assert(open);
    return *open;
}

// A failure of a statement, told to the connection that ran it when it is still open.
StoreResult noted(const QSqlError& error, bool change)
{
    StoreConnection* open = StoreConnection::open();
    return open ? open->noteFailure(error, change) : StoreResult::fromError(error);
}

} // namespace

BXSqlQuery::BXSqlQuery(const char* sql)
{
    m_statement = connection().lend(sql, &m_unprepared);
}

BXSqlQuery::BXSqlQuery(const QString& sql)
    : BXSqlQuery(sql.toUtf8().constData())
{
}

BXSqlQuery::BXSqlQuery(BXSqlQuery&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr)),
      m_unprepared(std::exchange(other.m_unprepared, QSqlError())),
      m_lastInsertId(std::exchange(other.m_lastInsertId, -1)),
      m_outcome(std::exchange(other.m_outcome, StoreResult()))
{
}

BXSqlQuery& BXSqlQuery::operator=(BXSqlQuery&& other) noexcept
{
    if (this != &other) {
        release();
        m_statement = std::exchange(other.m_statement, nullptr);
        m_unprepared = std::exchange(other.m_unprepared, QSqlError());
        m_lastInsertId = std::exchange(other.m_lastInsertId, -1);
        m_outcome = std::exchange(other.m_outcome, StoreResult());
    }
    return *this;
}

BXSqlQuery::~BXSqlQuery()
{
    release();
}

// Statements may outlive the connection (a handle destroyed after it closed): one that the
// connection does not keep goes here.
void BXSqlQuery::release()
{
    QSqlQuery* statement = std::exchange(m_statement, nullptr);
    StoreConnection* open = StoreConnection::open();
    if (statement && !(open && open->takeBack(statement)))
        delete statement;
}

bool BXSqlQuery::prepare(const char* sql)
{
    return prepare(QString::fromUtf8(sql));
}

bool BXSqlQuery::prepare(const QString& sql)
{
    m_lastInsertId = -1;
    if (!m_statement)
        return false;
    const bool prepared = m_statement->prepare(sql);
    m_unprepared = prepared ? QSqlError() : m_statement->lastError();
    return prepared;
}

void BXSqlQuery::bindValue(int position, const std::string& value)
{
    bindValue(position, QVariant(QString::fromStdString(value)));
}

void BXSqlQuery::bindValue(int position, const char* value)
{
    bindValue(position, QVariant(QString::fromUtf8(value)));
}

void BXSqlQuery::bindValue(int position, const QString& value)
{
    bindValue(position, QVariant(value));
}

void BXSqlQuery::bindValue(int position, int value)
{
    bindValue(position, QVariant(value));
}

void BXSqlQuery::bindValue(int position, qint64 value)
{
    bindValue(position, QVariant(value));
}

void BXSqlQuery::bindValue(int position, double value)
{
    bindValue(position, QVariant(value));
}

void BXSqlQuery::bindValue(int position, float value)
{
    bindValue(position, QVariant(storedFigure(value)));
}

void BXSqlQuery::bindValue(int position, const QVariant& value)
{
    if (value.typeId() == QMetaType::Float) {
        bindValue(position, value.toFloat());
        return;
    }
    if (m_statement)
        m_statement->bindValue(position, value);
}

bool BXSqlQuery::exec()
{
    m_lastInsertId = -1;
    m_outcome = StoreResult();
    if (!m_statement) {
        m_outcome = StoreResult(StoreResult::Kind::Refused, tr("The diary is not open"));
        return false;
    }
    const bool change = writes(*m_statement);
    if (StoreConnection* open = StoreConnection::open(); open && !open->mayRun(change, &m_outcome))
        return false;
    // SQLite's own reason, rather than what the driver makes of a statement it never had.
    if (m_unprepared.isValid()) {
        m_outcome = noted(m_unprepared, change);
        return false;
    }
    if (!m_statement->exec()) {
        m_outcome = noted(m_statement->lastError(), change);
        return false;
    }
    if (isInsert(m_statement->lastQuery()) && m_statement->numRowsAffected() > 0) {
        const QVariant id = m_statement->lastInsertId();
        if (id.isValid())
            m_lastInsertId = id.toLongLong();
    }
    return true;
}

bool BXSqlQuery::execChangingRow()
{
    return exec() && m_statement->numRowsAffected() > 0;
}

bool BXSqlQuery::next()
{
    if (!m_statement || !m_outcome.ok())
        return false;
    if (m_statement->next())
        return true;
    // The driver keeps an error of the step itself; the end of the rows leaves none.
    if (m_statement->lastError().isValid())
        m_outcome = noted(m_statement->lastError(), false);
    return false;
}

std::optional<bool> BXSqlQuery::first()
{
    if (!exec())
        return std::nullopt;
    if (next())
        return true;
    return m_outcome.ok() ? std::optional<bool>(false) : std::nullopt;
}

bool BXSqlQuery::readRows(const std::function<void()>& row)
{
    if (!exec())
        return false;
    while (next())
        row();
    return m_outcome.ok();
}

QVariant BXSqlQuery::value(int column) const
{
    return m_statement ? m_statement->value(column) : QVariant();
}

qint64 BXSqlQuery::lastInsertId() const
{
    return m_lastInsertId;
}

QSqlQuery* BXSqlQuery::operator->() const
{
    assert(m_statement);
    return m_statement;
}
