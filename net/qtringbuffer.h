#pragma once

#include <QByteArray>

// A circular byte store of fixed capacity that never grows. Writes take only what fits.
class QtRingBuffer
{
public:
    explicit QtRingBuffer(int capacity);

    int capacity() const { return int(_bytes.size()); }
    int usedSpace() const;
    int freeSpace() const { return capacity() - usedSpace(); }
    bool isEmpty() const { return usedSpace() == 0; }

    // Appends up to length bytes; the number taken, or -1 for a null pointer.
    int writeBlock(const char* data, int length);
    // Takes up to length bytes from the front; the number taken, or -1 for a null pointer.
    int readBlock(char* data, int length);
    // Puts bytes back in front of the read position, last byte first, as far as room allows;
    // the number put back (the last ones of data), or -1 for a null pointer.
    int unReadBlock(const char* data, int length);
    // Distance from the read position to the first c among the stored bytes, or -1.
    int find(char c) const;
    QByteArray readAll();
    void clear();

private:
    QByteArray _bytes;
    int _read = 0;
    int _write = 0;
    bool _full = false;
};
