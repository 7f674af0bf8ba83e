#pragma once

#include "net/socketbase.h"

class QTcpSocket;
class QtSSLSocket;

// SocketBase over a concrete socket, which the proxy owns. Only the plain socket and the TLS
// socket have one.
template<class Socket>
class SocketProxy;

template<>
class SocketProxy<QTcpSocket> : public SocketBase
{
public:
    explicit SocketProxy(QTcpSocket* socket, QObject* parent = nullptr);
    ~SocketProxy() override;

    bool canReadLine() const override;
    QObject* getSocket() const override;
    void clearPendingData() override;
    QString peerName() const override;
    int state() const override;
    void connectToHost(const QString& host, quint16 port) override;
    qint64 readBlock(char* data, qint64 maxlen) override;
    qint64 writeBlock(const char* data, qint64 len) override;
    QString readLine() override;
    qint64 bytesToWrite() const override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void close() override;
    bool isOpen() const override;
    QString errorString() const override;

private:
    QTcpSocket* _socket;
};

template<>
class SocketProxy<QtSSLSocket> : public SocketBase
{
public:
    explicit SocketProxy(QtSSLSocket* socket, QObject* parent = nullptr);
    ~SocketProxy() override;

    QtSSLSocket* sslSocket() const { return _socket; }

    bool canReadLine() const override;
    QObject* getSocket() const override;
    void clearPendingData() override;
    QString peerName() const override;
    int state() const override;
    void connectToHost(const QString& host, quint16 port) override;
    qint64 readBlock(char* data, qint64 maxlen) override;
    qint64 writeBlock(const char* data, qint64 len) override;
    QString readLine() override;
    qint64 bytesToWrite() const override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void close() override;
    bool isOpen() const override;
    bool closedCleanly() const override;
    bool linked() const override;
    QString errorString() const override;

private:
    QtSSLSocket* _socket;
};
