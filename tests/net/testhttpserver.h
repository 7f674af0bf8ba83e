#pragma once

// A web server for tests, on 127.0.0.1 only, that records every request it receives and
// answers from a script: each answer is sent in pieces with pauses between them and then
// keeps the connection, closes it, drops it or stalls.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Answer {
        enum End { KeepOpen, Close, Abort, Stall };
        QList<QByteArray> pieces;
        int pauseMs = 0;
        End end = KeepOpen;
        // After the pieces, filler is sent this many times, each only as the connection takes
        // it, so that an endless answer is never held in memory; then the answer ends.
        QByteArray filler;
        qint64 fillerRepeats = 0;
    };

    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    quint16 port() const;
    // "http://127.0.0.1:<port><path>" ("https" for the TLS server).
    QString url(const QString& path = QStringLiteral("/")) const;

    // Queues the answer to the next request.
    void answer(const Answer& answer);
    void answer(const QByteArray& whole, Answer::End end = Answer::KeepOpen);
    // A complete response with status 200 and a counted body.
    static QByteArray ok(const QByteArray& body, const QByteArray& fields = QByteArray());
    // A response with status 200 and a body of 10 GiB, made as it is sent, framed as said.
    enum class Framing { UntilClose, Chunked, Counted };
    static Answer tenGigabytes(Framing framing);

    // Requests received whole (header and counted body), in order, over every connection.
    QList<QByteArray> requests() const { return _requests; }
    // Every byte received, over every connection.
    QByteArray received() const { return _received; }
    int acceptCount() const { return _accepted; }
    // Connections the client has not closed.
    int openConnections() const { return int(_sockets.size()); }
    // Filler bytes handed to the connections so far.
    qint64 fillerSent() const { return _fillerSent; }
    bool waitForRequests(int count, int milliseconds = 2000);
    // Sends bytes on every open connection now, outside any answer.
    void sendToAll(const QByteArray& bytes);
    void closeAll();
    // A listener that is slow on its first call only: it has the rest sent (and every
    // connection closed, when asked) and runs an event loop for 300 ms before it returns.
    // *called tells whether that happened.
    std::function<void()> slowListener(const QByteArray& rest, bool* called, bool close = false);

protected:
    TestHttpServer(QTcpServer* server, QObject* parent);
    virtual QString scheme() const { return QStringLiteral("http"); }

private:
    void _listen();
    void _accept();
    void _read(QTcpSocket* socket);
    void _send(QTcpSocket* socket, Answer answer);
    void _sendFiller(QTcpSocket* socket, const Answer& answer);
    void _end(QTcpSocket* socket, Answer::End end);

    QTcpServer* _server;
    QList<Answer> _script;
    QList<QByteArray> _requests;
    QByteArray _received;
    QList<QTcpSocket*> _sockets;
    int _accepted = 0;
    qint64 _fillerSent = 0;
};
