#include "userdb/fileclaim.h"

#include "userdb/busywait.h"
#include "userdb/failurewitness.h"
#include "userdb/readwatch.h"
#include "userdb/storeresult.h"

#include "core/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

// SQLite's code read by the store's one rule.
FileClaim::State stateOf(int code)
{
    switch (StoreResult::fromCode(code, QString()).kind()) {
    case StoreResult::Kind::Done:
        return FileClaim::State::Held;
    case StoreResult::Kind::Busy:
        return FileClaim::State::Busy;
    case StoreResult::Kind::Damaged:
        return FileClaim::State::Damaged;
    default:
        return FileClaim::State::Failed;
    }
}


// SQLite's limit for the path of a file it opens, when the database at `path` with `ending`
// added (its journal's) goes beyond it: SQLite then opens nothing and tells no reason. The path
// is measured as SQLite makes it whole, links followed.
std::optional<int> pathLimitExceeded(const QString& path, qsizetype ending)
{
    sqlite3_vfs* files = sqlite3_vfs_find(nullptr);
    if (!files)
        return std::nullopt;
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    QByteArray whole(files->mxPathname + 1, '\0');
    // A path too long even to be made whole is measured as it is.
    const int made = files->xFullPathname(files, name.constData(), int(whole.size()), whole.data());
    const qsizetype length = made == SQLITE_OK || made == SQLITE_OK_SYMLINK ? qstrlen(whole.constData())
                                                                          : name.size();
    if (length + ending <= files->mxPathname)
        return std::nullopt;
    return files->mxPathname;
}

} // namespace

FileClaim::FileClaim(const QString& path, Mode mode, int waitMs)
{
    if (const std::optional<QString> journal = FileClaim::journalProblem(path)) {
        _reason = *journal;
        return;
    }
    ReadWatch::install();
    // Writable even to read: a change that a killed program left half made is rolled back by
    // the first reader, from its journal.
    int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &_db, SQLITE_OPEN_READWRITE,
                               nullptr);
    if (code == SQLITE_OK) {
        BusyWait::install(_db, waitMs);
        // Reading the schema takes the shared lock and proves that the file is a database.
        const char* sql = mode == Mode::Sole
            ? "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master;"
            : "BEGIN; SELECT count(*) FROM sqlite_master;";
        code = sqlite3_exec(_db, sql, nullptr, nullptr, nullptr);
    }
    _state = stateOf(code);
    if (_state != State::Held) {
        _reason = FailureWitness::of(_db, code, QString::fromUtf8(_db ? sqlite3_errmsg(_db) : sqlite3_errstr(code)))
                      .message();
        release();
    }
}

FileClaim::~FileClaim()
{
    release();
}

void FileClaim::release()
{
    if (!_db)
        return;
    sqlite3_exec(_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(_db);
    _db = nullptr;
}

std::optional<QString> FileClaim::journalProblem(const QString& path)
{
    const QLatin1String ending("-journal");
    if (const std::optional<int> limit = pathLimitExceeded(path, ending.size()))
        return tr("The folder %1 has too long a path: the database cannot open %2 in it, as the "
                  "path of its journal would be longer than %3 bytes. Use a folder with a shorter "
                  "path, then try again.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()), QFileInfo(path).fileName())
            .arg(*limit);
    // SQLite opens the journal beside a database by name, also to read it: a pipe there would
    // hold the open for ever.
    const QString journal = path + ending;
    const std::optional<QString> problem = RegularFile::problem(journal);
    if (!problem)
        return std::nullopt;
    return tr("The journal %1 of %2 cannot be used: %3. Move or rename it, then try again.")
        .arg(QDir::toNativeSeparators(journal), QDir::toNativeSeparators(path), *problem);
}
