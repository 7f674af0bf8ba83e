#include "catalogue/blockingprocess.h"

#include "core/endrequest.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <cstring>

namespace {

// A wait on the child goes a slice at a time, so that the end of the session asked for ends it.
constexpr qint64 SliceMs = 100;

int slice(const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime();
    return int(left < 0 || left > SliceMs ? SliceMs : left);
}

} // namespace

BlockingProcess::BlockingProcess(const QString& command)
    : _process(new QProcess(this))
{
    _process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(_process, &QProcess::readyReadStandardOutput, this, &BlockingProcess::_readyReadStdout);
    _process->start(command, QStringList());
    if (!_process->waitForStarted()) {
        qWarning("BlockingProcess: failed to start %s: %s", qPrintable(command),
                 qPrintable(_process->errorString()));
        return;
    }
    QIODevice::open(ReadWrite | Unbuffered);
    _readyReadStdout();
    qInfo("BlockingProcess: successfully started %s", qPrintable(command));
}

BlockingProcess::~BlockingProcess()
{
    _letChildGo();
}

// A child that has been told goodbye usually exits at once, once its input is closed. One
// that does not outlives this device: the application keeps it, asks it to terminate,
// deletes it when it reports its exit, and kills it when it takes too long.
void BlockingProcess::_letChildGo()
{
    disconnect(_process, nullptr, this, nullptr);
    _process->closeWriteChannel();
    if (_process->state() == QProcess::NotRunning || _process->waitForFinished(EXIT_GRACE_MS))
        return;
    _process->setParent(QCoreApplication::instance());
    connect(_process, &QProcess::finished, _process, &QObject::deleteLater);
    QTimer::singleShot(KILL_DELAY_MS, _process, &QProcess::kill);
    _process->terminate();
}

bool BlockingProcess::open(OpenMode)
{
    return false;
}

bool BlockingProcess::isRunning() const
{
    return _process->state() == QProcess::Running;
}

void BlockingProcess::_readyReadStdout()
{
    _buffer += _process->readAllStandardOutput();
}

qint64 BlockingProcess::readData(char* data, qint64 maxSize)
{
    if (_buffer.size() < maxSize)
        _readyReadStdout();
    while (_buffer.size() < maxSize && _waitForOutput())
        _readyReadStdout();
    const qint64 count = qMin(qint64(_buffer.size()), maxSize);
    if (count == 0 && !isRunning())
        return -1;
    std::memcpy(data, _buffer.constData(), size_t(count));
    _buffer.remove(0, count);
    return count;
}

// Waits on the child's output alone: no event is delivered meanwhile, so that nothing else
// (a timer's slot, say) runs in the middle of a call.
bool BlockingProcess::_waitForOutput()
{
    if (!isRunning() || _deadline.hasExpired() || EndRequest::asked())
        return false;
    _process->waitForReadyRead(slice(_deadline));
    return true;
}

qint64 BlockingProcess::writeData(const char* data, qint64 size)
{
    if (!isRunning())
        return -1;
    const qint64 written = _process->write(data, size);
    if (written != size || !_flushInput())
        return -1;
    return written;
}

bool BlockingProcess::_flushInput()
{
    while (_process->bytesToWrite() > 0) {
        if (!isRunning() || _deadline.hasExpired() || EndRequest::asked())
            return false;
        _process->waitForBytesWritten(slice(_deadline));
    }
    return true;
}
