#include "userdb/busywait.h"

#include "core/endrequest.h"
#include "core/workprogress.h"
#include "userdb/sqlitedriver.h"


#include <sqlite3.h>

#include <cstdint>
#include <iterator>

namespace {

WorkProgress* s_watcher = nullptr;
int s_timeout = 10000;

// The pauses between tries, in milliseconds, the last one repeated: short at first, for a
// holder that is about to let go.
constexpr int Pauses[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};

int pause(int attempt)
{
    return Pauses[attempt < int(std::size(Pauses)) ? attempt : int(std::size(Pauses)) - 1];
}

// SQLite asks before each try again, counting the tries of one wait from 0; 0 gives up.
int tryAgain(void* timeout, int attempt)
{
    if (EndRequest::asked())
        return 0;
    int waited = 0;
    for (int before = 0; before < attempt; ++before)
        waited += pause(before);
    const int left = int(reinterpret_cast<std::intptr_t>(timeout)) - waited;
    if (left <= 0 || (s_watcher && !s_watcher->advance(waited, waited + left)))
        return 0;
    sqlite3_sleep(pause(attempt) < left ? pause(attempt) : left);
    return EndRequest::asked() ? 0 : 1;
}

} // namespace

void BusyWait::install(sqlite3* db, int timeoutMs)
{
    if (db)
        sqlite3_busy_handler(db, &tryAgain, reinterpret_cast<void*>(std::intptr_t(timeoutMs)));
}

void BusyWait::watch(WorkProgress* watcher)
{
    s_watcher = watcher;
}

WorkProgress* BusyWait::watcher()
{
    return s_watcher;
}

void BusyWait::install(const QSqlDatabase& db, int timeoutMs)
{
    install(SqliteDriver::handle(db), timeoutMs);
}

int BusyWait::timeout()
{
    return s_timeout;
}

void BusyWait::setTimeout(int milliseconds)
{
    s_timeout = milliseconds;
}
