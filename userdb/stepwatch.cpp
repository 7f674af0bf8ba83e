#include "userdb/stepwatch.h"

#include "core/workprogress.h"

#include <sqlite3.h>

namespace {

// Steps of the virtual machine between two looks at the progress: some tens of microseconds.
constexpr int StepsBetween = 1000;

// The pages the main file of `db` holds; 0 when that cannot be read.
qint64 pageCount(sqlite3* db)
{
    sqlite3_stmt* count = nullptr;
    qint64 pages = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA main.page_count", -1, &count, nullptr) == SQLITE_OK
        && sqlite3_step(count) == SQLITE_ROW)
        pages = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    return pages;
}

} // namespace

StepWatch::StepWatch(sqlite3* db, WorkProgress* progress)
    : _db(progress ? db : nullptr)
    , _progress(progress)
{
    if (!_db)
        return;
    _pages = pageCount(_db);
    sqlite3_progress_handler(_db, StepsBetween, &StepWatch::onSteps, this);
}

StepWatch::~StepWatch()
{
    if (_db)
        sqlite3_progress_handler(_db, 0, nullptr, nullptr);
}

int StepWatch::onSteps(void* watch)
{
    auto* self = static_cast<StepWatch*>(watch);
    int read = 0;
    int highest = 0;
    sqlite3_db_status(self->_db, SQLITE_DBSTATUS_CACHE_MISS, &read, &highest, 0);
    return self->_progress->advance(qMin(qint64(read), self->_pages), self->_pages) ? 0 : 1;
}
