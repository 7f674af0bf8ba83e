#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>

// The payload of a dragged catalogue row or diary entry: one format, "binary/bxitem", of
// 8 bytes: the id as a signed 32-bit little-endian integer, the BrowserItemFlags byte, and
// three zero bytes that readers ignore. A diary entry's id that 32 bits do not hold makes
// 16 bytes: the first four say -1, the id of nothing, to a reader of 8, and the last eight
// hold the id as a signed 64-bit little-endian integer.
class ItemDrag : public QMimeData
{
    Q_OBJECT

public:
    // What a drop carries.
    struct ItemEncoded
    {
        qint64 id = 0;
        unsigned char type = 0;
    };

    static constexpr int PAYLOAD_SIZE = 8;
    static constexpr int WIDE_PAYLOAD_SIZE = 16;

    ItemDrag(qint64 id, unsigned char type);

    static QString mimeType();

    qint64 id() const { return _id; }
    unsigned char type() const { return _type; }

    // The 8-byte payload.
    QByteArray encodedData() const;
    // Reads id and type from a payload of at least 5 bytes; shorter data changes nothing.
    void setEncodedData(const QByteArray& data);

    // Fills `out` and returns true only when "binary/bxitem" is the first format `source`
    // offers and its data holds at least 5 bytes; otherwise `out` is left untouched.
    static bool decode(const QMimeData* source, ItemEncoded& out);

    static QByteArray encode(qint64 id, unsigned char type);

private:
    static bool _read(const QByteArray& data, ItemEncoded& out);

    qint64 _id;
    unsigned char _type;
};
