#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Tells apart damage, a fault of the system and another program's hold on a database file, each
// time from the facts of the failure itself: the code SQLite returned for the call, its text,
// and what the reads of that very call came to. It opens nothing and keeps nothing between
// calls: a fault of the system that a read met earlier never names the cause of a later failure,
// and damage is damage only where a check made now finds it (FailureWitness gathers the facts
// and makes that check).
class FailureCause
{
    Q_DECLARE_TR_FUNCTIONS(FailureCause)

public:
    // What is known of one failed call.
    struct Facts
    {
        // SQLite's code as the call returned it (a driver may pass on the primary code alone), and
        // the connection's extended code for it where that is the failure told (else `code`).
        int code = 0;
        int extended = 0;
        // SQLite's text for it.
        QString text;
        // Whether the call ran on a connection: a failure of the file or the system is then a
        // fault of the system (without one, the file could not even be opened).
        bool connected = false;
        // The error of the call's last read of the main file as ReadWatch recorded it: 0 when it
        // read whole, ReadWatch::ShortRead, or the system's error number.
        int lastRead = 0;
        // The system's error number that the connection kept for the call (0 when none).
        int systemError = 0;
    };

    // The outcome of the call: another program's hold (Busy, Locked), a fault of the system with
    // its reason (on a connection), SQLite finding the file damaged, or the call's own refusal.
    static StoreResult of(const Facts& facts);
    // SQLite's text for the call's code, followed by the system's reason for it where it has one
    // ("disk I/O error: Input/output error").
    static QString faultText(const Facts& facts);
    // `outcome`, damage, as a check of the file made now found it: damage stays damage only when
    // the check (`check`, ended early by `stopped`) finds the file damaged again. A file that
    // passes that check, or that the system keeps it from reading, was not read for a reason of
    // the system, which the outcome names; one that another program holds is held (Busy).
    static StoreResult provenBy(const StoreResult& outcome, const StoreResult& check,
                                const StoreResult& stopped);
    // The verdict of an integrity check from its findings and from the failure that stopped it,
    // if any: `failedRead` is the error of the last read of the check that failed (as in
    // Facts::lastRead; 0 when every read read whole). SQLite found the file damaged, or no
    // database (Damaged); a part of it that could not be read, or any other failure (another
    // program's hold among them, then `stopped` is Busy), leaves it Unread. Otherwise than done,
    // the message is a short reason followed by StoreResult::DetailsMark and the report.
    static StoreResult judgeIntegrity(const QStringList& findings, const StoreResult& stopped, int failedRead);

private:
    // The system's reason for a read that ended with `error` (an error number, or
    // ReadWatch::ShortRead).
    static QString readReason(int error);
};
