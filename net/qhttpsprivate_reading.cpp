// How the client reads a response: the header, the body in its three framings, delivery to
// a device or the read buffer, and the check made when the server closes.
#include "net/qhttpsprivate.h"

#include <QIODevice>

#include <algorithm>
#include <cctype>

namespace {

bool isEmptyLine(const QByteArray& line)
{
    return line == "\r\n" || line == "\n";
}

// Plain decimal digits with blanks around; -1 otherwise.
qint64 decimal(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 18)
        return -1;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return digits.toLongLong();
}

// Plain hexadecimal digits with blanks around; -1 otherwise.
qint64 hexadecimal(const QByteArray& text)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 15)
        return -1;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return -1;
    }
    return digits.toLongLong(nullptr, 16);
}

} // namespace

void QHttpsPrivate::slotReadyRead()
{
    if (!_inFlight() || (state != QHttpsBase::Sending && state != QHttpsBase::Reading)) {
        _dropIdleConnection();
        return;
    }
    const quint64 run = generation;
    if (state != QHttpsBase::Reading) {
        _setState(QHttpsBase::Reading);
        if (run != generation)
            return;
        _readingHeader = true;
        _scanned = 0;
        _received = 0;
        _responseDone = false;
        _input.clear();
        bytesDone = 0;
    }
    // Bytes that come while a listener runs an event loop are announced by nobody: the
    // socket is inside this very signal. So reading goes on while it holds some.
    do {
        _input += socket->readAll();
        _arm(QHttpsBase::defaultTimeouts().stall);
        _readResponse();
    } while (run == generation && state == QHttpsBase::Reading && !_responseDone && socket->bytesAvailable() > 0);
}

// Bytes on a connection that no request is reading: the connection is out of step.
void QHttpsPrivate::_dropIdleConnection()
{
    socket->clearPendingData();
    close();
}

void QHttpsPrivate::_failRead(const QString& message, QHttpsBase::Error code)
{
    finishWithError(message, code);
    close();
}

void QHttpsPrivate::_readResponse()
{
    const quint64 run = generation;
    while (_readingHeader) {
        const Step step = _readHeader();
        if (step != Step::Done || run != generation)
            return;
    }
    if (_responseDone)
        return;
    QByteArray piece;
    const Step step = _readBody(piece);
    if (step == Step::Failed || !_deliver(piece) || run != generation)
        return;
    if (step == Step::Done)
        _complete();
}

QHttpsPrivate::Step QHttpsPrivate::_readHeader()
{
    qsizetype newline;
    while ((newline = _input.indexOf('\n', _scanned)) >= 0) {
        const bool emptyLine = newline == _scanned || (newline == _scanned + 1 && _input[_scanned] == '\r');
        _scanned = newline + 1;
        if (_scanned > limits.header)
            break;
        if (!emptyLine)
            continue;
        const QByteArray text = _input.left(_scanned);
        _input.remove(0, _scanned);
        _scanned = 0;
        response = QHttpsResponseHeader(QString::fromLatin1(text));
        if (!response.isValid()) {
            _failRead(QHttpsBase::tr("Invalid HTTP response header"), QHttpsBase::InvalidResponseHeader);
            return Step::Failed;
        }
        if (response.statusCode() < 200)
            continue;  // an interim answer: the real one follows
        return _startBody();
    }
    if (_input.size() > limits.header) {
        _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
        return Step::Failed;
    }
    return Step::Wait;
}

