#include "userdb/readwatch.h"

#include <sqlite3.h>

#include <cerrno>
#include <mutex>

namespace {

// A file of the watched kind: the system's file follows it in the same block. SQLite aligns
// the block for 8 bytes only, which is what both kinds of file ask for.
struct WatchedFile
{
    sqlite3_file base;
    bool main;
    ReadWatch::Reads reads;

    sqlite3_file* system() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
static_assert(alignof(WatchedFile) <= 8 && sizeof(WatchedFile) % 8 == 0);

sqlite3_vfs* s_system = nullptr;
sqlite3_vfs s_watch{};
sqlite3_io_methods s_methods{};

WatchedFile* watchedOf(sqlite3_file* file)
{
    return reinterpret_cast<WatchedFile*>(file);
}

sqlite3_file* systemOf(sqlite3_file* file)
{
    return watchedOf(file)->system();
}

// Whether the file holds the bytes that a read ended short of, or its size cannot be told: then
// the system ended it, else the file itself is short (an empty file's header, a file cut short)
// and SQLite reads zeros.
bool holds(sqlite3_file* file, int amount, sqlite3_int64 offset)
{
    sqlite3_int64 size = 0;
    return file->pMethods->xFileSize(file, &size) != SQLITE_OK || offset + amount <= size;
}

int read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    WatchedFile* watched = watchedOf(file);
    errno = 0;
    int code = systemOf(file)->pMethods->xRead(systemOf(file), buffer, amount, offset);
    const int error = errno;
    if (!watched->main || code == SQLITE_OK
        || (code == SQLITE_IOERR_SHORT_READ && !holds(systemOf(file), amount, offset))) {
        watched->reads.last = 0;
        return code;
    }
    watched->reads.last = code == SQLITE_IOERR_SHORT_READ || error == 0 ? ReadWatch::ShortRead : error;
    watched->reads.lastFailed = watched->reads.last;
    ++watched->reads.failed;
    // SQLite's files end a read that the disk failed (EIO) as damage; it is a read error.
    if (code == SQLITE_IOERR_SHORT_READ || code == SQLITE_IOERR_CORRUPTFS)
        code = SQLITE_IOERR_READ;
    errno = error;
    return code;
}

int close(sqlite3_file* file)
{
    return systemOf(file)->pMethods->xClose(systemOf(file));
}

int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    return systemOf(file)->pMethods->xWrite(systemOf(file), data, amount, offset);
}

int truncate(sqlite3_file* file, sqlite3_int64 size)
{
    return systemOf(file)->pMethods->xTruncate(systemOf(file), size);
}

int sync(sqlite3_file* file, int flags)
{
    return systemOf(file)->pMethods->xSync(systemOf(file), flags);
}

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return systemOf(file)->pMethods->xFileSize(systemOf(file), size);
}

int lock(sqlite3_file* file, int level)
{
    return systemOf(file)->pMethods->xLock(systemOf(file), level);
}

int unlock(sqlite3_file* file, int level)
{
    return systemOf(file)->pMethods->xUnlock(systemOf(file), level);
}

int checkReservedLock(sqlite3_file* file, int* reserved)
{
    return systemOf(file)->pMethods->xCheckReservedLock(systemOf(file), reserved);
}

int fileControl(sqlite3_file* file, int op, void* argument)
{
    return systemOf(file)->pMethods->xFileControl(systemOf(file), op, argument);
}

int sectorSize(sqlite3_file* file)
{
    return systemOf(file)->pMethods->xSectorSize(systemOf(file));
}

int deviceCharacteristics(sqlite3_file* file)
{
    return systemOf(file)->pMethods->xDeviceCharacteristics(systemOf(file));
}

int shmMap(sqlite3_file* file, int region, int size, int extend, void volatile** mapped)
{
    return systemOf(file)->pMethods->xShmMap(systemOf(file), region, size, extend, mapped);
}

int shmLock(sqlite3_file* file, int offset, int count, int flags)
{
    return systemOf(file)->pMethods->xShmLock(systemOf(file), offset, count, flags);
}

void shmBarrier(sqlite3_file* file)
{
    systemOf(file)->pMethods->xShmBarrier(systemOf(file));
}

