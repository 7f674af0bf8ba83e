// Start-up of the user database: finding, importing or copying the file, repairing its
// header, opening it, checking its version and running the upgrade chain.

#include "userdb/bxsqldb.h"
#include "core/clock.h"

#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "userdb/userdbformat.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const char* const DatabaseFileName = "userdata.db";
const qint64 CopyChunkSize = qint64(1) << 20;

QString userDbFolder()
{
    return BXSettings::getUserDBPath();
}

QString userDbFile()
{
    return userDbFolder() + QLatin1String(DatabaseFileName);
}

// Readable and writable by us; a file that the user made read-only is not used even when
// the process could override its permissions (as the superuser can).
bool isUsableFile(const QFileInfo& info)
{
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isReadable() && info.isWritable() && (info.permissions() & writeBits);
}

// Copies the shipped template into place; false with the reason on failure.
bool copyTemplate(const QString& destination, std::string& reason)
{
    const QFileInfo source(BXSettings::getResourceDBPath() + QLatin1String(DatabaseFileName));
    if (!source.exists()) {
        reason = "Couldn't locate source file for copy.";
        return false;
    }
    if (!source.isReadable()) {
        reason = "Source file is not readable.";
        return false;
    }
    return BXSqlDb::copyFile(source.absoluteFilePath(), QFileInfo(destination).absoluteFilePath(),
                             reason);
}

// Makes sure a usable file exists at path: the existing one, the data of an older
// installation or a copy of the template.
bool provideFile(const QString& path, std::string& reason)
{
    const QFileInfo info(path);
    if (info.exists() && info.size() > 0) {
        if (BXSqlDb::isOlderFormat(path)) {
            reason = BXSqlDb::olderFormatMessage(path).toStdString();
            return false;
        }
        if (!isUsableFile(info)) {
            reason = "File exists but permissions are wrong.";
            return false;
        }
        return true;
    }
    if (!orvCreateDirectory(userDbFolder()))
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QStringLiteral("Could not create folder: ") + userDbFolder());
    if (BXSqlDb::importPreviousUserData())
        return true;
    return copyTemplate(path, reason);
}

bool isCurrentVersion(int version)
{
    return version >= BXSqlDb::CurrentSchemaVersion
        && version <= BXSqlDb::LastCompatibleSchemaVersion;
}

// The indexes that a day, a month and the sums read through. Databases written before
// they were part of the schema get them here.
const char* const DiaryIndexes[] = {
    "CREATE INDEX IF NOT EXISTS food_diary_user_date ON food_diary(user_id, date)",
    "CREATE INDEX IF NOT EXISTS exer_diary_user_date ON exer_diary(user_id, date)",
};

void ensureDiaryIndexes()
{
    for (const char* sql : DiaryIndexes) {
        BXSqlQuery create(sql);
        if (!create.exec())
            qWarning("Could not create a diary index; reading the diary may be slow: %s", sql);
    }
}

bool fail(std::string& error, const std::string& text)
{
    error = text;
    BXSqlDb::cleanUp();
    return false;
}

} // namespace

bool BXSqlDb::startUp(std::string& error, bool enableTriggers)
{
    if (_instance) {
        error = "startUp called twice? should never happen";
        return false;
    }
    const QString path = userDbFile();
    std::string reason;
    if (!provideFile(path, reason)) {
        error = "Could not locate, or create, the user's database (" + path.toStdString()
            + "):\n" + reason;
        return false;
    }
    fixMagic(path);

    bool failed = false;
    _instance = new BXSqlDb(error, failed);
    if (failed)
        return fail(error, "Cannot start program as database may be corrupted");
    const int version = getVersion();
    if (version == 0)
        return fail(error, "Cannot start program as database may be corrupted");
    if (!isCurrentVersion(version)) {
        if (!makeSafetyCopy()) {
            QMessageBox::information(
                nullptr, QStringLiteral("Cannot backup userdatabase before ugprade"),
                QStringLiteral("Cannot continue to upgrade your database as a backup cannot be "
                               "made\nCheck that you have enough free space and file "
                               "permissions in ")
                    + userDbFolder());
            qFatal("Cannot backup database before upgrade");
        }
        if (!runUpgradeChain(error)) {
            cleanUp();
            return false;
        }
    }
    ensureDiaryIndexes();
    if (enableTriggers && !setupSyncTriggers())
        return fail(error, "Error occurred whilst setting up db triggers");
    return true;
}