QHttpsPrivate::Step QHttpsPrivate::_startBody()
{
    _readingHeader = false;
    _trailerBytes = 0;
    _chunkedSize = Finished;
    _contentLength = -1;
    const int status = response.statusCode();
    if (header.method() == QLatin1String("HEAD") || status == 204 || status == 304) {
        _body = Body::None;
    } else if (response.value(QStringLiteral("transfer-encoding")).toLower().contains(QLatin1String("chunked"))) {
        _body = Body::Chunked;
        _chunkedSize = SizeLine;
    } else if (response.hasContentLength()) {
        _body = Body::Counted;
        _contentLength = decimal(response.value(QStringLiteral("content-length")));
        if (_contentLength < 0) {
            _failRead(QHttpsBase::tr("Invalid HTTP response header"), QHttpsBase::InvalidResponseHeader);
            return Step::Failed;
        }
        if (_contentLength > _bodyLimit()) {
            _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
            return Step::Failed;
        }
    } else {
        _body = Body::UntilClose;
    }
    const quint64 run = generation;
    emit responseHeaderReceived(response);
    if (run != generation)
        return Step::Failed;
    if (_body == Body::None || (_body == Body::Counted && _contentLength == 0))
        _complete();
    return Step::Done;
}

qint64 QHttpsPrivate::_bodyLimit() const
{
    return toDevice ? limits.deviceBody : limits.bufferBody;
}

QHttpsPrivate::Step QHttpsPrivate::_readBody(QByteArray& piece)
{
    switch (_body) {
    case Body::Chunked:
        return _readChunked(piece);
    case Body::Counted: {
        const qint64 wanted = std::min<qint64>(_input.size(), _contentLength - _received);
        piece = wanted == _input.size() ? std::move(_input) : _input.left(wanted);
        _input.remove(0, wanted);
        _received += wanted;
        return _received == _contentLength ? Step::Done : Step::Wait;
    }
    case Body::UntilClose:
        piece = std::move(_input);
        _input.clear();
        _received += piece.size();
        if (_received > _bodyLimit()) {
            _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
            return Step::Failed;
        }
        return Step::Wait;
    case Body::None:
        break;
    }
    return Step::Done;
}

QHttpsPrivate::Step QHttpsPrivate::_readChunked(QByteArray& piece)
{
    for (;;) {
        if (_chunkedSize == SizeLine) {
            const Step step = _readChunkSize();
            if (step != Step::Done)
                return step;
        } else if (_chunkedSize == TrailerLines) {
            return _readTrailer();
        } else if (_chunkedSize == ChunkEnd) {
            if (_input.size() < 2)
                return Step::Wait;
            if (!_input.startsWith("\r\n")) {
                _failRead(QHttpsBase::tr("Invalid HTTP chunked body"), QHttpsBase::WrongContentLength);
                return Step::Failed;
            }
            _input.remove(0, 2);
            _chunkedSize = SizeLine;
        } else {
            if (_input.isEmpty())
                return Step::Wait;
            const qint64 taken = std::min<qint64>(_input.size(), _chunkedSize);
            piece += _input.left(taken);
            _input.remove(0, taken);
            _chunkedSize -= taken;
            _received += taken;
            if (_chunkedSize == 0)
                _chunkedSize = ChunkEnd;
        }
    }
}

QHttpsPrivate::Step QHttpsPrivate::_readChunkSize()
{
    const qsizetype newline = _input.indexOf('\n');
    if (newline < 0 ? _input.size() > limits.chunkSizeLine : newline + 1 > limits.chunkSizeLine) {
        _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
        return Step::Failed;
    }
    if (newline < 0)
        return Step::Wait;
    QByteArray line = _input.left(newline + 1);
    _input.remove(0, newline + 1);
    const qsizetype semicolon = line.indexOf(';');
    if (semicolon >= 0)
        line.truncate(semicolon);
    const qint64 size = hexadecimal(line);
    if (size < 0) {
        _failRead(QHttpsBase::tr("Invalid HTTP chunked body"), QHttpsBase::WrongContentLength);
        return Step::Failed;
    }
    if (_received + size > _bodyLimit()) {
        _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
        return Step::Failed;
    }
    _chunkedSize = size == 0 ? qint64(TrailerLines) : size;
    return Step::Done;
}

