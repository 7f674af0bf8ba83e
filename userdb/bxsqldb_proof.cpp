// The proof that a diary file is one the program can use: its version, its schema, its
// integrity and, for a restore, its ids, trees, tracked tables and devices.

#include "userdb/bxsqldb.h"
#include "userdb/diaryfiles.h"
#include "userdb/diaryinuse.h"

#include "userdb/diaryproof.h"
#include "userdb/diaryversion.h"
#include "userdb/schemarule.h"
#include "userdb/startrefusal.h"
#include "userdb/storeaction.h"

StoreResult BXSqlDb::proveFile(const QString& path, Proof proof, WorkProgress* progress)
{
    if (_instance)
        return StoreResult(StoreResult::Kind::Refused, "the user database is still open");
    std::string error;
    bool failed = false;
    _instance = new BXSqlDb(path, error, failed);
    if (failed) {
        cleanUp();
        return StartRefusal::fail(BXSqlDb::tr("the file cannot be opened as a database: %1")
                                      .arg(QString::fromStdString(error)));
    }
    StoreResult stopped;
    const std::optional<QVariant> stored = DiaryVersion::stored(&stopped);
    const int version = DiaryVersion::of(stored.value_or(QVariant())).value_or(0);
    bool proven = false;
    if (stopped.systemFault())
        error = DiaryProof::notReadNow(stopped);
    else if (stopped.busy())
        error = BXSqlDb::tr("%1; let that program finish or close it, then try again")
                    .arg(DiaryInUse::holding(BXSqlDb::tr("it")))
                    .toStdString();
    else if (version == 0)
        error = BXSqlDb::tr("the file holds no schema version").toStdString();
    else if (!DiaryVersion::isCurrent(version) && !DiaryVersion::isUpgradable(version))
        error = DiaryVersion::unsupported(version);
    else if (DiaryVersion::isCurrent(version))
        proven = !SchemaRule::holdsOwnOnceRebuilt(version) || rebuildToOwn(error);
    else
        proven = SchemaRule::holdsNoTrigger(error) && runUpgradeChain(error);
    // From here on the proof reads what the file holds: a statement that the system or another
    // program stopped says nothing of the file, which this action records.
    const StoreAction reading(StoreAction::Kind::Change);
    // The schema, upgraded, is the program's own before anything else reads the file; what it
    // holds is told before the triggers, which read some of it. The diary's own oddities of
    // data are its user's: it is upgraded with them, and a loop is shown broken.
    proven = proven && SchemaRule::holdsOwn(version, error).value_or(false);
    const StoreResult integrity = proven ? checkIntegrity(progress) : StoreResult();
    if (!integrity)
        error = integrity.message().toStdString();
    proven = proven && integrity.ok()
        && (proof == Proof::Upgrade || (DiaryProof::holdsNoLoop(error) && DiaryProof::holdsStorableRowIds(error)
                                         && DiaryProof::holdsStorableLinks(error)));
    proven = proven && (proof == Proof::Upgrade || (holdsOwnTrackedTables(error) && holdsOwnDevices(error)));
    const StoreResult tracked = proven ? setupSyncTriggers() : StoreResult();
    if (!tracked) {
        error = DiaryProof::triggersFailed(tracked);
        proven = false;
    }
    const bool unproven = stopped.unread() || reading.outcome().unread() || tracked.unread() || integrity.unread();
    cleanUp();
    return StoreResult(proven                                          ? StoreResult::Kind::Done
                       : unproven                                      ? StoreResult::Kind::Unread
                       : integrity.kind() == StoreResult::Kind::Damaged ? StoreResult::Kind::Damaged
                                                                       : StoreResult::Kind::Refused,
                       QString::fromStdString(error));
}

bool BXSqlDb::provenCopy(const QString& source, const QString& copy, Proof proof, std::string& error,
                         WorkProgress* progress)
{
    DiaryFiles::removeWithJournal(copy);
    std::string reason;
    if (DiaryFiles::copy(source, copy, reason, progress)) {
        const StoreResult proven = proveFile(copy, proof, progress);
        if (proven)
            return true;
        reason = proven.message().toStdString();
    }
    DiaryFiles::removeWithJournal(copy);
    error = reason;
    return false;
}
