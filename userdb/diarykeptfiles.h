#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QStringList>

class WorkProgress;

// The files that the program keeps beside the diary, and what a process that died while it
// replaced the diary left of them.
class DiaryKeptFiles
{
    Q_DECLARE_TR_FUNCTIONS(DiaryKeptFiles)

public:
    // The diary and the files that the program keeps beside it (its journal, the copies that a
    // start, an upgrade or a restore makes and keeps, with their working names and journals),
    // which a start removes or puts in the diary's place: never a place for the user's own
    // file. A start lists them with the files the program keeps.
    static QStringList list();
    // What a process that died while it replaced the diary left behind. The copies made on the
    // way are removed, also those cut short before they were whole. The data as it was before a
    // restore goes back in the diary's place, as the restore did not finish; it is never removed,
    // for it may be the one copy of the user's data. Once emptied or renamed, the restore finished
    // and it goes, unless the diary holds nothing. Refused with the reason when it cannot be put
    // back or it stays: the diary is then not opened, so that nothing is written to data that
    // would be replaced. `progress` hears the check of that data before it goes back.
    static StoreResult recoverLeftovers(WorkProgress* progress = nullptr);
};
