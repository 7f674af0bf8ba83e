#pragma once

#include <QCoreApplication>
#include <QString>

class QSqlError;

// What the store made of one call: done, or why not. The reason names what stopped it
// (another program holding the diary, a file that may not be written, a full disk, a damaged
// file) or carries SQLite's own text for anything else.
class [[nodiscard]] StoreOutcome
{
    Q_DECLARE_TR_FUNCTIONS(StoreOutcome)

public:
    enum class Reason { Ok, Busy, ReadOnly, DiskFull, Damaged, Other };

    StoreOutcome() = default;
    StoreOutcome(Reason reason, const QString& detail);
    // The outcome of a SQLite result code (extended codes keep the primary one in their low
    // byte) and SQLite's text for it.
    static StoreOutcome fromCode(int code, const QString& text);
    static StoreOutcome fromError(const QSqlError& error);
    // A read or write that the system failed (`detail` names its reason): says nothing of the
    // file, and no change of the moment can be kept.
    static StoreOutcome systemFailure(const QString& detail);

    bool ok() const { return m_reason == Reason::Ok; }
    explicit operator bool() const { return ok(); }
    Reason reason() const { return m_reason; }
    bool busy() const { return m_reason == Reason::Busy; }
    // SQLite's text (empty when the reason says it all).
    QString detail() const { return m_detail; }
    // Whether the store itself failed (so that no change of the moment can be kept), rather than
    // refusing one statement (a constraint, say).
    bool lost() const { return m_lost; }
    // Whether the store stopped for a reason of the system (a read error, too many files open,
    // the system out of memory) rather than SQLite finding the file damaged or another program
    // holding it: that says nothing of the file.
    bool systemFault() const { return m_lost && m_reason != Reason::Damaged && m_reason != Reason::Busy; }
    // This outcome as the failure of a transaction's control (its begin or its commit): it keeps
    // its reason, and no change of the transaction can be kept.
    StoreOutcome ofTransaction() const;

    // What the user is told about a change this outcome stopped.
    QString changeText() const;
    // What the user is told about a reading this outcome stopped.
    QString readText() const;

private:
    Reason m_reason = Reason::Ok;
    QString m_detail;
    bool m_lost = false;
};
