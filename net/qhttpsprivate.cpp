#include "net/qhttpsprivate.h"

#include "net/qtsslsocket.h"

#include <QIODevice>
#include <QPointer>
#include <QUrl>

#include <algorithm>

QHttpsPrivate::QHttpsPrivate(QObject* client, SocketBase* socketBase, bool ssl, const QString& host,
                             quint16 serverPort)
    : q(client)
    , socket(socketBase)
    , errorString(QHttpsBase::tr("Unknown error"))
    , hostname(host)
    , port(serverPort)
    , isSSL(ssl)
{
    _idleTimer.setSingleShot(true);
    _idleTimer.setInterval(0);
    QObject::connect(&_idleTimer, &QTimer::timeout, q, [this] { _idle(); });
    if (hostname.contains(QLatin1String("://")))
        hostname = QUrl(hostname).host();
    _watchdog.setSingleShot(true);
    QObject::connect(&_watchdog, &QTimer::timeout, q, [this] { _timedOut(); });
    _deadline.setSingleShot(true);
    QObject::connect(&_deadline, &QTimer::timeout, q, [this] {
        finishWithError(QHttpsBase::tr("The server took too long to answer"), QHttpsBase::UnknownError);
        close();
    });
    _connectSocket();
}

QHttpsPrivate::~QHttpsPrivate()
{
    socket->disconnect(q);
}

void QHttpsPrivate::_connectSocket()
{
    SocketBase* s = socket.get();
    if (isSSL) {
        QObject::connect(s, &SocketBase::certCheckFailed, q,
                         [this](int code, const QString& reason) { _refuseServer(code, reason); });
    }
    QObject::connect(s, &SocketBase::connected, q, [this] { slotConnected(); });
    QObject::connect(s, &SocketBase::connectionClosed, q, [this] { slotClosed(); });
    QObject::connect(s, &SocketBase::readyRead, q, [this] { slotReadyRead(); });
    QObject::connect(s, &SocketBase::error, q, [this](int code) { slotError(code); });
    QObject::connect(s, &SocketBase::bytesWritten, q, [this](qint64 n) { slotBytesWritten(n); });
}

// Called while the socket reports, before it has said it is connected: the connection is
// closed there, so that nothing of any request reaches the server.
void QHttpsPrivate::_refuseServer(int code, const QString& reason)
{
    const QPointer<QObject> client(q);
    if (pending.empty())
        _stopReading();
    else
        finishWithError(QHttpsBase::tr("The identity of the server %1 could not be verified: %2.")
                            .arg(hostname, reason),
                        QHttpsBase::CertificateRejected);
    if (client)
        emit certCheckFailed(code, reason);
}

void QHttpsPrivate::setServer(const QString& host, quint16 serverPort)
{
    hostname = host;
    port = serverPort;
}

void QHttpsPrivate::_setState(QHttpsBase::State newState)
{
    if (state == newState)
        return;
    state = newState;
    emit stateChanged(int(newState));
}

void QHttpsPrivate::_arm(int milliseconds)
{
    _watchdog.start(milliseconds);
}

bool QHttpsPrivate::_inFlight() const
{
    return started && _sending;
}

// ---- Queue -------------------------------------------------------------------------------

int QHttpsPrivate::addRequest(QHttpsRequest* request)
{
    pending.emplace_back(request);
    if (pending.size() == 1)
        QTimer::singleShot(0, q, [this] { startNextRequest(); });
    return request->id();
}

void QHttpsPrivate::startNextRequest()
{
    if (pending.empty() || started)
        return;
    started = true;
    _sending = false;
    error = QHttpsBase::NoError;
    errorString = QHttpsBase::tr("Unknown error");
    rba.clear();
    rbaSize = 0;
    const quint64 run = generation;
    QHttpsRequest* request = current();
    emit requestStarted(request->id());
    if (run == generation)
        request->start(this);
}

void QHttpsPrivate::finishWithSuccess()
{
    if (!started)
        return;
    _watchdog.stop();
    _deadline.stop();
    std::unique_ptr<QHttpsRequest> finished = std::move(pending.front());
    pending.pop_front();
    started = false;
    _sending = false;
    const quint64 run = ++generation;
    emit requestFinished(finished->id(), false);
    if (run != generation)
        return;
    if (!pending.empty())
        startNextRequest();
    else
        emit done(false);
}

