// Start-up of the user database: finding, importing or copying the file, repairing its
// header, opening it, checking its version and schema and making its indexes.

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "core/keptfiles.h"
#include "core/regularfile.h"
#include "userdb/busywait.h"
#include "userdb/diaryfiles.h"
#include "userdb/diarykeptfiles.h"
#include "userdb/diarylocation.h"
#include "userdb/diaryproof.h"
#include "userdb/diaryversion.h"
#include "userdb/fileclaim.h"
#include "userdb/filecopy.h"
#include "userdb/restorestaging.h"
#include "userdb/schemarule.h"
#include "userdb/startrefusal.h"
#include "userdb/userdbformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Readable and writable by us; a file that the user made read-only is not used even when
// the process could override its permissions (as the superuser can).
bool isUsableFile(const QFileInfo& info)
{
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isReadable() && info.isWritable() && (info.permissions() & writeBits);
}

// Copies the shipped template beside the file and renames it into place once it is whole;
// false with the reason on failure.
bool copyTemplate(const QString& destination, std::string& reason)
{
    const QFileInfo source(BXSettings::getResourceDBPath() + QLatin1String(DiaryLocation::FileName));
    if (!source.exists()) {
        reason = BXSqlDb::tr("The empty diary %1 that comes with the program is missing.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    if (!source.isReadable()) {
        reason = BXSqlDb::tr("The empty diary %1 that comes with the program cannot be read.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    const QString copy = QFileInfo(DiaryLocation::workingCopy(".firstrun")).absoluteFilePath();
    if (!DiaryFiles::copy(source.absoluteFilePath(), copy, reason))
        return false;
    QString failure;
    if (!BXSqlDb::fixMagic(copy, &failure) && !failure.isEmpty()) {
        DiaryFiles::removeWithJournal(copy);
        reason = BXSqlDb::tr("The new database's header cannot be written: %1.").arg(failure).toStdString();
        return false;
    }
    const QString file = WorkingFile::fileBehind(QFileInfo(destination).absoluteFilePath());
    QString stays;
    if (DiaryFiles::replace(copy, file, &stays) && stays.isEmpty())
        return true;
    reason = BXSqlDb::tr("The new database cannot be put in place: %1.")
                 .arg(stays.isEmpty() ? DiaryFiles::systemReason() : stays)
                 .toStdString();
    // Never opened with what an earlier file left beside it.
    DiaryFiles::removeWithJournal(stays.isEmpty() ? copy : file);
    return false;
}

// What stands at path when it is not a file: a folder, a pipe, a device or a socket.
QString specialKind(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return BXSqlDb::tr("a folder");
    if (S_ISFIFO(status.st_mode))
        return BXSqlDb::tr("a pipe");
    if (S_ISSOCK(status.st_mode))
        return BXSqlDb::tr("a socket");
    return BXSqlDb::tr("a device");
}

// Makes sure a usable file exists at path: the existing one, the data of an older
// installation or a copy of the template. Something else in the diary's place is never
// opened nor replaced.
bool provideFile(const QString& path, std::string& reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        reason = BXSqlDb::tr("Your diary %1 is %2, not a file. Move or rename it, then start the "
                             "program again.")
                     .arg(QDir::toNativeSeparators(path), specialKind(path))
                     .toStdString();
        return false;
    }
    if (const std::optional<QString> journal = FileClaim::journalProblem(path)) {
        reason = journal->toStdString();
        return false;
    }
    if (info.exists() && info.size() > 0) {
        if (BXSqlDb::isOlderFormat(path)) {
            reason = BXSqlDb::olderFormatMessage(path).toStdString();
            return false;
        }
        if (!isUsableFile(info)) {
            reason = BXSqlDb::tr("The diary %1 exists, but this account may not read and write it.")
                         .arg(QDir::toNativeSeparators(path))
                         .toStdString();
            return false;
        }
        return true;
    }
    if (!orvCreateDirectory(DiaryLocation::folder())) {
        reason = BXSqlDb::tr("The folder %1 cannot be made.")
                     .arg(QDir::toNativeSeparators(DiaryLocation::folder()))
                     .toStdString();
        return false;
    }
    QString notImported;
    if (BXSqlDb::importPreviousUserData(&notImported))
        return true;
    // The data the user chose to take over is never replaced by an empty diary in silence.
    reason = notImported.toStdString();
    return notImported.isEmpty() && copyTemplate(path, reason);
}

// A failure of the store that stopped the making of the indexes, if any; an index that the
// diary refuses (its table lacking, say) only slows the reading.
StoreResult ensureDiaryIndexes()
{
    for (const char* sql : SchemaRule::indexes()) {
        BXSqlQuery create(sql);
        if (create.exec())
            continue;
        if (create.outcome().lost())
            return create.outcome();
        qWarning("Could not create a diary index; reading the diary may be slow: %s", sql);
    }
    return {};
}

// A stored schema version that is no number: the file is sound, its value is told.
QString notAVersion(const QString& path, const QVariant& stored)
{
    constexpr qsizetype Shown = 60;
    const QString value = stored.toString();
    const QString told = stored.isNull()
        ? BXSqlDb::tr("the diary stores no format version")
        : BXSqlDb::tr("the diary's format version '%1' is not a number")
              .arg(value.size() > Shown ? value.left(Shown) + QChar(0x2026) : value);
    return BXSqlDb::tr("Your diary %1 cannot be opened: %2, so this program cannot tell how to "
                       "read it. The file has been left as it is.")
        .arg(QDir::toNativeSeparators(path), told);
}

// Why the system would not open the file at path for writing now, in its own words.
QString writeRefusal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return DiaryFiles::systemReason();
    ::close(fd);
    return BXSqlDb::tr("the system did not let it be written just then");
}

// The diary may be written (the start has made sure), yet SQLite opened it for reading only:
// every change would fail.
QString openedReadOnly(const QString& path)
{
    return BXSqlDb::tr("Your diary %1 could be opened only for reading, so no change could be "
                       "kept: %2. Close programs you do not need, then try again.")
        .arg(QDir::toNativeSeparators(path), writeRefusal(path));
}

// The start could not run one of its own statements for a reason of the store itself, or
// `reason` when it is given.
QString notPrepared(const QString& path, const StoreResult& stopped, const std::string& reason = {})
{
    return BXSqlDb::tr("Your diary %1 cannot be prepared for use: %2.")
        .arg(QDir::toNativeSeparators(path),
             reason.empty() ? stopped.message() : QString::fromStdString(reason));
}

// The diary's schema is not the program's own (`differs` says how): none of it has run.
QString foreignSchema(const QString& path, const std::string& differs)
{
    return BXSqlDb::tr("Your diary %1 is not one that this program makes, so nothing of it has "
                       "been used: %2.\n\nThe file has been left as it is. To go on, move it to "
                       "another folder (keep it: its data may still be rescued) and start the "
                       "program again. It then begins with a new, empty diary, into which you can "
                       "restore your latest backup with Restore Data in the File menu.")
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(differs));
}

