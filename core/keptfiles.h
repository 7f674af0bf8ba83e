#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The files that the program keeps for itself: the diary with what SQLite and the program's
// own copies keep beside it, the lock of the user data, the list of files being written with
// the working files it names, the settings and their locks. The program removes, replaces or
// reads each of them on its own, so none is ever a place for a file that the user names (a
// print, an export, a backup): it would be lost after "successful", or take the program's
// file with it. A path is one of them when it names the same file, through links and with its
// folder as the system finds it; no other name is taken for one.
class KeptFiles
{
    Q_DECLARE_TR_FUNCTIONS(KeptFiles)

public:
    using Names = std::function<QStringList()>;

    // From now on the files that `names` lists, asked afresh each time, are kept too, in place
    // of what `source` listed before. For the layers above this one, whose files it cannot
    // name itself.
    static void add(const QString& source, Names names);
    // Whether `path` names one of the files that the program keeps.
    static bool holds(const QString& path);
    // Why the program may not write a file that the user named `path`: what stands there is
    // not a file (a pipe would block its open, a device would take the data), a link to nothing,
    // or one of the program's own, also one called like its working files. Nothing when it is a
    // file or a new name. Nothing is opened to tell.
    static std::optional<QString> targetProblem(const QString& path);
};
