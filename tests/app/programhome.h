#pragma once

// Private folders for one run of the program: its home, settings, data and runtime folder,
// and the environment that points the program at them and lets it draw offscreen.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

class ProgramHome
{
public:
    ProgramHome() : _dir(folderTemplate())
    {
        for (const char* folder : {"home", "config", "data", "runtime"})
            _made = QDir(_dir.path()).mkpath(QLatin1String(folder)) && _made;
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner
                                                   | QFile::ExeOwner);
    }
    // Whether all four folders were made.
    bool isMade() const { return _made; }
    QString path(const char* folder) const { return _dir.filePath(QLatin1String(folder)); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path("home") + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // Where a private folder is made: in the temporary folder, or in /tmp when that is the
    // shorter path, as the path of a socket holds 107 bytes and the channel's own name takes
    // half of them, whatever TMPDIR says.
    static QString folderTemplate()
    {
        const QString system = QStringLiteral("/tmp");
        const QString temp = QDir::tempPath();
        const QFileInfo shorter(system);
        return (temp.size() > system.size() && shorter.isDir() && shorter.isWritable() ? system : temp)
            + QStringLiteral("/pt-XXXXXX");
    }

private:
    QTemporaryDir _dir;
    bool _made = true;
};
