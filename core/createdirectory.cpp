#include "core/createdirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

namespace {

bool isDirectory(const QString& path)
{
    return QFileInfo(path).isDir();
}

} // namespace

bool orvCreateDirectory(const QString& path)
{
    // Levels are always added from the root, so a relative path is taken from the current
    // folder rather than silently from the root.
    const QString absolute = QDir::isRelativePath(path) ? QDir::current().absoluteFilePath(path) : path;
    QStringList components = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    if (absolute.startsWith(QLatin1String("//"))) {
        if (components.size() < 2)
            return false;
        current = QLatin1String("//") + components.takeFirst();
        current += QLatin1Char('/') + components.takeFirst();
    }
    for (const QString& component : components) {
        current += QLatin1Char('/') + component;
        if (!isDirectory(current) && ::mkdir(QFile::encodeName(current).constData(), 0700) != 0)
            return false;
    }
    return isDirectory(current.isEmpty() ? QStringLiteral("/") : current);
}
