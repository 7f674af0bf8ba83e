#include "core/md5.h"

#include <QByteArrayView>
#include <QCryptographicHash>

#include <cstring>

void BX_MD5Sum(unsigned char digest[16], const void* data, unsigned int length)
{
    const QByteArray hash = QCryptographicHash::hash(
        QByteArrayView(static_cast<const char*>(data), length), QCryptographicHash::Md5);
    std::memcpy(digest, hash.constData(), 16);
}
