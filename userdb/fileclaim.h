#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

struct sqlite3;

// SQLite's own lock on a database file, held through a connection of its own for as long as
// the claim lives. A whole-file copy holds it so that no other program (a database shell, the
// handheld component) changes the file while it is copied or replaced; the start-up asks it
// whether a file that does not open is busy or damaged.
class FileClaim
{
    Q_DECLARE_TR_FUNCTIONS(FileClaim)

public:
    enum class Mode {
        // Others may read the file but not change it.
        Read,
        // Nobody else may read or change it.
        Sole,
    };
    enum class State {
        Held,
        // Another program holds the file longer than the wait.
        Busy,
        // SQLite reports the file as not a database or as damaged.
        Damaged,
        // The file cannot be opened or read for another reason (see reason()).
        Failed,
    };

    // Waits up to `waitMs` for the lock.
    FileClaim(const QString& path, Mode mode, int waitMs);
    ~FileClaim();
    FileClaim(const FileClaim&) = delete;
    FileClaim& operator=(const FileClaim&) = delete;

    State state() const { return _state; }
    // SQLite's words for a claim that is not held, or why the journal beside the file may not
    // be opened (the file is then never opened).
    QString reason() const { return _reason; }
    // Why the journal that SQLite would open beside the database at path may not be opened (a
    // pipe, a link to nothing, a path longer than SQLite takes), naming it; nothing when there
    // is none or it may.
    static std::optional<QString> journalProblem(const QString& path);

    // Lets the file go before the claim ends.
    void release();

private:
    sqlite3* _db = nullptr;
    State _state = State::Failed;
    QString _reason;
};