void QHttpsPrivate::finishWithError(const QString& message, QHttpsBase::Error code)
{
    if (pending.empty())
        return;
    _watchdog.stop();
    _deadline.stop();
    std::deque<std::unique_ptr<QHttpsRequest>> dropped;
    dropped.swap(pending);
    started = false;
    _sending = false;
    postDevice = nullptr;
    ++generation;
    error = code;
    errorString = message;
    _stopReading();
    emit requestFinished(dropped.front()->id(), true);
    emit done(true);
}

void QHttpsPrivate::abort()
{
    if (pending.empty())
        return;
    finishWithError(QHttpsBase::tr("Request aborted"), QHttpsBase::Aborted);
    socket->clearPendingData();
    close();
}

// ---- Sending -----------------------------------------------------------------------------

void QHttpsPrivate::startRequest(const QHttpsRequestHeader& requestHeader, const QByteArray& data,
                                 QIODevice* to)
{
    header = requestHeader;
    buffer = data;
    if (!buffer.isEmpty())
        header.setContentLength(int(buffer.size()));
    postDevice = nullptr;
    toDevice = to && (to->isWritable() || to->open(QIODevice::WriteOnly)) ? to : nullptr;
    sendRequest();
}

void QHttpsPrivate::startRequest(const QHttpsRequestHeader& requestHeader, QIODevice* data,
                                 QIODevice* to)
{
    header = requestHeader;
    buffer.clear();
    postDevice = data && (data->isReadable() || data->open(QIODevice::ReadOnly)) ? data : nullptr;
    if (postDevice && postDevice->size() > 0)
        header.setContentLength(int(postDevice->size()));
    toDevice = to && (to->isWritable() || to->open(QIODevice::WriteOnly)) ? to : nullptr;
    sendRequest();
}

void QHttpsPrivate::startClose()
{
    if (state == QHttpsBase::Unconnected && socket->state() == SocketBase::Unconnected) {
        finishWithSuccess();
        return;
    }
    if (state == QHttpsBase::Unconnected)
        _setState(QHttpsBase::Connected);
    close();
}

void QHttpsPrivate::sendRequest()
{
    if (hostname.isNull()) {
        finishWithError(QHttpsBase::tr("No server set to connect to"), QHttpsBase::UnknownError);
        return;
    }
    _idleTimer.stop();
    _sending = true;
    const QHttpsBase::Timeouts timeouts = QHttpsBase::defaultTimeouts();
    _deadline.start(toDevice ? timeouts.download : timeouts.document);
    if (hostname.contains(QLatin1String("://")))
        hostname = QUrl(hostname).host();
    if (socket->peerName() == hostname && socket->state() == SocketBase::Connected
        && socket->isOpen()) {
        slotConnected();
        return;
    }
    const int socketState = socket->state();
    if (isSSL && (socketState == QtSSLSocket::HandshakeClient || socketState == QtSSLSocket::Connected)) {
        _arm(timeouts.handshake);  // the handshake is under way
        return;
    }
    if (!isSSL)
        _setState(QHttpsBase::Connecting);
    _arm(timeouts.connect + (isSSL ? timeouts.handshake : 0));
    socket->connectToHost(hostname, port);
}

void QHttpsPrivate::slotConnected()
{
    if (!_inFlight()) {
        // A TLS connection made ahead of its request waits for it.
        if (state == QHttpsBase::Unconnected)
            _setState(QHttpsBase::Connected);
        return;
    }
    const quint64 run = generation;
    if (state != QHttpsBase::Sending) {
        bytesDone = 0;
        _setState(QHttpsBase::Sending);
        if (run != generation)
            return;
    }
    _arm(QHttpsBase::defaultTimeouts().stall);
    const QByteArray text = header.toString().toLatin1();
    bytesTotal = text.size();
    socket->writeBlock(text.constData(), text.size());
    if (postDevice) {
        bytesTotal += postDevice->size();
        if (socket->bytesToWrite() == 0)
            slotBytesWritten(0);
    } else {
        bytesTotal += buffer.size();
        socket->writeBlock(buffer.constData(), buffer.size());
        buffer.clear();
    }
}

