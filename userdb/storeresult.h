#pragma once

#include <QString>

#include <string>

// What an operation on the diary's file came to (its start, its proof, its integrity check, a
// restore's steps), with what the user is told of it: the kind tells the caller what to offer,
// the message says why, and may accompany one that was done.
class [[nodiscard]] StoreResult
{
public:
    // Done; Refused: the file holds what the program cannot use, or a step of its own failed;
    // Damaged: SQLite finds the file damaged; Unread: a reason of the system (or a stop the user
    // asked for) kept it from being read, which says nothing of the file; Busy: another program
    // holds it.
    enum class Kind { Done, Refused, Damaged, Unread, Busy };

    // Marks where a reason ends and a long report that belongs in a box's details begins.
    static constexpr const char* DetailsMark = "\n\nDetails:\n";

    StoreResult() = default;
    StoreResult(Kind kind, std::string message);
    // Done, with a note for the user (empty when there is none).
    static StoreResult done(std::string note);

    Kind kind() const { return m_kind; }
    bool ok() const { return m_kind == Kind::Done; }
    explicit operator bool() const { return ok(); }
    // Whether the file could not be read (Unread or Busy): that says nothing of it.
    bool unread() const { return m_kind == Kind::Unread || m_kind == Kind::Busy; }
    const std::string& message() const { return m_message; }

    // The text before DetailsMark; *details gets what follows it (empty when there is none).
    static QString splitDetails(const QString& text, QString* details);

private:
    Kind m_kind = Kind::Done;
    std::string m_message;
};
