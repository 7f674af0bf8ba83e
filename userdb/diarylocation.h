#pragma once

#include <QString>

// Where the diary lives: the folder of the user's data, the diary (or the link to it) in that
// folder, the file behind it, and the names of the working copies made beside that file.
class DiaryLocation
{
public:
    // The folder of the user's data.
    static QString folder();
    // The diary in the folder in use, which may be a link.
    static QString path();
    // The file that holds the diary. A diary that is a link (to a synchronised folder, say) is
    // replaced where the link points, so the link stays as the user made it.
    static QString file();
    // The file beside the diary's file named with `suffix` added.
    static QString workingCopy(const char* suffix);

    // The diary's file name in its folder.
    static constexpr const char* FileName = "userdata.db";
    // What the copy of the diary kept during a restore is called: its name followed by this. A
    // start puts back one that a restore cut short left behind.
    static constexpr const char* SafetySuffix = ".before-restore";

    // The copies that a first run, an upgrade and a restore make beside the diary's file before
    // they take its place. A process that dies before the rename leaves one behind.
    static constexpr const char* WorkingCopies[] = {".firstrun", ".upgrading", ".restoring"};
    // What the data kept during a restore is called once the restore has finished: every start
    // removes it and none puts it back.
    static constexpr const char* FinishedSuffix = ".restore-finished";
};
