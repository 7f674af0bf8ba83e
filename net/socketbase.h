#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

// The one face the HTTP(S) client sees of a plain socket, a TLS socket or, in tests, a socket
// in memory. Its signals use the client's error codes: 0 connection refused, 1 host not
// found, 2 a failed read, 3 a TLS failure.
class SocketBase : public QObject
{
    Q_OBJECT

public:
    // The states the client asks about; others may be reported too.
    enum State { Unconnected = 0, Connected = 3 };

    using QObject::QObject;
    ~SocketBase() override = default;

    virtual bool canReadLine() const = 0;
    virtual QObject* getSocket() const = 0;
    virtual void clearPendingData() = 0;
    virtual QString peerName() const = 0;
    virtual int state() const = 0;
    virtual void connectToHost(const QString& host, quint16 port) = 0;
    virtual qint64 readBlock(char* data, qint64 maxlen) = 0;
    virtual qint64 writeBlock(const char* data, qint64 len) = 0;
    virtual QString readLine() = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether the bytes before the server's close are known to be all it sent: always for
    // a plain socket; for TLS only when the server sent its closing notice.
    virtual bool closedCleanly() const { return true; }
    // Whether a connection to the server stands, its TLS handshake done or not.
    virtual bool linked() const { return state() == Connected; }
    // Why the last error came, in the socket's words.
    virtual QString errorString() const { return QString(); }

    // The client's code for a socket error: refused 0, host not found 1, any other 2.
    static int errorCode(QAbstractSocket::SocketError error);

signals:
    void connected();
    void connectionClosed();
    void readyRead();
    void error(int code);
    void bytesWritten(qint64 written);
    void certCheckFailed(int code, const QString& text);
};
