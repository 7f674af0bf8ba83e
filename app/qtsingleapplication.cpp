#include "app/qtsingleapplication.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

constexpr int HeaderSize = 8;
// How long initialize() waits for an existing socket to answer before it counts as stale.
constexpr int StaleProbeMs = 1000;

std::atomic<quint32> s_messageId{0};

// A folder that only this user can enter: an existing one must be a real folder (not a link)
// owned by the user with no access for others.
bool privateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

QString channelFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/pantrel-runtime-%1").arg(::getuid());
    return privateFolder(fallback) ? fallback : QString();
}

int remaining(const QDeadlineTimer& deadline)
{
    return int(deadline.remainingTime());
}

// Whether a copy is listening on the socket (as opposed to a file left by a crash).
bool channelAnswers(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(StaleProbeMs);
}

bool listenRecovering(QLocalServer& server, const QString& name)
{
    if (!server.listen(name)) {
        if (server.serverError() != QAbstractSocket::AddressInUseError || channelAnswers(name))
            return false;
        QLocalServer::removeServer(name);
        if (!server.listen(name))
            return false;
    }
    // Only the user may connect, whatever the folder allows. (The server's own access
    // options would bind elsewhere and rename the socket over a running copy's.)
    return QFile::setPermissions(server.fullServerName(), QFile::ReadOwner | QFile::WriteOwner);
}

QByteArray frame(quint32 id, const QByteArray& text)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::BigEndian);
    stream << id << quint32(text.size());
    bytes.append(text);
    return bytes;
}

bool writeAll(QLocalSocket& socket, const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    if (socket.write(bytes) != bytes.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remaining(deadline)))
            return false;
    }
    return true;
}

bool readAcknowledgement(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(remaining(deadline)))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == QtSingleApplication::Acknowledgement;
}

}  // namespace

QtSingleApplication::QtSingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv), _id(id)
{
}

QtSingleApplication::~QtSingleApplication()
{
    delete _server;
}

QString QtSingleApplication::id() const
{
    return _id;
}

QString QtSingleApplication::serverName(const QString& id)
{
    const QString folder = channelFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + id;
}

quint32 QtSingleApplication::lastMessageId()
{
    return s_messageId.load();
}

void QtSingleApplication::initialize(bool activate)
{
    const QString name = serverName(_id);
    if (!_server && !name.isEmpty()) {
        auto* server = new QLocalServer;
        if (listenRecovering(*server, name)) {
            _server = server;
            connect(_server, &QLocalServer::newConnection, this,
                    &QtSingleApplication::_acceptConnections);
        } else {
            delete server;
        }
    }
    if (activate) {
        connect(this, &QtSingleApplication::messageReceived, this,
                &QtSingleApplication::activateMainWidget, Qt::UniqueConnection);
    }
}

bool QtSingleApplication::isRunning() const
{
    return _server != nullptr;
}

void QtSingleApplication::setMainWidget(QWidget* widget)
{
    _mainWidget = widget;
}

QWidget* QtSingleApplication::mainWidget() const
{
    return _mainWidget;
}

bool QtSingleApplication::sendMessage(const QString& message, int timeout)
{
    const QString name = serverName(_id);
    if (name.isEmpty())
        return false;
    const QDeadlineTimer deadline(qMax(timeout, 0));
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(remaining(deadline)))
        return false;
    const quint32 messageId = ++s_messageId;
    return writeAll(socket, frame(messageId, message.toLatin1()), deadline)
           && readAcknowledgement(socket, deadline);
}

void QtSingleApplication::activateMainWidget()
{
    if (!_mainWidget)
        return;
    _mainWidget->raise();
    _mainWidget->activateWindow();
}

void QtSingleApplication::_acceptConnections()
{
    while (QLocalSocket* socket = _server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { _readMessage(socket); });
        _readMessage(socket);
    }
}

void QtSingleApplication::_readMessage(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < HeaderSize)
        return;
    QDataStream header(socket->peek(HeaderSize));
    header.setByteOrder(QDataStream::BigEndian);
    quint32 messageId = 0;
    quint32 length = 0;
    header >> messageId >> length;
    if (length > MaxMessageLength) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (socket->bytesAvailable() < HeaderSize + qint64(length))
        return;
    socket->skip(HeaderSize);
    QByteArray text = socket->read(length);
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    socket->putChar(Acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    emit messageReceived(QString::fromLatin1(text));
}
