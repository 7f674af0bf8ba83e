#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

class WorkProgress;

// The moves of the diary's files that a start, an upgrade and a restore make: copies, a file
// put in another's place in one step, and a file removed with its journal.
class DiaryFiles
{
    Q_DECLARE_TR_FUNCTIONS(DiaryFiles)

public:
    // Removes a file with the journal that SQLite may have left beside it; a stale journal
    // next to a new file of the same name would be played back into it. One that stays is told
    // when a file takes the name: every copy (FileCopy::copy) and every replace removes it
    // again and says so when it cannot.
    static void removeWithJournal(const QString& path);
    // Puts `from` in place of `to` in one step: a crash leaves one or the other, complete. `from`
    // takes the modes of what it replaces, and the journal left beside `to` goes with the file
    // replaced, to which it belongs. False, with errno set, when it could not take the place;
    // once it has, `stays` names a companion of the file replaced that could not go, which SQLite
    // would play into `from`.
    static bool replace(const QString& from, const QString& to, QString* stays);
    // Puts the copy of the diary as it was, made before the diary was replaced, back in its
    // place; false when it stays where it is.
    static bool putBack(const QString& copy);
    // The system's reason for the last failure (errno).
    static QString systemReason();
    // Copies with the reason as the start-up reports it, naming both files. A copy that another
    // file's safety rests on (`safety`: the data as it was, kept while that file is replaced) is
    // proven to hold what the source holds before it takes its name.
    static bool copy(const QString& source, const QString& destination, std::string& reason,
                     WorkProgress* progress = nullptr, bool safety = false);
    // Refuses copies of `bytes` in all that the disk of the user database cannot hold.
    static bool haveRoomFor(qint64 bytes, std::string& reason);
};
