#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class QFile;

// Opens what the program reads from its resource folder or the user's folders only when it is
// a regular file. A pipe put in a file's place would block the open or the first read for
// ever, a device would never end, and a folder holds no data: each is refused at once, before
// anything is read. The check is made on the open descriptor, so nothing can be swapped in
// between the check and the read.
class RegularFile
{
    Q_DECLARE_TR_FUNCTIONS(RegularFile)

public:
    // A read-only descriptor of the file at path that the caller closes, or -1 with the
    // reason, in the system's words, in *reason when given.
    static int openDescriptor(const QString& path, QString* reason = nullptr);
    // Opens file, named path, for reading; false with the reason, in the system's words, in
    // *reason when given.
    static bool open(QFile& file, const QString& path, QString* reason = nullptr);
    // Why what lies at path, which the program or the toolkit opens by name, may not be
    // opened: a pipe, a device, a folder, a link to nothing, or no permission to read it, in
    // the system's words. Nothing when path is free or holds a regular file that can be read.
    static std::optional<QString> problem(const QString& path);
    // The first of paths that may not be opened, and why.
    static std::optional<std::pair<QString, QString>> firstProblem(const QStringList& paths);
    // What Qt opens by name to take the lock file `lock`: the lock itself, and the lock that
    // guards the removal of one left by a process that ended.
    static QStringList lockFiles(const QString& lock);
};
