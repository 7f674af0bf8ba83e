#include "tools/staticdbwriter/recordbytes.h"

#include <QtEndian>

#include <bit>
#include <cstring>

void RecordBytes::appendFloat(QByteArray& out, float value)
{
    appendU32(out, std::bit_cast<quint32>(value));
}

void RecordBytes::appendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

unsigned char RecordBytes::byte()
{
    const unsigned char* p = _take(1);
    return p ? *p : 0;
}

quint32 RecordBytes::u32()
{
    const unsigned char* p = _take(4);
    return p ? qFromBigEndian<quint32>(p) : 0;
}

float RecordBytes::readFloat()
{
    return std::bit_cast<float>(u32());
}

QByteArray RecordBytes::text()
{
    if (!_p)
        return {};
    const void* nul = std::memchr(_p, 0, size_t(_end - _p));
    if (!nul) {
        _p = nullptr;
        return {};
    }
    const auto* start = reinterpret_cast<const char*>(_p);
    const long long length = static_cast<const unsigned char*>(nul) - _p;
    _take(length + 1);
    return QByteArray(start, length);
}

const unsigned char* RecordBytes::_take(long long n)
{
    if (!_p || _end - _p < n) {
        _p = nullptr;
        return nullptr;
    }
    const unsigned char* taken = _p;
    _p += n;
    return taken;
}
