#include "reports/printfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

PrintFile::PrintFile(const QString& destination)
    : _file(destination)
{
}

PrintFile::~PrintFile()
{
    finish();
}

bool PrintFile::open(QString* reason)
{
    if (!_file.open(reason))
        return false;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        *reason = systemReason(errno);
        return false;
    }
    _reading = ends[0];
    _writing = ends[1];
    try {
        _passer = std::thread(&PrintFile::pass, this);
    } catch (const std::system_error& error) {
        *reason = systemReason(error.code().value());
        return false;
    }
    return true;
}

QString PrintFile::printerFileName() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(_writing);
}

bool PrintFile::commit(QString* reason)
{
    finish();
    if (!_failure.isEmpty()) {
        *reason = _failure;
        return false;
    }
    return _file.commit(reason);
}

void PrintFile::pass()
{
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(_reading, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            _failure = systemReason(errno);
        if (got <= 0)
            return;
        // Once a write failed, the rest is still taken, so that the printer never waits.
        if (_failure.isEmpty() && !_file.write(block, got))
            _failure = _file.device().errorString();
    }
}

void PrintFile::finish()
{
    if (_writing >= 0)
        ::close(_writing);
    _writing = -1;
    if (_passer.joinable())
        _passer.join();
    if (_reading >= 0)
        ::close(_reading);
    _reading = -1;
}