int shmUnmap(sqlite3_file* file, int remove)
{
    return systemOf(file)->pMethods->xShmUnmap(systemOf(file), remove);
}

// Pages are never mapped: every page comes through read().
int fetch(sqlite3_file*, sqlite3_int64, int, void** page)
{
    *page = nullptr;
    return SQLITE_OK;
}

int unfetch(sqlite3_file*, sqlite3_int64, void*)
{
    return SQLITE_OK;
}

int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    WatchedFile* watched = watchedOf(file);
    watched->base.pMethods = nullptr;
    watched->main = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    watched->reads = {};
    const int code = s_system->xOpen(s_system, name, watched->system(), flags, outFlags);
    if (watched->system()->pMethods)
        watched->base.pMethods = &s_methods;
    return code;
}

int remove(sqlite3_vfs*, const char* name, int syncFolder)
{
    return s_system->xDelete(s_system, name, syncFolder);
}

int access(sqlite3_vfs*, const char* name, int flags, int* result)
{
    return s_system->xAccess(s_system, name, flags, result);
}

int fullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return s_system->xFullPathname(s_system, name, size, out);
}

void* dlOpen(sqlite3_vfs*, const char* name)
{
    return s_system->xDlOpen(s_system, name);
}

void dlError(sqlite3_vfs*, int size, char* message)
{
    s_system->xDlError(s_system, size, message);
}

void (*dlSym(sqlite3_vfs*, void* library, const char* symbol))(void)
{
    return s_system->xDlSym(s_system, library, symbol);
}

void dlClose(sqlite3_vfs*, void* library)
{
    s_system->xDlClose(s_system, library);
}

int randomness(sqlite3_vfs*, int size, char* out)
{
    return s_system->xRandomness(s_system, size, out);
}

int sleep(sqlite3_vfs*, int microseconds)
{
    return s_system->xSleep(s_system, microseconds);
}

int currentTime(sqlite3_vfs*, double* now)
{
    return s_system->xCurrentTime(s_system, now);
}

int lastError(sqlite3_vfs*, int size, char* message)
{
    return s_system->xGetLastError(s_system, size, message);
}

int currentTimeInt64(sqlite3_vfs*, sqlite3_int64* now)
{
    return s_system->xCurrentTimeInt64(s_system, now);
}

void installWatch()
{
    s_system = sqlite3_vfs_find(nullptr);
    if (!s_system || s_system->iVersion < 2)
        return;
    s_methods = {3,     close,     read,     write,         truncate,  sync,
                 fileSize, lock,   unlock,   checkReservedLock, fileControl, sectorSize,
                 deviceCharacteristics, shmMap, shmLock, shmBarrier, shmUnmap, fetch, unfetch};
    s_watch = *s_system;
    s_watch.iVersion = 2;
    s_watch.szOsFile = int(sizeof(WatchedFile)) + s_system->szOsFile;
    s_watch.zName = "pantrel-watched";
    s_watch.pNext = nullptr;
    s_watch.xOpen = open;
    s_watch.xDelete = remove;
    s_watch.xAccess = access;
    s_watch.xFullPathname = fullPathname;
    s_watch.xDlOpen = dlOpen;
    s_watch.xDlError = dlError;
    s_watch.xDlSym = dlSym;
    s_watch.xDlClose = dlClose;
    s_watch.xRandomness = randomness;
    s_watch.xSleep = sleep;
    s_watch.xCurrentTime = currentTime;
    s_watch.xGetLastError = lastError;
    s_watch.xCurrentTimeInt64 = currentTimeInt64;
    sqlite3_vfs_register(&s_watch, 1);
}

// The main file of `db` when it is a watched one.
WatchedFile* mainFileOf(sqlite3* db)
{
    sqlite3_file* file = nullptr;
    if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK
        || !file || file->pMethods != &s_methods)
        return nullptr;
    return watchedOf(file);
}

} // namespace

void ReadWatch::install()
{
    static std::once_flag installed;
    std::call_once(installed, installWatch);
}

ReadWatch::Reads ReadWatch::of(sqlite3* db)
{
    const WatchedFile* file = mainFileOf(db);
    return file ? file->reads : Reads();
}
