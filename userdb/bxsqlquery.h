#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <string>

class QSqlQuery;

// A handle on one prepared statement of the user database. Placeholders are '?',
// bound by zero-based position.
//
// A handle made from SQL text owns its statement, lent by the open connection
// (StoreConnection), and gives it back when it is destroyed. Handles move but do not copy.
class BXSqlQuery
{
    Q_DECLARE_TR_FUNCTIONS(BXSqlQuery)

public:
    explicit BXSqlQuery(const char* sql);
    explicit BXSqlQuery(const QString& sql);
    BXSqlQuery(BXSqlQuery&& other) noexcept;
    BXSqlQuery& operator=(BXSqlQuery&& other) noexcept;
    BXSqlQuery(const BXSqlQuery&) = delete;
    BXSqlQuery& operator=(const BXSqlQuery&) = delete;
    ~BXSqlQuery();

    // Prepares the statement again with a new text; the driver's answer.
    bool prepare(const char* sql);
    bool prepare(const QString& sql);

    // Texts are bound as text values.
    void bindValue(int position, const std::string& value);
    void bindValue(int position, const char* value);
    void bindValue(int position, const QString& value);
    void bindValue(int position, int value);
    void bindValue(int position, qint64 value);
    void bindValue(int position, double value);
    // A single-precision figure is bound as the user's figure (storedFigure), never widened:
    // 0.1 is stored as 0.1, not as 0.100000001490116. So is a QVariant holding a float.
    void bindValue(int position, float value);
    // Any other value; a null QVariant binds SQL NULL.
    void bindValue(int position, const QVariant& value);

    // Runs the prepared statement with the bound values.
    bool exec();
    // Runs a change: whether it ran and changed a row (an UPDATE or DELETE that finds none of
    // its rows changes nothing and gives false).
    bool execChangingRow();
    // Steps to the next row; false at the end and when the step failed, which outcome()
    // then tells (a damaged page met halfway, say).
    bool next();
    // What became of the last exec() and the steps since: ok, or why the statement was
    // refused or failed. A reading that ends without error read every row there is.
    const StoreResult& outcome() const { return m_outcome; }
    // Runs the statement and steps to its first row: whether there is one; nothing when the
    // statement or the step failed, so that a row that could not be read is never taken for
    // a missing one.
    std::optional<bool> first();
    // Runs the statement and hands each row to `row`: whether every row was read.
    bool readRows(const std::function<void()>& row);
    QVariant value(int column) const;
    // The row id of the row that the last exec() inserted, or -1 when that exec()
    // failed or inserted nothing (never the id of an earlier insert).
    qint64 lastInsertId() const;

    // The wrapped statement (null once given back).
    QSqlQuery* statement() const { return m_statement; }
    QSqlQuery* operator->() const;
    bool isNull() const { return m_statement == nullptr; }

private:
    void release();

    QSqlQuery* m_statement = nullptr;
    // Why the statement's text could not be prepared (no such table, say): every run fails so.
    QSqlError m_unprepared;
    qint64 m_lastInsertId = -1;
    StoreResult m_outcome;
};