void QHttpsPrivate::slotBytesWritten(qint64 written)
{
    if (!_inFlight() || (state != QHttpsBase::Sending && state != QHttpsBase::Reading))
        return;
    _arm(QHttpsBase::defaultTimeouts().stall);
    if (state != QHttpsBase::Sending)
        return;
    bytesDone += written;
    const quint64 run = generation;
    emit dataSendProgress(int(bytesDone), int(bytesTotal));
    if (run != generation || !postDevice || socket->bytesToWrite() > 0)
        return;
    const qint64 wanted = std::min<qint64>(4096, postDevice->size() - postDevice->pos());
    const QByteArray block = postDevice->read(wanted);
    if (block.size() < wanted) {
        qWarning("Could not read enough bytes from the device");
        close();
        return;
    }
    if (postDevice->atEnd())
        postDevice = nullptr;
    socket->writeBlock(block.constData(), block.size());
}

void QHttpsPrivate::close()
{
    if (state == QHttpsBase::Unconnected || state == QHttpsBase::Closing) {
        _closeSocket();
        return;
    }
    postDevice = nullptr;
    _setState(QHttpsBase::Closing);
    if (socket->isOpen() || socket->state() != SocketBase::Unconnected) {
        socket->close();
        if (socket->state() != SocketBase::Unconnected)
            return;
    }
    _idleTimer.start();
}

// A failed request's connection reads nothing more, whatever its listeners do meanwhile;
// the client's own state follows through close().
void QHttpsPrivate::_stopReading()
{
    const QSignalBlocker quiet(socket.get());
    if (socket->isOpen())
        socket->clearPendingData();
    _closeSocket();
}

// Closes a connection that no request uses, without a word.
void QHttpsPrivate::_closeSocket()
{
    if (socket->isOpen() || socket->state() != SocketBase::Unconnected)
        socket->close();
}

void QHttpsPrivate::_idle()
{
    if (state == QHttpsBase::Connected) {
        finishWithSuccess();
    } else if (state != QHttpsBase::Unconnected) {
        const quint64 run = generation;
        _setState(QHttpsBase::Unconnected);
        if (run == generation)
            finishWithSuccess();
    }
}

// Whether the server was reached tells a failure of the connection from one of the server.
void QHttpsPrivate::_timedOut()
{
    if (!socket->linked())
        finishWithError(QHttpsBase::tr("The connection to %1 timed out: the server could not be reached.")
                            .arg(hostname),
                        QHttpsBase::NoConnection);
    else if (isSSL && socket->state() != SocketBase::Connected)
        _failSecureConnection(QHttpsBase::tr("the server did not answer the handshake"));
    else
        finishWithError(QHttpsBase::tr("The connection to %1 timed out: the server stopped answering.")
                            .arg(hostname),
                        QHttpsBase::UnknownError);
    close();
}

void QHttpsPrivate::_failSecureConnection(const QString& reason)
{
    finishWithError(QHttpsBase::tr("The secure connection to %1 failed: %2.").arg(hostname, reason),
                    QHttpsBase::SecureConnectionFailed);
}

void QHttpsPrivate::slotError(int code)
{
    postDevice = nullptr;
    if (started && _sending) {
        if (code == 0)
            finishWithError(QHttpsBase::tr("The server %1 refused the connection.").arg(hostname),
                            QHttpsBase::ConnectionRefused);
        else if (code == 1)
            finishWithError(QHttpsBase::tr("The server %1 could not be found.").arg(socket->peerName()),
                            QHttpsBase::HostNotFound);
        else if (code == 3)
            _failSecureConnection(socket->errorString());
        else
            finishWithError(QHttpsBase::tr("The connection to %1 failed: %2.").arg(hostname, socket->errorString()),
                            socket->linked() ? QHttpsBase::UnknownError : QHttpsBase::NoConnection);
    }
    close();
}