// A start that stops before the connection is opened: nothing to close.
StoreResult refused(const QString& message)
{
    return StoreResult(StoreResult::Kind::Refused, message);
}

// A start that cannot use the diary it opened closes it, then tells why.
StoreResult closed(const StoreResult& refusal)
{
    BXSqlDb::cleanUp();
    return refusal;
}

} // namespace

int BXSqlDb::getVersion()
{
    StoreResult stopped;
    const std::optional<QVariant> stored = DiaryVersion::stored(&stopped);
    if (!stopped)
        throw BXException::ofStatement(QStringLiteral("Cannot read the database schema version"),
                                       stopped);
    const std::optional<int> version = DiaryVersion::of(stored.value_or(QVariant()));
    if (!version)
        throw BXException("The database has no schema version that is a number");
    return *version;
}

bool BXSqlDb::beginSoleChange(QString* inUse)
{
    const QString path = DiaryLocation::path();
    inUse->clear();
    // The one wait, ended as soon as the file is free; a program that takes the file in the
    // moment until this connection has it is told like one that held it all along.
    if (FileClaim(path, FileClaim::Mode::Sole, BusyWait::timeout()).state() != FileClaim::State::Busy
        && mayRun(true, nullptr)) {
        const StoreResult begun = _beginSole();
        if (!begun.busy())
            return begun.ok();
    }
    *inUse = StartRefusal::inUseText(path);
    return false;
}

