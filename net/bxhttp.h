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
    // The address's scheme decides: "http" plain, "https" over TLS, on the address's own port
    // or the scheme's. An address that refusal() refuses is not reached: nothing is sent, and
    // every request fails with its text.
    explicit BXHttp(const QString& url, QObject* parent = nullptr);
    ~BXHttp() override;

    // Why url may not be reached, for the user; null when it may. Only http and https
    // addresses may, and one given by a document from an https source must be https too.
    static QString refusal(const QString& url, const QString& source = QString());

    // Queues a GET of url; the body goes to `to`, or stays in the read buffer. The request
    // fails at once when the address was refused or its server could not be reached ahead.
    int doGet(const QString& url, QIODevice* to = nullptr);
    // Queues a form POST of body; the answer stays in the read buffer (readAll()).
    int doPost(const QString& url, const QString& body);
    QByteArray readAll();
    // The client, for services that read its state or abort its request.
    QHttps* client() const { return _client; }
    void setLimits(const QHttps::Limits& limits);
    // The text for the user after a failure: the client's, with advice about the connection
    // where none could be made.
    QString errorString() const;
    // Whether the failure was that no connection to the server could be made.
    bool couldNotConnect() const;

    // How long a TLS connection made ahead may take, in milliseconds.
    static void setPreconnectWait(int connectMs);

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
    void closeConnection();

private:
    QTcpSocket* _preconnect(const QString& host, quint16 port);
    void _relay();
    QHttpsRequestHeader _commonSetup(const QString& method, const QString& url);

    bool _ssl = false;
    quint16 _port = 0;
    QString _errorText;
    bool _unreachable = false;  // the connection made ahead failed
    QHttps* _client = nullptr;
};
