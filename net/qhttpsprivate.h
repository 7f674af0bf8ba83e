#pragma once

#include "net/qhttpsbase.h"
#include "net/qhttpsrequest.h"
#include "net/qhttpsrequesttarget.h"
#include "net/qhttpsresponseheader.h"
#include "net/socketbase.h"

#include <QTimer>

#include <deque>
#include <memory>

// The working state of one client: its queue, its connection and the response being read.
// What happens to it is told through its signals, which the client passes on as its own.
class QHttpsPrivate : public QObject, public QHttpsRequestTarget
{
    Q_OBJECT

public:
    QHttpsPrivate(QObject* client, SocketBase* socket, bool ssl, const QString& host, quint16 port);
    ~QHttpsPrivate();

    // Queueing and finishing.
    int addRequest(QHttpsRequest* request);
    void startNextRequest();
    QHttpsRequest* current() const { return pending.empty() ? nullptr : pending.front().get(); }
    void finishWithSuccess() override;
    void finishWithError(const QString& message, QHttpsBase::Error code);
    void abort();

    // Sending.
    void startRequest(const QHttpsRequestHeader& requestHeader, const QByteArray& data,
                      QIODevice* to) override;
    void startRequest(const QHttpsRequestHeader& requestHeader, QIODevice* data,
                      QIODevice* to) override;
    void startClose() override;
    QString hostName() const override { return hostname; }
    void setServer(const QString& host, quint16 serverPort) override;
    void sendRequest();
    void slotConnected();
    void slotBytesWritten(qint64 written);
    void close();

    // Reading the response.
    void slotReadyRead();
    void slotClosed();
    void slotError(int code);
    qint64 readBlock(char* data, qint64 length);
    QByteArray readAll();

    QObject* q;  // the client, which the connections of its parts go with
    std::unique_ptr<SocketBase> socket;
    std::deque<std::unique_ptr<QHttpsRequest>> pending;
    bool started = false;  // the front of the queue has started
    QHttpsBase::State state = QHttpsBase::Unconnected;
    QHttpsBase::Error error = QHttpsBase::NoError;
    QString errorString;
    QString hostname;
    quint16 port;
    bool isSSL;
    QByteArray buffer;
    QIODevice* toDevice = nullptr;
    QIODevice* postDevice = nullptr;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    QHttpsRequestHeader header;
    QHttpsResponseHeader response;
    QHttpsBase::Limits limits;
    std::deque<QByteArray> rba;
    qint64 rbaSize = 0;
    quint64 generation = 0;  // changes whenever a request ends

signals:
    // Heard by the client as its own.
    void stateChanged(int state);
    void responseHeaderReceived(const QHttpsResponseHeader& response);
    void readyRead(const QHttpsResponseHeader& response);
    void dataSendProgress(int done, int total);
    void dataReadProgress(int done, int total);
    void requestStarted(int id);
    void requestFinished(int id, bool error);
    void done(bool error);
    void certCheckFailed(int code, const QString& text);

private:
    enum class Body { None, Counted, Chunked, UntilClose };
    enum class Step { Wait, Done, Failed };
    // Chunked decoding: a size line is due, bytes of a chunk, its CR LF, the trailer.
    enum ChunkState { SizeLine = 0, TrailerLines = -2, ChunkEnd = -3, Finished = -1 };

    void _connectSocket();
    void _timedOut();
    void _failSecureConnection(const QString& reason);
    void _refuseServer(int code, const QString& reason);
    void _setState(QHttpsBase::State newState);
    void _arm(int milliseconds);
    void _idle();
    void _closeSocket();
    void _stopReading();
    void _dropIdleConnection();
    bool _inFlight() const;
    void _failRead(const QString& message, QHttpsBase::Error code);
    void _readResponse();
    Step _readHeader();
    Step _startBody();
    Step _readBody(QByteArray& piece);
    Step _readChunked(QByteArray& piece);
    Step _readChunkSize();
    Step _readTrailer();
    bool _deliver(QByteArray& piece);
    void _complete();
    qint64 _bodyLimit() const;
    QString _unfinishedReason() const;

    QTimer _idleTimer;
    QTimer _watchdog;
    QTimer _deadline;
    bool _sending = false;      // the request has been handed to the socket
    bool _readingHeader = true;
    qsizetype _scanned = 0;     // header bytes already searched for the header's end
    Body _body = Body::None;
    qint64 _chunkedSize = Finished;
    qint64 _trailerBytes = 0;
    qint64 _contentLength = 0;
    qint64 _received = 0;       // body bytes of the current response
    bool _responseDone = false;
    QByteArray _input;          // bytes from the socket not yet taken apart
};
