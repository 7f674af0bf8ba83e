#include "catalogue/recipechannel.h"

#include "catalogue/blockingprocess.h"

#include <QtEndian>

#include <cstring>

int RecipeChannel::s_handshakeTimeout = 5000;
int RecipeChannel::s_callTimeout = 15000;

RecipeChannel::RecipeChannel(BlockingProcess* device)
    : _device(device)
{
}

void RecipeChannel::setTimeouts(int handshakeMs, int callMs)
{
    s_handshakeTimeout = handshakeMs;
    s_callTimeout = callMs;
}

bool RecipeChannel::isAlive() const
{
    return !_dead && _device->isRunning();
}

bool RecipeChannel::handshake(quint32* rootId)
{
    QByteArray greeting;
    appendInt32(&greeting, GREETING);
    qint32 answer = 0;
    qint32 id = 0;
    if (!_send(greeting, s_handshakeTimeout) || !readInt32(&answer) || answer != GREETING_ANSWER
        || !readInt32(&id))
        return _fail();
    *rootId = quint32(id);
    return true;
}

void RecipeChannel::close()
{
    if (!isAlive() || _busy)
        return;
    QByteArray bye;
    appendInt32(&bye, -1);
    appendInt32(&bye, -1);
    _send(bye, s_handshakeTimeout);
}

bool RecipeChannel::beginCall()
{
    if (_busy || !isAlive())
        return false;
    _busy = true;
    return true;
}

void RecipeChannel::endCall()
{
    _busy = false;
}

bool RecipeChannel::sendRequest(const QByteArray& request)
{
    return _send(request, s_callTimeout) || _fail();
}

bool RecipeChannel::_send(const QByteArray& bytes, int timeoutMs)
{
    _device->setDeadline(QDeadlineTimer(timeoutMs));
    return _device->write(bytes) == bytes.size();
}

bool RecipeChannel::_read(char* data, qint64 size)
{
    return _device->read(data, size) == size || _fail();
}

bool RecipeChannel::_fail()
{
    _dead = true;
    return false;
}

bool RecipeChannel::readInt32(qint32* value)
{
    uchar bytes[4];
    if (!_read(reinterpret_cast<char*>(bytes), sizeof bytes))
        return false;
    *value = qFromBigEndian<qint32>(bytes);
    return true;
}

bool RecipeChannel::readInt16(qint16* value)
{
    uchar bytes[2];
    if (!_read(reinterpret_cast<char*>(bytes), sizeof bytes))
        return false;
    *value = qFromBigEndian<qint16>(bytes);
    return true;
}

bool RecipeChannel::readDouble(double* value)
{
    uchar bytes[8];
    if (!_read(reinterpret_cast<char*>(bytes), sizeof bytes))
        return false;
    const quint64 bits = qFromBigEndian<quint64>(bytes);
    std::memcpy(value, &bits, sizeof bits);
    return true;
}

bool RecipeChannel::readText(std::vector<char16_t>* units)
{
    qint32 count = 0;
    if (!readInt32(&count))
        return false;
    if (count < 1 || count > MAX_TEXT_UNITS) {
        qWarning("RecipeChannel: the recipe program sent a text of %d units", count);
        return _fail();
    }
    QByteArray bytes(qsizetype(count) * 2, Qt::Uninitialized);
    if (!_read(bytes.data(), bytes.size()))
        return false;
    units->resize(size_t(count));
    for (size_t i = 0; i < units->size(); ++i)
        (*units)[i] = qFromBigEndian<quint16>(bytes.constData() + 2 * i);
    if (units->back() != 0) {
        qWarning("RecipeChannel: the recipe program sent a text without its terminating 0");
        return _fail();
    }
    return true;
}

void RecipeChannel::appendInt32(QByteArray* bytes, qint32 value)
{
    uchar encoded[4];
    qToBigEndian(value, encoded);
    bytes->append(reinterpret_cast<const char*>(encoded), sizeof encoded);
}

void RecipeChannel::appendText(QByteArray* bytes, const char16_t* text)
{
    qint32 count = 0;
    while (text[count] != 0)
        ++count;
    appendInt32(bytes, count + 1);
    for (qint32 i = 0; i <= count; ++i) {
        uchar encoded[2];
        qToBigEndian(quint16(text[i]), encoded);
        bytes->append(reinterpret_cast<const char*>(encoded), sizeof encoded);
    }
}
