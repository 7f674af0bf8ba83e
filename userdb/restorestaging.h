#pragma once

#include "userdb/storeresult.h"

#include <QString>

#include <string>

class WorkProgress;

// A restore staged beside the diary: the proven copy put in the diary's place, the data as it
// was kept beside it until the restore ends, and that data put back when the restore does not
// stay.
class RestoreStaging
{
public:
    // Puts a proven copy of `candidate` in place of the user database file (none may be
    // running). The copy is made and proven beside the file, the current file is kept beside it
    // (named with DiaryLocation::SafetySuffix), and the copy then takes its place in one rename.
    // Refused with the reason when a step fails; the user database file is then as it was.
    // The data as it was stays until end(). `progress`, when given, is told of the
    // copies, and once it stops nothing takes the file's place (Refused, with that reason).
    static StoreResult install(const QString& candidate, WorkProgress* progress = nullptr);
    // Ends a restore that install() began: with `keepRestored` (the restored data has opened
    // and passed its check) the restore is made final, so that no later start undoes it, and the
    // data as it was is dropped; otherwise, or when it cannot be made final, the database is
    // closed and the data as it was goes back in its place, once it proves a whole diary.
    // Refused with what the user is told when the restored data did not stay or the data as it
    // was cannot be put back; it then stays beside the file for the next start. Done when the
    // restored data stays (its message empty, or saying that the disk did not confirm that it
    // is final) or, without `keepRestored`, the data as it was is back (saying so).
    static StoreResult end(bool keepRestored);
    // What the user is told, once, when a start put back the data kept by a restore that did not
    // finish; empty when none was put back since it was last told.
    static QString takeUndone();
    // Set from the moment a restored copy takes the diary's place until end(): the copy of the
    // data as it was is then this process's own, not a leftover.
    static bool pending();
    // Puts back the data that a restore which did not finish kept, as a start finds it, and
    // notes that the user is to be told; Refused with what the user is told when it cannot.
    static StoreResult undoLeftOver();
};
