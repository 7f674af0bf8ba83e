#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

class StoreResult;

// What the proof of a diary file (BXSqlDb::proveFile) checks beside its version, schema and
// integrity, and how it tells what stopped it.
class DiaryProof
{
    Q_DECLARE_TR_FUNCTIONS(DiaryProof)

public:
    // A reading of a file to be proven that the system failed: it says nothing of the file.
    static std::string notReadNow(const StoreResult& stopped);
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
