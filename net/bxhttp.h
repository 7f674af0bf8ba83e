#pragma once

#include "net/qhttps.h"

#include <QObject>
#include <QString>

class QIODevice;

// The handle through which the online services talk to one web server: it makes the client
// for that server, connects ahead when the connection is to use TLS, stamps every request with
// the product's "User-Agent" and the "Host" field, and turns failures into texts for the user.
class BXHttp : public QObject
{
    Q_OBJECT

public:
    // port is used when the address names none.
    BXHttp(bool ssl, const QString& url, quint16 port, QObject* parent = nullptr);
    ~BXHttp() override;

    // Queues a GET of url; the body goes to `to`, or stays in the read buffer. The request id,
    // or 0 when the server could not be reached beforehand (done(true) follows then).
    int doGet(const QString& url, QIODevice* to = nullptr);
    // Queues a form POST of body; the answer stays in the read buffer (readAll()).
    int doPost(const QString& url, const QString& body);
    QByteArray readAll();
    // The client, for services that read its state or abort its request.
    QHttps* client() const { return _client; }
    void setLimits(const QHttps::Limits& limits);
    // The text for the user after a failure.
    QString errorString() const;

    // How long a TLS connection made ahead may take, and how long after its failure done(true)
    // follows, in milliseconds.
    static void setPreconnectWaits(int connectMs, int reportMs);

    // Whether an Internet connection is available; this platform always has one.
    static bool isConnected();
    // Asks the system to open an Internet connection; 0 for success.
    static int openInternetConn();

signals:
    void proxyFound(const QString& proxy);
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
    void connectError();
    void closeConnection();

private:
    QTcpSocket* _preconnect(const QString& host, quint16 port);
    void _relay();
    QHttpsRequestHeader _commonSetup(const QString& method, const QString& url);

    bool _ssl;
    quint16 _port;
    QString _errorText;
    QHttps* _client = nullptr;
};
