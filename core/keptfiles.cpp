#include "core/keptfiles.h"

#include "core/bxsettings.h"
#include "core/workingfile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <utility>

namespace {

std::map<QString, KeptFiles::Names>& sources()
{
    static std::map<QString, KeptFiles::Names> added;
    return added;
}

// The file that a write to `path` would land in, named by its folder as the system finds it
// (a folder that is not there as written).
QString fileWritten(const QString& path)
{
    const QFileInfo file(WorkingFile::fileBehind(QFileInfo(path).absoluteFilePath()));
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? QDir::cleanPath(file.absolutePath()) : folder) + QLatin1Char('/')
        + file.fileName();
}

} // namespace

void KeptFiles::add(const QString& source, Names names)
{
    sources()[source] = std::move(names);
}

bool KeptFiles::holds(const QString& path)
{
    QStringList kept = BXSettings::keptFiles() + WorkingFile::ledgerFiles();
    for (const auto& [source, names] : sources())
        kept += names();
    const QString file = fileWritten(path);
    // The start removes what is called like a working file from the folders backed up to.
    if (file.endsWith(QLatin1String(WorkingFile::Suffix)))
        return true;
    return std::any_of(kept.cbegin(), kept.cend(),
                       [&file](const QString& name) { return !name.isEmpty() && fileWritten(name) == file; });
}

std::optional<QString> KeptFiles::targetProblem(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Told from the name alone: an open of a pipe waits for a reader.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return tr("%1 is not a file").arg(shown);
    // A link is judged by what it points to: a file to be made in its place would take the link's.
    if (target.isSymLink() && !target.exists())
        return tr("%1 is a link to %2, which does not exist").arg(shown, QDir::toNativeSeparators(target.symLinkTarget()));
    if (holds(path))
        return tr("%1 is a file that this program keeps for itself").arg(shown);
    return std::nullopt;
}
