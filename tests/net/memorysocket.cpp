#include "memorysocket.h"

#include <QTimer>

#include <algorithm>

MemorySocket::MemorySocket(QObject* parent)
    : SocketBase(parent)
{
}

void MemorySocket::setResponse(const QList<QByteArray>& pieces, bool closeAtEnd)
{
    _pieces = pieces;
    _closeAtEnd = closeAtEnd;
}

void MemorySocket::connectToHost(const QString& host, quint16)
{
    _host = host;
    QTimer::singleShot(0, this, [this] {
        if (_failCode >= 0) {
            emit error(_failCode);
            return;
        }
        _state = Connected;
        emit connected();
    });
}

qint64 MemorySocket::readBlock(char* data, qint64 maxlen)
{
    const qint64 count = std::min<qint64>(maxlen, _input.size());
    std::copy_n(_input.constData(), count, data);
    _input.remove(0, count);
    return count;
}

qint64 MemorySocket::writeBlock(const char* data, qint64 len)
{
    _written.append(data, len);
    if (!_delivering && _written.contains("\r\n\r\n")) {
        _delivering = true;
        QTimer::singleShot(0, this, &MemorySocket::_deliverNext);
    }
    QTimer::singleShot(0, this, [this, len] { emit bytesWritten(len); });
    return len;
}

QString MemorySocket::readLine()
{
    const qsizetype end = _input.indexOf('\n');
    const QByteArray line = end < 0 ? QByteArray() : _input.left(end + 1);
    _input.remove(0, line.size());
    return QString::fromLatin1(line);
}

QByteArray MemorySocket::readAll()
{
    QByteArray all;
    all.swap(_input);
    return all;
}

void MemorySocket::close()
{
    _pieces.clear();
    _state = Unconnected;
}

void MemorySocket::_deliverNext()
{
    if (_state != Connected)
        return;
    if (_pieces.isEmpty()) {
        if (_closeAtEnd) {
            _state = Unconnected;
            emit connectionClosed();
        }
        return;
    }
    _input += _pieces.takeFirst();
    emit readyRead();
    QTimer::singleShot(0, this, &MemorySocket::_deliverNext);
}
