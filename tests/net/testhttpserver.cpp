#include "testhttpserver.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

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
    if (answer.end == Answer::Close)
        socket->disconnectFromHost();
    else if (answer.end == Answer::Abort)
        socket->abort();
}
