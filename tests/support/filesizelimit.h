#pragma once

// Stands in for a full disk: while one lives, no file of this process grows beyond the limit,
// and a write past it fails with EFBIG instead of ending the process.

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : _previous(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &_saved);
        rlimit limited = _saved;
        limited.rlim_cur = bytes;
        _set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &_saved);
        std::signal(SIGXFSZ, _previous);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    // Whether the limit holds.
    bool isSet() const { return _set; }

private:
    rlimit _saved {};
    sighandler_t _previous;
    bool _set = false;
};
