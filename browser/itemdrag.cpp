#include "browser/itemdrag.h"

#include <QtEndian>

#include <limits>

namespace {
constexpr int MINIMUM_PAYLOAD = 5;
}

ItemDrag::ItemDrag(qint64 id, unsigned char type) : _id(id), _type(type)
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

QByteArray ItemDrag::encode(qint64 id, unsigned char type)
{
    const bool narrow = id >= std::numeric_limits<qint32>::min() && id <= std::numeric_limits<qint32>::max();
    QByteArray payload(narrow ? PAYLOAD_SIZE : WIDE_PAYLOAD_SIZE, '\0');
    qToLittleEndian<qint32>(narrow ? qint32(id) : -1, payload.data());
    payload[4] = char(type);
    if (!narrow)
        qToLittleEndian<qint64>(id, payload.data() + PAYLOAD_SIZE);
    return payload;
}

bool ItemDrag::_read(const QByteArray& data, ItemEncoded& out)
{
    if (data.size() < MINIMUM_PAYLOAD)
        return false;
    out.id = data.size() >= WIDE_PAYLOAD_SIZE ? qFromLittleEndian<qint64>(data.constData() + PAYLOAD_SIZE)
                                              : qFromLittleEndian<qint32>(data.constData());
    out.type = static_cast<unsigned char>(data.at(4));
    return true;
}
