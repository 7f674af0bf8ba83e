#include "net/qhttps.h"

#include "net/qhttpsprivate.h"
#include "net/qtsslsocket.h"
#include "net/socketproxy.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

SocketBase* makeSocket(bool ssl, QTcpSocket* socket)
{
    if (!ssl) {
        delete socket;
        return new SocketProxy<QTcpSocket>(new QTcpSocket);
    }
    auto* sslSocket = new QtSSLSocket(QtSSLSocket::Client, socket);
    if (socket)
        socket->setParent(sslSocket);  // taken over: released with the TLS socket
    return new SocketProxy<QtSSLSocket>(sslSocket);
}

QHttpsRequestHeader pathHeader(const QString& method, const QString& path)
{
    QHttpsRequestHeader header(method, path, 1, 1);
    header.setValue(QStringLiteral("Connection"), QStringLiteral("Keep-Alive"));
    return header;
}

// The client's listeners hear what its working state tells.
void passOnSignals(QHttpsPrivate* d, QHttps* q)
{
    QObject::connect(d, &QHttpsPrivate::stateChanged, q, &QHttps::stateChanged);
    QObject::connect(d, &QHttpsPrivate::responseHeaderReceived, q, &QHttps::responseHeaderReceived);
    QObject::connect(d, &QHttpsPrivate::readyRead, q, &QHttps::readyRead);
    QObject::connect(d, &QHttpsPrivate::dataSendProgress, q, &QHttps::dataSendProgress);
    QObject::connect(d, &QHttpsPrivate::dataReadProgress, q, &QHttps::dataReadProgress);
    QObject::connect(d, &QHttpsPrivate::requestStarted, q, &QHttps::requestStarted);
    QObject::connect(d, &QHttpsPrivate::requestFinished, q, &QHttps::requestFinished);
    QObject::connect(d, &QHttpsPrivate::done, q, &QHttps::done);
    QObject::connect(d, &QHttpsPrivate::certCheckFailed, q, &QHttps::certCheckFailed);
}

} // namespace

QHttps::QHttps(bool ssl, const QString& host, quint16 port, QTcpSocket* socket, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<QHttpsPrivate>(this, makeSocket(ssl, socket), ssl, host, port))
{
    passOnSignals(d.get(), this);
    // Over a connection made beforehand the handshake starts now that the client listens.
    if (ssl && socket) {
        auto* proxy = static_cast<SocketProxy<QtSSLSocket>*>(d->socket.get());
        proxy->sslSocket()->setHostName(QUrl(host).host().isEmpty() ? host : QUrl(host).host());
        QTimer::singleShot(0, proxy->sslSocket(), &QtSSLSocket::sslConnect);
    }
}

QHttps::QHttps(SocketBase* socket, const QString& host, quint16 port, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<QHttpsPrivate>(this, socket, false, host, port))
{
    passOnSignals(d.get(), this);
}

QHttps::~QHttps()
{
    // Listeners hear nothing from a client that is going away.
    blockSignals(true);
    d->abort();
}

void QHttps::setLimits(const Limits& limits)
{
    d->limits = limits;
}

QHttps::Limits QHttps::limits() const
{
    return d->limits;
}

int QHttps::setHost(const QString& host, quint16 port)
{
    return d->addRequest(new QHttpsSetHostRequest(host, port));
}

int QHttps::get(const QString& path, QIODevice* to)
{
    return d->addRequest(new QHttpsPGHRequest(pathHeader(QStringLiteral("GET"), path), QByteArray(), to));
}

int QHttps::post(const QString& path, QIODevice* data, QIODevice* to)
{
    return d->addRequest(new QHttpsPGHRequest(pathHeader(QStringLiteral("POST"), path), data, to));
}

int QHttps::post(const QString& path, const QByteArray& data, QIODevice* to)
{
    return d->addRequest(new QHttpsPGHRequest(pathHeader(QStringLiteral("POST"), path), data, to));
}

int QHttps::head(const QString& path)
{
    return d->addRequest(new QHttpsPGHRequest(pathHeader(QStringLiteral("HEAD"), path), QByteArray(), nullptr));
}

int QHttps::request(const QHttpsRequestHeader& header, QIODevice* data, QIODevice* to)
{
    return d->addRequest(new QHttpsNormalRequest(header, data, to));
}

int QHttps::request(const QHttpsRequestHeader& header, const QByteArray& data, QIODevice* to)
{
    return d->addRequest(new QHttpsNormalRequest(header, data, to));
}

int QHttps::closeConnection()
{
    return d->addRequest(new QHttpsCloseRequest);
}

void QHttps::close()
{
    d->close();
}

void QHttps::abort()
{
    d->abort();
}

qint64 QHttps::bytesAvailable() const
{
    return d->rbaSize;
}

qint64 QHttps::readBlock(char* data, qint64 length)
{
    return d->readBlock(data, length);
}

QByteArray QHttps::readAll()
{
    return d->readAll();
}

int QHttps::currentId() const
{
    return d->current() ? d->current()->id() : 0;
}

QHttpsRequestHeader QHttps::currentRequest() const
{
    return d->current() ? d->current()->requestHeader() : QHttpsRequestHeader();
}

QIODevice* QHttps::currentSourceDevice() const
{
    return d->current() ? d->current()->sourceDevice() : nullptr;
}

QIODevice* QHttps::currentDestinationDevice() const
{
    return d->current() ? d->current()->destinationDevice() : nullptr;
}

bool QHttps::hasPendingRequests() const
{
    return d->pending.size() > 1;
}

void QHttps::clearPendingRequests()
{
    if (d->pending.size() > 1)
        d->pending.erase(d->pending.begin() + 1, d->pending.end());
}

QHttps::State QHttps::state() const
{
    return d->state;
}

QHttps::Error QHttps::error() const
{
    return d->error;
}

QString QHttps::errorString() const
{
    return d->errorString;
}

bool QHttps::isSSL() const
{
    return d->isSSL;
}
