#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>

// Every file the program writes for the user (a copy of the diary, an export) is written
// beside its destination under a working name, readable by the user alone, and takes the
// destination's name only once it is whole and on the disk, with the modes of the file it
// replaces. A write that fails or is cut short leaves what the destination held as it was; a
// working file never committed is removed.
// A destination that is a link is written where the link points, so the link stays a link.
class WorkingFile
{
public:
    // What a file is called until it is whole.
    static constexpr const char* Suffix = ".partial";

    // The file that a write to `path` lands in: `path` itself, or, when it is a link, the file
    // the link names (also one that does not exist yet).
    static QString fileBehind(const QString& path);
    // From now on, notes in the file `ledger` where each working file is being written until it
    // is gone, so that one left by a process that was killed is found in whatever folder it
    // lies. First removes those that the ledger names from an earlier run; one that cannot be
    // reached now (a disk not connected) stays noted. A working file is begun only once the
    // ledger names it. A ledger that cannot be read whole (a pipe, a link to nothing, no
    // permission, a read that ends short twice) is left as it is, and no working file is begun:
    // the reason, naming it, is given back. One that cannot be written now (its disk full, say)
    // never keeps a file from being written to a disk that has room: that working file is begun
    // without a note.
    static std::optional<QString> keepLedger(const QString& ledger);
    // The ledger kept now and the working files that it names.
    static QStringList ledgerFiles();
    // Whether `path` is a working file as this program makes one: called so, and a file (not a
    // link) of the user's own that the user alone may read. Nothing else is ever removed as one.
    static bool isOwn(const QString& path);
    // Puts the names in the folder of `file` on the disk, so that a rename or a removal there
    // outlives a power cut; false when the system refused.
    static bool syncFolder(const QString& file);
    // Gives the program's own `file`, about to take the place of `replaced`, the access that
    // `replaced` grants, so that a file the user shares stays shared; a new file (no regular
    // file replaced) keeps the access it was made with.
    static void takeModes(const QString& file, const QString& replaced);

    explicit WorkingFile(const QString& destination);
    ~WorkingFile();
    WorkingFile(const WorkingFile&) = delete;
    WorkingFile& operator=(const WorkingFile&) = delete;

    // Starts the working file, in place of any that an earlier write left; false with the
    // reason, naming the folder or the ledger that failed.
    bool open(QString* reason);
    // Adds `size` bytes; a short write is tried again for the rest, so that a failure leaves
    // its reason in device().
    bool write(const char* data, qint64 size);
    // Where the data goes between open() and commit().
    QFile& device() { return _file; }
    // Puts the data on the disk and gives it the destination's name; false with the reason,
    // and then the destination is as it was. Once it has the name, `unsynced`, when given,
    // gets the system's reason when the folder's names could not be put on the disk: a power
    // cut may then still lose the file.
    bool commit(QString* reason, QString* unsynced = nullptr);

private:
    QString _destination;
    QFile _file;
    bool _committed = false;
    // The folder that the working file is made in, from open() on: it is removed there also
    // when the folder was moved or renamed meanwhile.
    int _folder = -1;
    // Whether the ledger names the working file.
    bool _noted = false;
    // Whether open() made the working file, so that only what it made goes.
    bool _made = false;
};
