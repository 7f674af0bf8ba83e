#pragma once

#include "net/qhttpsbase.h"
#include "net/qhttpsrequestheader.h"
#include "net/qhttpsresponseheader.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QIODevice;
class QTcpSocket;
class QHttpsPrivate;
class SocketBase;

// The program's own HTTP/1.1 client, over a plain or a TLS socket. Requests are queued and
// worked one after the other on the event loop; each is answered through signals. The
// connection stays open between requests when the server allows it. A TLS server whose
// certificate fails any check is sent nothing: the connection is closed and the request fails
// with CertificateRejected and a text naming the host and the reason; certCheckFailed()
// follows, for those who want the socket's report. A handshake that fails fails the request
// with SecureConnectionFailed and a text naming the host and the reason.
class QHttps : public QObject, public QHttpsBase
{
    Q_OBJECT

public:
    // In TLS mode a connected socket may be handed in; the client takes it over.
    QHttps(bool ssl, const QString& host, quint16 port, QTcpSocket* socket = nullptr,
           QObject* parent = nullptr);
    // Over any socket, which the client takes over; it works as a plain connection.
    QHttps(SocketBase* socket, const QString& host, quint16 port, QObject* parent = nullptr);
    ~QHttps() override;

    void setLimits(const Limits& limits);
    Limits limits() const;

    int setHost(const QString& host, quint16 port = 80);
    int get(const QString& path, QIODevice* to = nullptr);
    int post(const QString& path, QIODevice* data, QIODevice* to = nullptr);
    int post(const QString& path, const QByteArray& data, QIODevice* to = nullptr);
    int head(const QString& path);
    int request(const QHttpsRequestHeader& header, QIODevice* data = nullptr, QIODevice* to = nullptr);
    int request(const QHttpsRequestHeader& header, const QByteArray& data, QIODevice* to = nullptr);
    int closeConnection();
    void close();

    // The response body of the current request that went to no device.
    qint64 bytesAvailable() const;
    qint64 readBlock(char* data, qint64 length);
    QByteArray readAll();

    int currentId() const;
    QHttpsRequestHeader currentRequest() const;
    QIODevice* currentSourceDevice() const;
    QIODevice* currentDestinationDevice() const;
    bool hasPendingRequests() const;
    void clearPendingRequests();

    State state() const;
    Error error() const;
    QString errorString() const;
    bool isSSL() const;

signals:
    void stateChanged(int state);
    void responseHeaderReceived(const QHttpsResponseHeader& response);
    void readyRead(const QHttpsResponseHeader& response);
    void dataSendProgress(int done, int total);
    void dataReadProgress(int done, int total);
    void requestStarted(int id);
    void requestFinished(int id, bool error);
    void done(bool error);
    void certCheckFailed(int code, const QString& text);

public slots:
    void abort();

private:
    std::unique_ptr<QHttpsPrivate> d;
};
