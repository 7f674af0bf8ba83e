#pragma once

#include "userdb/storeresult.h"

#include <QString>

#include <string>

class WorkProgress;

// A restore staged beside the diary: the proven copy put in the diary's place, the data as it
// was kept beside it until the restore ends, and that data put back when the restore does not
// stay (see BXSqlDb::installCopy and BXSqlDb::endRestore).
class RestoreStaging
{
public:
    static StoreResult install(const QString& candidate, WorkProgress* progress = nullptr);
    // `progress`, when given, is told of the check of the data as it was before it goes back,
    // and once it stops that data stays beside the diary, unchecked.
    static StoreResult end(bool keepRestored, WorkProgress* progress = nullptr);
    // What the user is told, once, when a start put back the data kept by a restore that did not
    // finish; empty when none was put back since it was last told.
    static QString takeUndone();
    // Set from the moment a restored copy takes the diary's place until end(): the copy of the
    // data as it was is then this process's own, not a leftover.
    static bool pending();
    // Puts back the data that a restore which did not finish kept, as a start finds it, and
    // notes that the user is to be told; Refused with what the user is told when it cannot
    // (or `progress` stopped its check).
    static StoreResult undoLeftOver(WorkProgress* progress = nullptr);
};
