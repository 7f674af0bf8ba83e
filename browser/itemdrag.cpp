#include "browser/itemdrag.h"

#include <QtEndian>

namespace {
constexpr int MINIMUM_PAYLOAD = 5;
}

ItemDrag::ItemDrag(int id, unsigned char type) : _id(id), _type(type)
{
    setData(mimeType(), encodedData());
}

QString ItemDrag::mimeType()
{
    return QStringLiteral("binary/bxitem");
}

QByteArray ItemDrag::encodedData() const
{
    return encode(_id, _type);
}

void ItemDrag::setEncodedData(const QByteArray& data)
{
    ItemEncoded item;
    if (!_read(data, item))
        return;
    _id = item.id;
    _type = item.type;
    setData(mimeType(), encodedData());
}

bool ItemDrag::decode(const QMimeData* source, ItemEncoded& out)
{
    if (!source)
        return false;
    const QStringList formats = source->formats();
    if (formats.isEmpty() || formats.first() != mimeType())
        return false;
    return _read(source->data(mimeType()), out);
}

QByteArray ItemDrag::encode(int id, unsigned char type)
{
    QByteArray payload(PAYLOAD_SIZE, '\0');
    qToLittleEndian<qint32>(id, payload.data());
    payload[4] = char(type);
    return payload;
}

bool ItemDrag::_read(const QByteArray& data, ItemEncoded& out)
{
    if (data.size() < MINIMUM_PAYLOAD)
        return false;
    out.id = qFromLittleEndian<qint32>(data.constData());
    out.type = static_cast<unsigned char>(data.at(4));
    return true;
}
