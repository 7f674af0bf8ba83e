#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>

class WorkProgress;

// The start of the diary: finding, importing or copying the file, repairing its header, opening
// it as the running connection (BXSqlDb), checking its version and schema, upgrading it, and
// making its indexes and change-tracking triggers.
class DiaryStart
{
    Q_DECLARE_TR_FUNCTIONS(DiaryStart)

public:
    // Makes the user database usable. A diary of the current format whose schema is not the
    // program's own (see DiarySchema) is refused before anything runs on it, and left as it is.
    // Otherwise than done the message says why; after a failure the caller runs
    // BXSqlDb::cleanUp(). A diary held by another program for longer than the busy wait is Busy,
    // a damaged one Damaged, one that cannot be used for another reason Refused.
    // `progress`, when given, hears the start's checks and copies: of the data a restore that did
    // not finish kept, before it goes back in the diary's place; of an older diary's upgrade; of
    // the integrity of a diary whose change tracking cannot be set up. Once it stops the start is
    // Refused (or Unread), saying so.
    static StoreResult startUp(bool enableTriggers, WorkProgress* progress = nullptr);

private:
    // Upgrades a copy of the diary, proves it and puts it in the diary's place, the diary as it
    // was kept beside it; `progress`, when given, hears the copies and the proof.
    static StoreResult upgradeOnCopy(WorkProgress* progress);
};
