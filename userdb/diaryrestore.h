#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>

class WorkProgress;

// Restore Data on the diary's files: a proven copy of a backup put in the diary's place, the data
// as it was kept beside it (RestoreStaging) until the restore ends.
class DiaryRestore
{
    Q_DECLARE_TR_FUNCTIONS(DiaryRestore)

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
    // is final) or, without `keepRestored`, the data as it was is back (saying so). `progress`,
    // when given, hears the check of the data as it was before it goes back; once it stops, that
    // data stays beside the file, unchecked, for the next start.
    static StoreResult end(bool keepRestored, WorkProgress* progress = nullptr);
};
