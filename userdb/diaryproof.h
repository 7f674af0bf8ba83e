#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

class StoreResult;
class WorkProgress;

// The proof that a diary file is one the program can use, for its upgrade or to take the
// diary's place: its version, its schema, its integrity and, for a restore, its ids, trees,
// tracked tables and devices; and how it tells what stopped it.
class DiaryProof
{
    Q_DECLARE_TR_FUNCTIONS(DiaryProof)

public:
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

    static std::string triggersFailed(const StoreResult& why);
    // Whether every entry of the diaries and their groups has an id that the program gives;
    // otherwise false with the first that has not, or why they cannot be read. SQLite gives a new
    // row the highest id plus one, so the highest id must leave a next one that the program can
    // hold (HighestRowId).
    static bool holdsStorableRowIds(std::string& error);
    // Whether every user, owner and catalogue item that a row names is an id of its kind that
    // the program gives (StoredId), and every group a diary line names is there; otherwise
    // false with the first that is not, or why they cannot be read.
    static bool holdsStorableLinks(std::string& error);
    // Whether the catalogues' categories of the running connection form trees, each below its
    // root; otherwise false with the link found, or why they cannot be read.
    static bool holdsNoLoop(std::string& error);

private:
    static bool holdsNamedGroups(std::string& error);
};
