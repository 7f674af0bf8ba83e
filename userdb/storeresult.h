#pragma once

#include <QCoreApplication>
#include <QString>

class QSqlError;

// What the store made of one call or one operation on the diary's file (a statement, its start,
// its proof, its integrity check, a restore's steps): done, or why not, with what the user is
// told of it. The kind tells the caller what to offer, the message says why (SQLite's own text
// for a statement), and may accompany one that was done.
class [[nodiscard]] StoreResult
{
    Q_DECLARE_TR_FUNCTIONS(StoreResult)

public:
    // Done; Busy: another program holds the file; ReadOnly: the file may not be written;
    // DiskFull: the disk is full; Damaged: SQLite finds the file damaged; Unread: a reason of the
    // system (or a stop the user asked for) kept the file from being read or written, which says
    // nothing of it; Refused: the file holds what the program cannot use, or the store refused
    // one statement or step (a constraint, say).
    enum class Kind { Done, Busy, ReadOnly, DiskFull, Damaged, Unread, Refused };

    // Marks where a reason ends and a long report that belongs in a box's details begins.
    static constexpr const char* DetailsMark = "\n\nDetails:\n";

    StoreResult() = default;
    StoreResult(Kind kind, const QString& message);
    // Done, with a note for the user (empty when there is none).
    static StoreResult done(const QString& note);
    // The result of a SQLite result code (extended codes keep the primary one in their low
    // byte), with SQLite's text for it.
    static StoreResult fromCode(int code, const QString& text);
    static StoreResult fromError(const QSqlError& error);
    // A read or write that the system failed (`reason` names why): Unread.
    static StoreResult systemFailure(const QString& reason);

    Kind kind() const { return m_kind; }
    bool ok() const { return m_kind == Kind::Done; }
    explicit operator bool() const { return ok(); }
    bool busy() const { return m_kind == Kind::Busy; }
    // Why: SQLite's text for a statement (empty when the kind says it all), the reason told for
    // an operation, or a note for one that was done.
    const QString& message() const { return m_message; }
    // Whether the store itself failed (so that no change of the moment can be kept), rather than
    // refusing one statement.
    bool lost() const { return m_kind != Kind::Done && m_kind != Kind::Refused; }
    // Whether the store stopped for a reason of the system (a read error, too many files open,
    // the system out of memory, a full disk, a file that may not be written) rather than SQLite
    // finding the file damaged or another program holding it: that says nothing of the file.
    bool systemFault() const { return lost() && m_kind != Kind::Damaged && m_kind != Kind::Busy; }
    // Whether the file could not be read or written (another program's hold, a fault of the
    // system): that says nothing of it.
    bool unread() const { return busy() || systemFault(); }
    // This result as the failure of a transaction's control (its begin or its commit): no change
    // of the transaction can be kept, so one that was done or refused is Unread.
    StoreResult ofTransaction() const;

    // What the user is told about a change this result stopped.
    QString changeText() const;
    // What the user is told about a reading this result stopped.
    QString readText() const;

    // The text before DetailsMark; *details gets what follows it (empty when there is none).
    static QString splitDetails(const QString& text, QString* details);

private:
    Kind m_kind = Kind::Done;
    QString m_message;
};
