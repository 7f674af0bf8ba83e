#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>

class QSqlDatabase;
class QSqlError;
class WorkProgress;

// The integrity check of a diary file, read on a connection of its own that changes nothing, and
// the proof of the damage that a failure met. A file is called damaged only when a second check
// of it, on a connection of its own, finds damage too; otherwise a read gave other bytes once,
// and the file is Unread.
class FileIntegrity
{
    Q_DECLARE_TR_FUNCTIONS(FileIntegrity)

public:
    // Done when the file is whole, Damaged, or Unread when the check could not run to its end
    // (the file could not be opened or read, too many files open, another program held it),
    // which says nothing of the file; otherwise than done with a short reason followed by
    // StoreResult::DetailsMark and the whole report. `stopped`, when given, gets the failure that
    // ended the check early. It runs in steps under `progress`, when given (see StepWatch): once
    // that stops, the check ends Unread.
    static StoreResult check(const QString& path, StoreResult* stopped = nullptr,
                             WorkProgress* progress = nullptr);
    // The verdict `first` of a check of the file at `path`, its damage checked again.
    static StoreResult checkedAgain(const QString& path, const StoreResult& first, WorkProgress* progress);
    // `outcome` with its damage proven: damage stays damage only when SQLite finds the file at
    // `path` damaged again, on a connection of its own that reads it whole now. A file that
    // passes that check, or that cannot be checked, was not read for a reason of the system,
    // which the outcome names; one that another program holds is Busy.
    static StoreResult proven(const StoreResult& outcome, const QString& path);
    // The same for `error` of a statement on `db`, told by that failure alone (see FailureCause).
    static StoreResult proven(const QSqlError& error, const QSqlDatabase& db);

private:
    // One check of the file at `path`, whatever it finds.
    static StoreResult checkOnce(const QString& path, StoreResult* stopped, WorkProgress* progress);
};
