#ifndef PANTREL_TOOLS_STATICDBWRITER_RECORDBYTES_H
#define PANTREL_TOOLS_STATICDBWRITER_RECORDBYTES_H

#include <QByteArray>

// Big-endian reading and writing of the values inside catalogue records. A reader is
// bounded by the end it is given and turns invalid once a read would pass it.
class RecordBytes {
public:
    RecordBytes(const unsigned char* data, const unsigned char* end) : _p(data), _end(end) {}

    static void appendFloat(QByteArray& out, float value);
    static void appendU32(QByteArray& out, quint32 value);

    bool valid() const { return _p != nullptr; }
    unsigned char byte();
    quint32 u32();
    float readFloat();
    // A NUL-terminated text, without its NUL.
    QByteArray text();

private:
    const unsigned char* _take(long long n);

    const unsigned char* _p;
    const unsigned char* _end;
};

#endif
