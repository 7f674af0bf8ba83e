#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>

// The payload of a dragged catalogue row or diary entry: one format, "binary/bxitem", of
// 8 bytes: the id as a signed 32-bit little-endian integer, the BrowserItemFlags byte, and
// three zero bytes that readers ignore.
class ItemDrag : public QMimeData
{
    Q_OBJECT

public:
    // What a drop carries.
    struct ItemEncoded
    {
        int id = 0;
        unsigned char type = 0;
    };

    static constexpr int PAYLOAD_SIZE = 8;

    ItemDrag(int id, unsigned char type);

    static QString mimeType();

    int id() const { return _id; }
    unsigned char type() const { return _type; }

    // The 8-byte payload.
    QByteArray encodedData() const;
    // Reads id and type from a payload of at least 5 bytes; shorter data changes nothing.
    void setEncodedData(const QByteArray& data);

    // Fills `out` and returns true only when "binary/bxitem" is the first format `source`
    // offers and its data holds at least 5 bytes; otherwise `out` is left untouched.
    static bool decode(const QMimeData* source, ItemEncoded& out);

    static QByteArray encode(int id, unsigned char type);

private:
    static bool _read(const QByteArray& data, ItemEncoded& out);

    int _id;
    unsigned char _type;
};