bool BXSqlDb::makeSafetyCopy()
{
    const QString stamp = Clock::now().toString(QStringLiteral("yyMMdd-hhmmss"));
    std::string reason;
    return copyFile(userDbFile(), userDbFolder() + QStringLiteral("userdata.") + stamp, reason);
}

bool BXSqlDb::runUpgradeChain(std::string& error)
{
    struct Step
    {
        int from;
        void (*run)();
    };
    static const Step steps[] = {
        {204, upgrade204to205}, {205, upgrade205to206}, {206, upgrade206to300},
        {300, upgrade300to301}, {301, upgrade301to302}, {302, upgrade302to303},
        {303, upgrade303to304}, {304, upgrade304or305to306}, {305, upgrade304or305to306},
        {306, upgrade306to307}, {307, upgrade307to308}, {308, upgrade308to309},
        {309, upgrade309to310}, {310, upgrade310to411},
    };
    qDebug("Checking upgrades.");
    for (const Step& step : steps) {
        if (getVersion() == step.from) {
            step.run();
            QCoreApplication::processEvents();
        }
    }
    const int version = getVersion();
    if (version != 411) {
        error = QString::asprintf("Your database is not supported by this software.\n"
                                  "\tDatabase version: %d\n\tApplication version: 4.1.0",
                                  version)
                    .toStdString();
        return false;
    }
    upgrade411to412();
    QCoreApplication::processEvents();
    qDebug("All upgrades checked.");
    return true;
}

bool BXSqlDb::fixMagic(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray head = file.read(MagicSize);
    if (head.size() < MagicSize)
        return false;
    const QByteArray block = UserDbFormat::templateBlock();
    if (!head.startsWith(block))
        return true;
    const QByteArray magic = UserDbFormat::sqlite3Magic();
    return file.seek(0) && file.write(magic) == magic.size();
}

bool BXSqlDb::isOlderFormat(const QString& path)
{
    QFile file(path);
    const QByteArray header = UserDbFormat::sqlite2Header();
    return file.open(QIODevice::ReadOnly) && file.read(header.size()) == header;
}

QString BXSqlDb::olderFormatMessage(const QString& path)
{
    return QStringLiteral("The database %1 was written by an older version of this program, "
                          "in a format (SQLite 2.1) that this version cannot read. "
                          "The file has been left unchanged.")
        .arg(path);
}

// Copies the source in chunks, so that a long diary is copied without holding it in
// memory. A copy that cannot be completed leaves no partial destination behind.
bool BXSqlDb::copyFile(const QString& source, const QString& destination, std::string& reason)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        reason = "couldn't open source file for copy";
        return false;
    }
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        reason = "couldn't open dest file for copy";
        return false;
    }
    qint64 copied = 0;
    for (;;) {
        const QByteArray chunk = in.read(CopyChunkSize);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            break;
        copied += chunk.size();
    }
    if (copied != in.size() || !out.flush()) {
        out.close();
        out.remove();
        reason = "Couldn't write all data to the database. It's possible the disk is full";
        return false;
    }
    in.close();
    out.close();
    const QFileInfo result(destination);
    if (!result.exists()) {
        reason = "Copying of file failed";
        return false;
    }
    if (!isUsableFile(result)) {
        reason = "File was copied, but wrong permissions on new database.";
        return false;
    }
    return true;
}

bool CopyFile(const QString& source, const QString& destination)
{
    QFile in(source);
    QFile out(destination);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    char block[1024];
    for (;;) {
        const qint64 got = in.read(block, sizeof block);
        if (got == 0)
            return true;
        if (got < 0)
            return false;
        if (out.write(block, got) != got) {
            out.close();
            out.remove();
            return false;
        }
    }
}

std::string getUserDbPath()
{
    return userDbFile().toStdString();
}
