// Import of the user data of an older installation, tried when a user has no database yet.

#include "userdb/previousdataimport.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "userdb/diaryheader.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// The files of an older dBase data set, all of which must be there.
const char* const CodebaseFiles[] = {
    "DRYFDS.DBF", "DRYEXS.DBF", "CSEXS.DBF", "CSEXCATS.DBF", "CSFDS.DBF",
    "CSFDCATS.DBF", "SAVMEAL.DBF", "SAVMEALI.DBF", "USRUSRS.DBF", "USRCHKS.DBF",
};

bool isReadableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

bool isUsableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isWritable();
}

} // namespace

PreviousDataImport::Question PreviousDataImport::s_question;

void PreviousDataImport::setQuestion(Question question)
{
    s_question = std::move(question);
}

bool PreviousDataImport::run(QString* reason)
{
    BrandEngine* brand = BrandEngine::instance();
    if (!brand->idExists("datastore.old_path.count"))
        return false;
    const int count = brand->getInt("datastore.old_path.count");
    for (int index = 0; index < count; ++index) {
        const QByteArray id = QByteArray("datastore.old_path.path_") + QByteArray::number(index);
        if (!brand->idExists(id.constData()))
            continue;
        const QString folder =
            BXSettings::joinPaths(BXSettings::getAppDataDir(), brand->getString(id.constData()));
        if (importSQLite(folder, reason) || importCodebase(folder))
            return true;
    }
    return false;
}

bool PreviousDataImport::importSQLite(const QString& folder, QString* reason)
{
    const QString source = BXSettings::joinPaths(folder, QLatin1String(DiaryLocation::FileName));
    if (!isReadableFile(source) || !isUsableFolder(BXSettings::getUserDBPath()))
        return false;
    const QString destination =
        BXSettings::joinPaths(BXSettings::getUserDBPath(), QLatin1String(DiaryLocation::FileName));
    // Nobody can be asked: the older data is left where it is.
    if (QFileInfo::exists(destination) || !s_question)
        return false;
    if (DiaryHeader::isOlderFormat(source)) {
        s_question(Found::OlderFormat, source);
        return false;
    }
    if (!s_question(Found::Importable, source))
        return false;
    // Like every copy, it takes its name only once it is whole; the next start removes a copy
    // cut short.
    QString why;
    if (FileCopy::copy(QFileInfo(source).absoluteFilePath(), destination, &why))
        return true;
    if (reason)
        *reason = tr("Your data of an earlier version, %1, cannot be copied to %2: %3. It has "
                     "been left where it is, and the next start offers it again.")
                      .arg(QDir::toNativeSeparators(QDir::cleanPath(source)),
                           QDir::toNativeSeparators(QDir::cleanPath(destination)), why);
    return false;
}

bool PreviousDataImport::importCodebase(const QString& folder)
{
    // Nothing in this program reads dBase tables, so such a data set cannot become a user
    // database. Its files are kept beside the new database (which then starts from the
    // template) so that they are not lost with the older installation.
    const QString destinationFolder = BXSettings::getUserDBPath();
    for (const char* name : CodebaseFiles) {
        if (!isReadableFile(BXSettings::joinPaths(folder, QLatin1String(name)))
            || QFileInfo::exists(BXSettings::joinPaths(destinationFolder, QLatin1String(name))))
            return false;
    }
    QStringList copied;
    for (const char* name : CodebaseFiles) {
        const QString destination = BXSettings::joinPaths(destinationFolder, QLatin1String(name));
        QString reason;
        if (!FileCopy::copy(BXSettings::joinPaths(folder, QLatin1String(name)), destination, &reason)) {
            for (const QString& file : copied)
                QFile::remove(file);
            return false;
        }
        copied.append(destination);
    }
    return false;
}
