// Start-up of the user database: finding, importing or copying the file, repairing its
// header, opening it, checking its version and schema, upgrading it and making its indexes.

#include "userdb/diarystart.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/createdirectory.h"
#include "core/keptfiles.h"
#include "core/workingfile.h"
#include "userdb/diaryfiles.h"
#include "userdb/diaryheader.h"
#include "userdb/diarykeptfiles.h"
#include "userdb/diarylocation.h"
#include "userdb/diaryproof.h"
#include "userdb/diaryversion.h"
#include "userdb/fileclaim.h"
#include "userdb/previousdataimport.h"
#include "userdb/restorestaging.h"
#include "userdb/schemarule.h"
#include "userdb/startrefusal.h"
#include "userdb/syncdevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        reason = DiaryStart::tr("The empty diary %1 that comes with the program is missing.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    if (!source.isReadable()) {
        reason = DiaryStart::tr("The empty diary %1 that comes with the program cannot be read.")
                     .arg(QDir::toNativeSeparators(source.filePath()))
                     .toStdString();
        return false;
    }
    const QString copy = QFileInfo(DiaryLocation::workingCopy(".firstrun")).absoluteFilePath();
    if (!DiaryFiles::copy(source.absoluteFilePath(), copy, reason))
        return false;
    QString failure;
    if (!DiaryHeader::fixMagic(copy, &failure) && !failure.isEmpty()) {
        DiaryFiles::removeWithJournal(copy);
        reason = DiaryStart::tr("The new database's header cannot be written: %1.").arg(failure).toStdString();
        return false;
    }
    const QString file = WorkingFile::fileBehind(QFileInfo(destination).absoluteFilePath());
    QString stays;
    if (DiaryFiles::replace(copy, file, &stays) && stays.isEmpty())
        return true;
    reason = DiaryStart::tr("The new database cannot be put in place: %1.")
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
        return DiaryStart::tr("a folder");
    if (S_ISFIFO(status.st_mode))
        return DiaryStart::tr("a pipe");
    if (S_ISSOCK(status.st_mode))
        return DiaryStart::tr("a socket");
    return DiaryStart::tr("a device");
}

