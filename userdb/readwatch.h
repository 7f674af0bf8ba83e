#pragma once

struct sqlite3;

// What the reads of a database's main file came to, recorded between SQLite and the system's
// files for every connection that the process opens:
// - a read that the system failed ends the statement as a read error with the system's error
//   number, never as damage (SQLite's own files tell EIO as a damaged file);
// - a read that ends short of what the file holds (a network or user-space file system) is
//   such a read error too, so that no zero-filled page is kept in SQLite's cache; a file that
//   is itself short (cut short, or empty) reads as SQLite reads it, but only when its size can
//   be read: a short read of a file whose size cannot be read is a read error;
// - the error number of the last read of the file stays with that read, and the next read that
//   reads whole clears it.
class ReadWatch
{
public:
    // The error number recorded for a read that ended short, which the system does not name.
    static constexpr int ShortRead = -1;

    // What the reads of one main file came to since it was opened.
    struct Reads
    {
        // The error of the last read: 0 when it read whole (or nothing was read), ShortRead, or
        // the system's error number.
        int last = 0;
        // The error of the last read that failed, and how many failed.
        int lastFailed = 0;
        long failed = 0;
    };

    // Puts the watch in place for the connections opened from now on; any number of times.
    static void install();
    // The reads of the main file of `db`; none when it is not watched.
    static Reads of(sqlite3* db);
};