StoreResult BXSqlDb::startUp(bool enableTriggers, WorkProgress* progress)
{
    if (_instance)
        return StoreResult(StoreResult::Kind::Refused, "startUp called twice? should never happen");
    KeptFiles::add(QStringLiteral("diary"), &DiaryKeptFiles::list);
    const QString path = DiaryLocation::path();
    // While a restore is being ended, a diary that has gone is never replaced by a new one:
    // the data as it was is still kept beside it.
    if (RestoreStaging::pending() && !QFileInfo(path).isFile())
        return refused(BXSqlDb::tr("The restored data %1 is no longer there.")
                           .arg(QDir::toNativeSeparators(path)));
    if (const StoreResult recovered = RestoreStaging::pending() ? StoreResult() : DiaryKeptFiles::recoverLeftovers(progress);
        !recovered)
        return recovered;
    std::string reason;
    if (!provideFile(path, reason))
        return refused(BXSqlDb::tr("Could not locate, or create, the user's database (%1):\n%2")
                           .arg(path, QString::fromStdString(reason)));
    // A file that cannot be read is told by the reading below; a repair that failed here.
    QString failure;
    if (!fixMagic(path, &failure) && !failure.isEmpty())
        return refused(BXSqlDb::tr("The header of your diary %1 could not be repaired: %2.")
                           .arg(QDir::toNativeSeparators(path), failure));
    // A file that another program holds is waited for here, before the connection reads it.
    if (const StoreResult readable = StartRefusal::isReadableDiary(path); !readable)
        return readable;

    std::string error;
    bool failed = false;
    StoreResult stopped;
    _instance = new BXSqlDb(path, error, failed, &stopped);
    if (!failed && _instance->_isReadOnly())
        return closed(StartRefusal::fail(openedReadOnly(path)));
    const std::optional<QVariant> stored = failed ? std::nullopt : DiaryVersion::stored(&stopped);
    if (!stored) {
        cleanUp();
        return StartRefusal::unreadable(path, stopped);
    }
    const std::optional<int> version = DiaryVersion::of(*stored);
    if (!version)
        return closed(StartRefusal::fail(notAVersion(path, *stored)));
    // Nothing runs on a diary that holds what the program does not make; an older one is
    // proven so on the copy that its upgrade makes. So is one whose tables the upgrade of an
    // earlier build left declared as their earlier format wrote them, which its upgrade rebuilds.
    bool upgrade = !DiaryVersion::isCurrent(*version);
    if (!upgrade) {
        std::string differs;
        StoreResult unread;
        const std::optional<bool> own = SchemaRule::holdsOwn(*version, differs, &unread);
        if (!own && StartRefusal::stopsReading(unread))
            return closed(StartRefusal::notReadBecause(path, unread));
        upgrade = own == false && SchemaRule::holdsOwnOnceRebuilt(*version);
        if (!own.value_or(false) && !upgrade)
            return closed(StartRefusal::fail(own ? foreignSchema(path, differs) : notPrepared(path, unread, differs)));
    } else if (!DiaryVersion::isUpgradable(*version)) {
        return closed(StartRefusal::fail(QString::fromStdString(DiaryVersion::unsupported(*version))));
    }
    if (upgrade) {
        cleanUp();
        if (const StoreResult upgraded = upgradeOnCopy(progress); !upgraded)
            return upgraded;
        _instance = new BXSqlDb(path, error, failed, &stopped);
        if (failed) {
            cleanUp();
            return StartRefusal::unreadable(path, stopped);
        }
    }
    if (const StoreResult indexed = ensureDiaryIndexes(); !indexed)
        return closed(StartRefusal::stopsReading(indexed) ? StartRefusal::notReadBecause(path, indexed)
                                                          : StartRefusal::fail(notPrepared(path, indexed)));
    const StoreResult tracked = enableTriggers ? setupSyncTriggers() : StoreResult();
    if (StartRefusal::stopsReading(tracked))
        return closed(StartRefusal::notReadBecause(path, tracked));
    if (!tracked) {
        // The devices and tables that the triggers follow may sit on a damaged page.
        const StoreResult integrity = checkIntegrity(progress);
        QString report;
        switch (integrity.kind()) {
        case StoreResult::Kind::Done:
            return closed(StartRefusal::fail(QString::fromStdString(DiaryProof::triggersFailed(tracked))));
        case StoreResult::Kind::Damaged:
            cleanUp();
            return StartRefusal::damaged(path);
        default:
            return closed(StartRefusal::fail(
                StartRefusal::notRead(path, StoreResult::splitDetails(integrity.message(), &report))));
        }
    }
    return StoreResult();
}

bool BXSqlDb::fixMagic(const QString& path, QString* failure)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    QString unread;
    const QByteArray head = FileCopy::readFrom(file, MagicSize, &unread).value_or(QByteArray());
    if (!unread.isEmpty() && failure)
        *failure = unread;
    if (head.size() < MagicSize)
        return false;
    const QByteArray block = UserDbFormat::templateBlock();
    if (!head.startsWith(block))
        return true;
    // Repaired on a copy that takes the file's place once whole, so that a repair cut short
    // leaves the file as it was.
    const QByteArray magic = UserDbFormat::sqlite3Magic();
    WorkingFile repaired(path);
    QString reason;
    if (file.seek(block.size()) && repaired.open(&reason)
        && repaired.write(magic.constData(), magic.size()) && FileCopy::copyData(file, repaired, &reason)
        && repaired.commit(&reason))
        return true;
    if (failure)
        *failure = reason.isEmpty() ? tr("the repaired copy could not be written whole") : reason;
    return false;
}

bool BXSqlDb::isOlderFormat(const QString& path)
{
    QFile file;
    const QByteArray header = UserDbFormat::sqlite2Header();
    QString unread;
    return RegularFile::open(file, path) && FileCopy::readFrom(file, header.size(), &unread) == header;
}

QString BXSqlDb::olderFormatMessage(const QString& path)
{
    return tr("The database %1 was written by an older version of this program, "
              "in a format (SQLite 2.1) that this version cannot read. "
              "The file has been left unchanged.")
        .arg(path);
}
