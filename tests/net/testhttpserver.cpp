#include "testhttpserver.h"

#include <QEventLoop>
#include <QPointer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

TestHttpServer::TestHttpServer(QObject* parent)
    : TestHttpServer(new QTcpServer, parent)
{
}

TestHttpServer::TestHttpServer(QTcpServer* server, QObject* parent)
    : QObject(parent)
    , _server(server)
{
    _server->setParent(this);
    // The TLS server has a connection only once its handshake is done.
    connect(_server, &QTcpServer::pendingConnectionAvailable, this, &TestHttpServer::_accept);
    _listen();
}

TestHttpServer::~TestHttpServer() = default;

void TestHttpServer::_listen()
{
    if (!_server->listen(QHostAddress::LocalHost, 0))
        qFatal("the test server cannot listen: %s", qPrintable(_server->errorString()));
}

quint16 TestHttpServer::port() const
{
    return _server->serverPort();
}

QString TestHttpServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme()).arg(port()).arg(path);
}

void TestHttpServer::answer(const Answer& answer)
{
    _script.append(answer);
}

void TestHttpServer::answer(const QByteArray& whole, Answer::End end)
{
    Answer answer;
    answer.pieces = {whole};
    answer.end = end;
    _script.append(answer);
}

QByteArray TestHttpServer::ok(const QByteArray& body, const QByteArray& fields)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + fields
         + "\r\n" + body;
}

TestHttpServer::Answer TestHttpServer::tenGigabytes(Framing framing)
{
    constexpr qint64 BLOCK = 64 * 1024;
    constexpr qint64 BLOCKS = 160 * 1024;
    Answer answer;
    answer.filler = QByteArray(BLOCK, 'x');
    answer.fillerRepeats = BLOCKS;
    switch (framing) {
    case Framing::UntilClose:
        answer.pieces = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"};
        answer.end = Answer::Close;
        break;
    case Framing::Chunked:
        answer.pieces = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"};
        answer.filler = QByteArray::number(BLOCK, 16) + "\r\n" + answer.filler + "\r\n";
        break;
    case Framing::Counted:
        answer.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(BLOCK * BLOCKS) + "\r\n\r\n"};
        break;
    }
    return answer;
}

bool TestHttpServer::waitForRequests(int count, int milliseconds)
{
    return QTest::qWaitFor([&] { return _requests.size() >= count; }, milliseconds);
}

void TestHttpServer::sendToAll(const QByteArray& bytes)
{
    for (QTcpSocket* socket : std::as_const(_sockets))
        socket->write(bytes);
}

void TestHttpServer::closeAll()
{
    for (QTcpSocket* socket : std::as_const(_sockets))
        socket->disconnectFromHost();
}

std::function<void()> TestHttpServer::slowListener(const QByteArray& rest, bool* called, bool close)
{
    return [this, rest, called, close] {
        if (*called)
            return;
        *called = true;
        sendToAll(rest);
        if (close)
            closeAll();
        QEventLoop loop;
        QTimer::singleShot(300, &loop, &QEventLoop::quit);
        loop.exec();
    };
}

void TestHttpServer::_accept()
{
    while (QTcpSocket* socket = _server->nextPendingConnection()) {
        ++_accepted;
        _sockets.append(socket);
        socket->setProperty("pending", QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { _read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            _sockets.removeAll(socket);
            socket->deleteLater();
        });
        _read(socket);
    }
}

// Gathers the socket's bytes into whole requests and answers each from the script.
void TestHttpServer::_read(QTcpSocket* socket)
{
    const QByteArray bytes = socket->readAll();
    _received += bytes;
    QByteArray pending = socket->property("pending").toByteArray() + bytes;
    for (;;) {
        const qsizetype end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            break;
        qsizetype length = 0;
        for (const QByteArray& line : pending.left(end).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (pending.size() < end + 4 + length)
            break;
        _requests.append(pending.left(end + 4 + length));
        pending.remove(0, end + 4 + length);
        if (!_script.isEmpty())
            _send(socket, _script.takeFirst());
    }
    socket->setProperty("pending", pending);
}

void TestHttpServer::_send(QTcpSocket* socket, Answer answer)
{
    QPointer<QTcpSocket> guard(socket);
    if (!answer.pieces.isEmpty()) {
        socket->write(answer.pieces.takeFirst());
        if (!answer.pieces.isEmpty()) {
            QTimer::singleShot(answer.pauseMs, this, [this, guard, answer] {
                if (guard)
                    _send(guard, answer);
            });
            return;
        }
    }
    if (answer.fillerRepeats > 0)
        _sendFiller(socket, answer);
    else
        _end(socket, answer.end);
}

void TestHttpServer::_sendFiller(QTcpSocket* socket, const Answer& answer)
{
    auto left = std::make_shared<qint64>(answer.fillerRepeats);
    // A TLS socket encrypts what it is given at once: its encrypted bytes are what wait.
    auto* tls = qobject_cast<QSslSocket*>(socket);
    auto waiting = [socket, tls] { return socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0); };
    auto feed = [this, socket, left, answer, waiting] {
        while (*left > 0 && socket->state() == QAbstractSocket::ConnectedState
               && waiting() < 4 * answer.filler.size()) {
            socket->write(answer.filler);
            _fillerSent += answer.filler.size();
            if (--*left == 0)
                _end(socket, answer.end);
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, this, feed);
    if (tls)
        connect(tls, &QSslSocket::encryptedBytesWritten, this, feed);
    feed();
}

void TestHttpServer::_end(QTcpSocket* socket, Answer::End end)
{
    if (end == Answer::Close)
        socket->disconnectFromHost();
    else if (end == Answer::Abort)
        socket->abort();
}
