#pragma once

// The memory the test process holds, for tests that a stream of data leaves memory bounded.

#include <QByteArray>
#include <QFile>

// Resident bytes of this process (VmRSS); -1 when unknown.
inline qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// How much a bounded reader may add to the process: the address sanitizer keeps freed memory
// in quarantine (256 MB by default), which counts as resident.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 BoundedGrowth = qint64(400) * 1024 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr qint64 BoundedGrowth = qint64(400) * 1024 * 1024;
#else
constexpr qint64 BoundedGrowth = qint64(100) * 1024 * 1024;
#endif
#else
constexpr qint64 BoundedGrowth = qint64(100) * 1024 * 1024;
#endif
