#include "userdb/fileclaim.h"

#include "userdb/busywait.h"
#include "userdb/bxsqldb.h"
#include "userdb/failurewitness.h"
#include "userdb/readwatch.h"
#include "userdb/storeoutcome.h"

#include <QFile>

#include <sqlite3.h>

namespace {

// SQLite's code read by the store's one rule.
FileClaim::State stateOf(int code)
{
    switch (StoreOutcome::fromCode(code, QString()).reason()) {
    case StoreOutcome::Reason::Ok:
        return FileClaim::State::Held;
    case StoreOutcome::Reason::Busy:
        return FileClaim::State::Busy;
    case StoreOutcome::Reason::Damaged:
        return FileClaim::State::Damaged;
    default:
        return FileClaim::State::Failed;
    }
}

} // namespace

FileClaim::FileClaim(const QString& path, Mode mode, int waitMs)
{
    if (const std::optional<QString> journal = BXSqlDb::journalProblem(path)) {
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
                      .detail();
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
