#pragma once

// A socket in memory for driving the HTTP client without a network: once the client has
// written a whole request header, the socket hands it the scripted response in the given
// pieces, one per pass of the event loop, and then closes or stays open.

#include "net/socketbase.h"

#include <QList>

class MemorySocket : public SocketBase
{
    Q_OBJECT

public:
    explicit MemorySocket(QObject* parent = nullptr);

    void setResponse(const QList<QByteArray>& pieces, bool closeAtEnd);
    // connectToHost then fails with this error code (0 refused, 1 host not found).
    void failConnect(int code) { _failCode = code; }
    QByteArray written() const { return _written; }

    bool canReadLine() const override { return _input.contains('\n'); }
    QObject* getSocket() const override { return const_cast<MemorySocket*>(this); }
    void clearPendingData() override { _input.clear(); }
    QString peerName() const override { return _host; }
    int state() const override { return _state; }
    void connectToHost(const QString& host, quint16 port) override;
    qint64 readBlock(char* data, qint64 maxlen) override;
    qint64 writeBlock(const char* data, qint64 len) override;
    QString readLine() override;
    qint64 bytesToWrite() const override { return 0; }
    qint64 bytesAvailable() const override { return _input.size(); }
    QByteArray readAll() override;
    void close() override;
    bool isOpen() const override { return _state == Connected; }

private:
    void _deliverNext();

    QString _host;
    int _state = Unconnected;
    int _failCode = -1;
    QList<QByteArray> _pieces;
    bool _closeAtEnd = false;
    bool _delivering = false;
    QByteArray _input;
    QByteArray _written;
};
