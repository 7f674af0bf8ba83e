#include "app/programicon.h"

#include "core/bxsettings.h"

#include <QDir>
#include <QFileInfo>

QIcon ProgramIcon::load()
{
    const QDir theme(BXSettings::getDirExecutable() + QStringLiteral("../share/icons/hicolor"));
    QIcon icon;
    for (const QString& size : theme.entryList({QStringLiteral("*x*")}, QDir::Dirs)) {
        const QString file = theme.filePath(size + QStringLiteral("/apps/pantrel.png"));
        // Only a regular file: the window system would wait for ever on a pipe's first read.
        if (QFileInfo(file).isFile())
            icon.addFile(file);
    }
    return icon;
}
