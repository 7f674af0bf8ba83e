#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>

#include <string>

class WorkProgress;

// The data as it was, kept beside the diary while a restore runs (DiaryRestore): whether this
// process's restore keeps it now, and putting it back when the restore does not stay.
class RestoreStaging
{
    Q_DECLARE_TR_FUNCTIONS(RestoreStaging)

public:
    // What the user is told, once, when a start put back the data kept by a restore that did not
    // finish; empty when none was put back since it was last told.
    static QString takeUndone();
    // A restore begins: data that an earlier restore's failure put back was told with it.
    static void forgetUndone();
    // Set from the moment a restored copy takes the diary's place until the restore ends: the
    // copy of the data as it was is then this process's own, not a leftover.
    static bool pending();
    static void setPending(bool pending);
    // Puts back the data that a restore which did not finish kept, as a start finds it, and
    // notes that the user is to be told; Refused with what the user is told when it cannot
    // (or `progress` stopped its check).
    static StoreResult undoLeftOver(WorkProgress* progress = nullptr);
    // Puts the copy of the data kept during a restore back in the diary's place, with no journal
    // of the restored copy beside it. False with what the user is told when it is not a whole
    // diary (both files then stay as they are) or the rename failed. `progress`, when given,
    // hears the check of that copy; once it stops, the copy stays, unchecked.
    static bool putBack(std::string& error, WorkProgress* progress = nullptr);
    // What the user is told when the data as it was went back.
    static QString undoneText();
};