// Makes sure a usable file exists at path: the existing one, the data of an older
// installation or a copy of the template. Something else in the diary's place is never
// opened nor replaced.
bool provideFile(const QString& path, std::string& reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        reason = DiaryStart::tr("Your diary %1 is %2, not a file. Move or rename it, then start the "
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
        if (DiaryHeader::isOlderFormat(path)) {
            reason = DiaryHeader::olderFormatMessage(path).toStdString();
            return false;
        }
        if (!isUsableFile(info)) {
            reason = DiaryStart::tr("The diary %1 exists, but this account may not read and write it.")
                         .arg(QDir::toNativeSeparators(path))
                         .toStdString();
            return false;
        }
        return true;
    }
    if (!orvCreateDirectory(DiaryLocation::folder())) {
        reason = DiaryStart::tr("The folder %1 cannot be made.")
                     .arg(QDir::toNativeSeparators(DiaryLocation::folder()))
                     .toStdString();
        return false;
    }
    QString notImported;
    if (PreviousDataImport::run(&notImported))
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
        ? DiaryStart::tr("the diary stores no format version")
        : DiaryStart::tr("the diary's format version '%1' is not a number")
              .arg(value.size() > Shown ? value.left(Shown) + QChar(0x2026) : value);
    return DiaryStart::tr("Your diary %1 cannot be opened: %2, so this program cannot tell how to "
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
    return DiaryStart::tr("the system did not let it be written just then");
}

// The diary may be written (the start has made sure), yet SQLite opened it for reading only:
// every change would fail.
QString openedReadOnly(const QString& path)
{
    return DiaryStart::tr("Your diary %1 could be opened only for reading, so no change could be "
                       "kept: %2. Close programs you do not need, then try again.")
        .arg(QDir::toNativeSeparators(path), writeRefusal(path));
}

// The start could not run one of its own statements for a reason of the store itself, or
// `reason` when it is given.
QString notPrepared(const QString& path, const StoreResult& stopped, const std::string& reason = {})
{
    return DiaryStart::tr("Your diary %1 cannot be prepared for use: %2.")
        .arg(QDir::toNativeSeparators(path),
             reason.empty() ? stopped.message() : QString::fromStdString(reason));
}

// The diary's schema is not the program's own (`differs` says how): none of it has run.
QString foreignSchema(const QString& path, const std::string& differs)
{
    return DiaryStart::tr("Your diary %1 is not one that this program makes, so nothing of it has "
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

StoreResult DiaryStart::startUp(bool enableTriggers, WorkProgress* progress)
{
    if (BXSqlDb::isUp())
        return StoreResult(StoreResult::Kind::Refused, "startUp called twice? should never happen");
    KeptFiles::add(QStringLiteral("diary"), &DiaryKeptFiles::list);
    const QString path = DiaryLocation::path();
    // While a restore is being ended, a diary that has gone is never replaced by a new one:
    // the data as it was is still kept beside it.
    if (RestoreStaging::pending() && !QFileInfo(path).isFile())
        return refused(DiaryStart::tr("The restored data %1 is no longer there.")
                           .arg(QDir::toNativeSeparators(path)));
    if (const StoreResult recovered = RestoreStaging::pending() ? StoreResult() : DiaryKeptFiles::recoverLeftovers(progress);
        !recovered)
        return recovered;
    std::string reason;
    if (!provideFile(path, reason))
        return refused(DiaryStart::tr("Could not locate, or create, the user's database (%1):\n%2")
                           .arg(path, QString::fromStdString(reason)));
    // A file that cannot be read is told by the reading below; a repair that failed here.
    QString failure;
    if (!DiaryHeader::fixMagic(path, &failure) && !failure.isEmpty())
        return refused(DiaryStart::tr("The header of your diary %1 could not be repaired: %2.")
                           .arg(QDir::toNativeSeparators(path), failure));
    // A file that another program holds is waited for here, before the connection reads it.
    if (const StoreResult readable = StartRefusal::isReadableDiary(path); !readable)
        return readable;

    std::string error;
    StoreResult stopped;
    const bool failed = !BXSqlDb::openFile(path, error, &stopped);
    if (!failed && BXSqlDb::openedReadOnly())
        return closed(StartRefusal::fail(openedReadOnly(path)));
    const std::optional<QVariant> stored = failed ? std::nullopt : DiaryVersion::stored(&stopped);
    if (!stored) {
        BXSqlDb::cleanUp();
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
        BXSqlDb::cleanUp();
        if (const StoreResult upgraded = upgradeOnCopy(progress); !upgraded)
            return upgraded;
        if (!BXSqlDb::openFile(path, error, &stopped)) {
            BXSqlDb::cleanUp();
            return StartRefusal::unreadable(path, stopped);
        }
    }
    if (const StoreResult indexed = ensureDiaryIndexes(); !indexed)
        return closed(StartRefusal::stopsReading(indexed) ? StartRefusal::notReadBecause(path, indexed)
                                                          : StartRefusal::fail(notPrepared(path, indexed)));
    const StoreResult tracked = enableTriggers ? SyncDevices::setupTriggers() : StoreResult();
    if (StartRefusal::stopsReading(tracked))
        return closed(StartRefusal::notReadBecause(path, tracked));
    if (!tracked) {
        // The devices and tables that the triggers follow may sit on a damaged page.
        const StoreResult integrity = BXSqlDb::checkIntegrity(progress);
        QString report;
        switch (integrity.kind()) {
        case StoreResult::Kind::Done:
            return closed(StartRefusal::fail(QString::fromStdString(DiaryProof::triggersFailed(tracked))));
        case StoreResult::Kind::Damaged:
            BXSqlDb::cleanUp();
            return StartRefusal::damaged(path);
        default:
            return closed(StartRefusal::fail(
                StartRefusal::notRead(path, StoreResult::splitDetails(integrity.message(), &report))));
        }
    }
    return StoreResult();
}

// The upgrade runs on a copy beside the file, which takes the file's place only once every
// step and the integrity check have passed; the file as it was is kept as the safety copy.
// A failed upgrade leaves the file untouched, so every later start finds it as it was.
StoreResult DiaryStart::upgradeOnCopy(WorkProgress* progress)
{
    const QString live = DiaryLocation::path();
    const QString copy = DiaryLocation::workingCopy(".upgrading");
    const QString stamp = Clock::now().toString(QStringLiteral("yyMMdd-hhmmss"));
    const QString safety = DiaryLocation::folder() + QStringLiteral("userdata.") + stamp;
    std::string reason;
    // The upgraded copy and the copy kept as it was.
    const bool done = DiaryFiles::haveRoomFor(2 * QFileInfo(live).size(), reason)
        && DiaryProof::provenCopy(live, copy, DiaryProof::Proof::Upgrade, reason, progress)
        && DiaryFiles::copy(live, safety, reason, progress, true);
    QString stays;
    if (done && DiaryFiles::replace(copy, DiaryLocation::file(), &stays) && stays.isEmpty())
        return StoreResult();
    if (done) {
        reason = stays.isEmpty() ? DiaryFiles::systemReason().toStdString() : stays.toStdString();
        // The file as it was goes back, to what stands beside it.
        if (stays.isEmpty() || DiaryFiles::putBack(safety))
            QFile::remove(safety);
    }
    DiaryFiles::removeWithJournal(copy);
    return StoreResult(StoreResult::Kind::Refused,
                       DiaryStart::tr("Your database %1 could not be brought up to date and has been left as "
                                   "it was:\n%2")
                           .arg(live, QString::fromStdString(reason)));
}