QHttpsPrivate::Step QHttpsPrivate::_readTrailer()
{
    qsizetype newline;
    while ((newline = _input.indexOf('\n')) >= 0) {
        const QByteArray line = _input.left(newline + 1);
        _input.remove(0, newline + 1);
        _trailerBytes += line.size();
        if (isEmptyLine(line)) {
            _chunkedSize = Finished;
            return Step::Done;
        }
    }
    if (_trailerBytes + _input.size() > limits.header) {
        _failRead(QHttpsBase::tr("Response too large"), QHttpsBase::WrongContentLength);
        return Step::Failed;
    }
    return Step::Wait;
}

// Hands this pass's body bytes on; false when a listener ended the request meanwhile.
bool QHttpsPrivate::_deliver(QByteArray& piece)
{
    if (piece.isEmpty())
        return true;
    const quint64 run = generation;
    const int total = _contentLength > 0 ? int(_contentLength) : 0;
    if (toDevice) {
        toDevice->write(piece);
        bytesDone += piece.size();
        emit dataReadProgress(int(_received), total);
        return run == generation;
    }
    rbaSize += piece.size();
    rba.push_back(std::move(piece));
    emit dataReadProgress(int(_received), total);
    if (run != generation)
        return false;
    emit readyRead(response);
    return run == generation;
}

void QHttpsPrivate::_complete()
{
    _responseDone = true;
    _watchdog.stop();
    _deadline.stop();
    // Bytes behind a complete response belong to no request: the connection is out of step.
    const bool closing = response.value(QStringLiteral("connection")).toLower() == QLatin1String("close")
                      || !_input.isEmpty();
    _input.clear();
    if (closing) {
        close();
        return;
    }
    // The request finishes once this slot has returned; the connection stays for the next.
    _setState(QHttpsBase::Connected);
    _idleTimer.start();
}

QString QHttpsPrivate::_unfinishedReason() const
{
    if (_readingHeader)
        return QHttpsBase::tr("Invalid HTTP response header");
    if (_body == Body::Chunked)
        return QHttpsBase::tr("Invalid HTTP chunked body");
    if (_body == Body::Counted || !socket->closedCleanly())
        return QHttpsBase::tr("Wrong content length");
    return QString();
}

void QHttpsPrivate::slotClosed()
{
    if (state == QHttpsBase::Closing) {
        _idleTimer.start();
        return;
    }
    const quint64 run = generation;
    if (_inFlight() && state == QHttpsBase::Reading) {
        _input += socket->readAll();
        _readResponse();
        if (run != generation)
            return;
        if (!_responseDone) {
            const QString reason = _unfinishedReason();
            if (!reason.isEmpty()) {
                finishWithError(reason, _readingHeader ? QHttpsBase::InvalidResponseHeader
                                                       : QHttpsBase::WrongContentLength);
            }
        }
    } else if (_inFlight() && state != QHttpsBase::Connected) {
        finishWithError(QHttpsBase::tr("Server closed connection unexpectedly"), QHttpsBase::UnexpectedClose);
    }
    postDevice = nullptr;
    if (state == QHttpsBase::Unconnected)
        return;
    _setState(QHttpsBase::Closing);
    _idleTimer.start();
}

qint64 QHttpsPrivate::readBlock(char* data, qint64 length)
{
    if (!data && length > 0) {
        qWarning("QHttps::readBlock: Null pointer error");
        return -1;
    }
    qint64 taken = 0;
    while (taken < length && !rba.empty()) {
        QByteArray& front = rba.front();
        const qint64 count = std::min<qint64>(length - taken, front.size());
        std::copy_n(front.constData(), count, data + taken);
        taken += count;
        if (count == front.size())
            rba.pop_front();
        else
            front.remove(0, count);
    }
    rbaSize -= taken;
    bytesDone += taken;
    return taken;
}

QByteArray QHttpsPrivate::readAll()
{
    QByteArray all(rbaSize, Qt::Uninitialized);
    readBlock(all.data(), all.size());
    return all;
}
