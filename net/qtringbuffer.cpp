#include "net/qtringbuffer.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

QtRingBuffer::QtRingBuffer(int capacity)
    : _bytes(capacity, '@')
{
}

int QtRingBuffer::usedSpace() const
{
    if (_full)
        return capacity();
    const int used = _write - _read;
    return used < 0 ? used + capacity() : used;
}

int QtRingBuffer::writeBlock(const char* data, int length)
{
    if (!data) {
        qWarning("Null pointer passed to QtRingBuffer::writeBlock.");
        return -1;
    }
    const int count = std::min(length, freeSpace());
    const int first = std::min(count, capacity() - _write);
    std::memcpy(_bytes.data() + _write, data, size_t(first));
    std::memcpy(_bytes.data(), data + first, size_t(count - first));
    if (count > 0) {
        _write = (_write + count) % capacity();
        _full = _write == _read;
    }
    return count;
}

int QtRingBuffer::readBlock(char* data, int length)
{
    if (!data) {
        qWarning("Null pointer passed to QtRingBuffer::readBlock.");
        return -1;
    }
    const int count = std::min(length, usedSpace());
    const int first = std::min(count, capacity() - _read);
    std::memcpy(data, _bytes.constData() + _read, size_t(first));
    std::memcpy(data + first, _bytes.constData(), size_t(count - first));
    if (count > 0) {
        _read = (_read + count) % capacity();
        _full = false;
    }
    return count;
}

int QtRingBuffer::unReadBlock(const char* data, int length)
{
    if (!data) {
        qWarning("Null pointer passed to QtRingBuffer::unReadBlock.");
        return -1;
    }
    int count = 0;
    for (int i = length - 1; i >= 0 && freeSpace() > 0; --i, ++count) {
        _read = (_read + capacity() - 1) % capacity();
        _bytes[_read] = data[i];
        _full = _read == _write;
    }
    return count;
}

int QtRingBuffer::find(char c) const
{
    const int used = usedSpace();
    for (int i = 0; i < used; ++i) {
        if (_bytes.at((_read + i) % capacity()) == c)
            return i;
    }
    return -1;
}

QByteArray QtRingBuffer::readAll()
{
    QByteArray all(usedSpace(), Qt::Uninitialized);
    readBlock(all.data(), int(all.size()));
    return all;
}

void QtRingBuffer::clear()
{
    _read = 0;
    _write = 0;
    _full = false;
}
