#include "net/socketproxy.h"

#include "net/qtsslsocket.h"

#include <QTcpSocket>

SocketProxy<QTcpSocket>::SocketProxy(QTcpSocket* socket, QObject* parent)
    : SocketBase(parent)
    , _socket(socket)
{
    // What the client has not taken waits in the network, not in memory. The client takes
    // all there is on every read, so this only bounds what gathers while a read is late; a
    // small bound would cost a pass of the event loop for every few kilobytes.
    _socket->setReadBufferSize(4 * 1024 * 1024);
    connect(_socket, &QTcpSocket::connected, this, &SocketBase::connected);
    connect(_socket, &QTcpSocket::disconnected, this, &SocketBase::connectionClosed);
    connect(_socket, &QTcpSocket::readyRead, this, &SocketBase::readyRead);
    connect(_socket, &QTcpSocket::bytesWritten, this, &SocketBase::bytesWritten);
    connect(_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The server's close is reported as a close, not as an error.
        if (error != QAbstractSocket::RemoteHostClosedError)
            emit SocketBase::error(errorCode(error));
    });
}

SocketProxy<QTcpSocket>::~SocketProxy()
{
    _socket->disconnect(this);
    _socket->abort();
    delete _socket;
}

bool SocketProxy<QTcpSocket>::canReadLine() const { return _socket->canReadLine(); }
QObject* SocketProxy<QTcpSocket>::getSocket() const { return _socket; }
void SocketProxy<QTcpSocket>::clearPendingData() { _socket->readAll(); }
QString SocketProxy<QTcpSocket>::peerName() const { return _socket->peerName(); }
int SocketProxy<QTcpSocket>::state() const { return int(_socket->state()); }
void SocketProxy<QTcpSocket>::connectToHost(const QString& host, quint16 port)
{
    _socket->abort();
    _socket->connectToHost(host, port);
}
qint64 SocketProxy<QTcpSocket>::readBlock(char* data, qint64 maxlen) { return _socket->read(data, maxlen); }
qint64 SocketProxy<QTcpSocket>::writeBlock(const char* data, qint64 len) { return _socket->write(data, len); }
QString SocketProxy<QTcpSocket>::readLine() { return QString::fromLatin1(_socket->readLine()); }
qint64 SocketProxy<QTcpSocket>::bytesToWrite() const { return _socket->bytesToWrite(); }
qint64 SocketProxy<QTcpSocket>::bytesAvailable() const { return _socket->bytesAvailable(); }
QByteArray SocketProxy<QTcpSocket>::readAll() { return _socket->readAll(); }
void SocketProxy<QTcpSocket>::close() { _socket->disconnectFromHost(); }
bool SocketProxy<QTcpSocket>::isOpen() const { return _socket->isOpen(); }
QString SocketProxy<QTcpSocket>::errorString() const { return _socket->errorString(); }

SocketProxy<QtSSLSocket>::SocketProxy(QtSSLSocket* socket, QObject* parent)
    : SocketBase(parent)
    , _socket(socket)
{
    connect(_socket, &QtSSLSocket::connected, this, &SocketBase::connected);
    connect(_socket, &QtSSLSocket::connectionClosed, this, &SocketBase::connectionClosed);
    connect(_socket, &QtSSLSocket::delayedCloseFinished, this, &SocketBase::connectionClosed);
    connect(_socket, &QtSSLSocket::readyRead, this, &SocketBase::readyRead);
    connect(_socket, &QtSSLSocket::bytesWritten, this, &SocketBase::bytesWritten);
    connect(_socket, &QtSSLSocket::error, this, &SocketBase::error);
    connect(_socket, &QtSSLSocket::certCheckFailed, this, &SocketBase::certCheckFailed);
}

SocketProxy<QtSSLSocket>::~SocketProxy()
{
    _socket->disconnect(this);
    delete _socket;
}

bool SocketProxy<QtSSLSocket>::canReadLine() const { return _socket->canReadLine(); }
QObject* SocketProxy<QtSSLSocket>::getSocket() const { return _socket; }
void SocketProxy<QtSSLSocket>::clearPendingData() { readAll(); }
QString SocketProxy<QtSSLSocket>::peerName() const { return _socket->hostName(); }
int SocketProxy<QtSSLSocket>::state() const { return _socket->state(); }
void SocketProxy<QtSSLSocket>::connectToHost(const QString& host, quint16 port)
{
    _socket->connectToHost(host, port);
}
qint64 SocketProxy<QtSSLSocket>::readBlock(char* data, qint64 maxlen) { return _socket->read(data, maxlen); }
qint64 SocketProxy<QtSSLSocket>::writeBlock(const char* data, qint64 len) { return _socket->write(data, len); }
QString SocketProxy<QtSSLSocket>::readLine() { return QString::fromLatin1(_socket->readLine()); }
qint64 SocketProxy<QtSSLSocket>::bytesToWrite() const { return _socket->bytesToWrite(); }
qint64 SocketProxy<QtSSLSocket>::bytesAvailable() const { return _socket->bytesAvailable(); }
QByteArray SocketProxy<QtSSLSocket>::readAll()
{
    // Taking bytes makes room for more decrypted ones; read until none are left.
    QByteArray all;
    while (_socket->bytesAvailable() > 0) {
        const QByteArray piece = _socket->read(_socket->bytesAvailable());
        if (piece.isEmpty())
            break;
        all += piece;
    }
    return all;
}
void SocketProxy<QtSSLSocket>::close() { _socket->close(); }
bool SocketProxy<QtSSLSocket>::isOpen() const { return _socket->isOpen(); }
bool SocketProxy<QtSSLSocket>::closedCleanly() const { return _socket->closedByPeerNotice(); }
bool SocketProxy<QtSSLSocket>::linked() const
{
    return _socket->socket() && _socket->socket()->state() == QAbstractSocket::ConnectedState;
}
QString SocketProxy<QtSSLSocket>::errorString() const { return _socket->errorString(); }
