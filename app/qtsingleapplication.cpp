#include "app/qtsingleapplication.h"

#include "app/desktopwindow.h"

#include "core/endrequest.h"
#include "core/keptfiles.h"
#include "core/regularfile.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>

#include <QThread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cerrno>
#include <cstring>

namespace {

constexpr int HeaderSize = 8;
// How long initialize() waits for an existing socket to answer before it counts as stale.
constexpr int StaleProbeMs = 1000;
// How many folders of the series in the temporary folder are tried.
constexpr int FallbackFolders = 16;
// The pause between two tries to reach a copy that is still starting.
constexpr int RetryPauseMs = 20;

std::atomic<quint32> s_messageId{0};

QString ownerName(uid_t uid)
{
    const passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

// A folder that only this user can enter: an existing one must be a real folder (not a link)
// owned by the user with no access for others. Otherwise *problem says what is wrong.
bool privateFolder(const QString& path, QString* problem)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if ((::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        || ::lstat(native.constData(), &info) != 0) {
        *problem = QObject::tr("The folder %1 cannot be made: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
        *problem = QObject::tr("The folder %1 belongs to the user %2 or may be reached by "
                               "others.")
                       .arg(path, ownerName(info.st_uid));
        return false;
    }
    return true;
}

// The name with which a folder is tried for the channel of that id: as long as the channel's
// own, and this process's, so that neither a copy's channel nor another start's try is met.
QString trialName(const QString& id)
{
    return (id + QStringLiteral(".try-%1").arg(::getpid())).right(id.size());
}

// Whether the channel of that id can be named in folder (an existing one); otherwise *problem
// says why. The socket layer and Qt are asked as the channel will ask them, by listening on a
// name of the channel's length beside it, which goes again at once. A name in use there was
// accepted all the same.
bool channelFits(const QString& folder, const QString& id, QString* problem)
{
    QLocalServer trial;
    if (trial.listen(folder + QLatin1Char('/') + trialName(id))
        || trial.serverError() == QAbstractSocket::AddressInUseError)
        return true;
    *problem = QObject::tr("The path %1 cannot name a local socket, most likely because it is "
                           "too long (%2).")
                   .arg(folder + QLatin1Char('/') + id, trial.errorString());
    return false;
}

// Whether the user's runtime folder can hold the channel of that id: a folder of the user's own
// that the user may write in (one inherited from another account is not) and nobody else may
// (another account could place a socket at the channel's path), with room for the socket's
// name. Otherwise *problem says why.
bool runtimeFolderServes(const QString& folder, const QString& id, QString* problem)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (info.st_uid != ::getuid() || ::access(native.constData(), W_OK | X_OK) != 0) {
        *problem = QObject::tr("The runtime folder %1 belongs to the user %2 or may not be written.")
                       .arg(folder, ownerName(info.st_uid));
        return false;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        *problem = QObject::tr("The runtime folder %1 may be written by other users.").arg(folder);
        return false;
    }
    return channelFits(folder, id, problem);
}

// A private folder (see privateFolder()) in which the channel of that id fits; one made only to
// find that it does not goes again.
bool channelFolderAt(const QString& folder, const QString& id, QString* problem)
{
    const QByteArray native = QFile::encodeName(folder);
    const bool existed = ::access(native.constData(), F_OK) == 0;
    if (!privateFolder(folder, problem))
        return false;
    if (channelFits(folder, id, problem))
        return true;
    if (!existed)
        ::rmdir(native.constData());
    return false;
}

// The last resort: a folder in the user's own cache folder, which no other account can make.
QString homeChannelFolder(const QString& id, QString* problem)
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = cache + QStringLiteral("/pantrel-runtime");
    QDir().mkpath(cache);
    return channelFolderAt(folder, id, problem) ? folder : QString();
}

// A runtime folder that does not serve is passed over, as a spoilt folder of the series is.
QString channelFolder(const QString& id, QString* problem)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QStringList reasons;
    QString reason;
    if (!runtime.isEmpty()) {
        if (runtimeFolderServes(runtime, id, &reason))
            return runtime;
        if (!reason.isEmpty())
            reasons << reason;
    }
    const QString base = QDir::tempPath() + QStringLiteral("/pantrel-runtime-%1").arg(::getuid());
    QString first;
    for (int n = 0; n < FallbackFolders; ++n) {
        const QString folder = n == 0 ? base : base + QStringLiteral("-%1").arg(n);
        if (channelFolderAt(folder, id, &reason))
            return folder;
        if (first.isEmpty())
            first = reason;
    }
    const QString home = homeChannelFolder(id, &reason);
    if (!home.isEmpty())
        return home;
    reasons << first << reason;
    *problem = reasons.join(QLatin1Char('\n'))
               + QObject::tr("\nNo private folder for the channel between copies of this program "
                             "could be made in %1 or in your home folder. Set XDG_RUNTIME_DIR to "
                             "a folder of your own with a short path, or remove these folders.")
                     .arg(QDir::tempPath());
    return QString();
}

QByteArray lockPath(const QString& name)
{
    return QFile::encodeName(name + QStringLiteral(".lock"));
}

// Whether a copy holds the lock of the channel (the lock goes with the process that held it).
bool lockIsHeld(const QString& name)
{
    // Without O_NONBLOCK a pipe in the lock's place would block the open for ever.
    const int fd = ::open(lockPath(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

int remaining(const QDeadlineTimer& deadline)
{
    return int(deadline.remainingTime());
}

// The waits of the channel go in steps this long at most, so that the end of the session asked
// for meanwhile is heard at once rather than when the other copy's time is up.
constexpr int WaitStepMs = 100;

// Whether to wait on: time is left and the end of the session was not asked for.
bool mayWait(const QDeadlineTimer& deadline)
{
    return !deadline.hasExpired() && !EndRequest::asked();
}

int step(const QDeadlineTimer& deadline)
{
    return int(qMin<qint64>(deadline.remainingTime(), WaitStepMs));
}

bool waitConnected(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.state() == QLocalSocket::ConnectingState && mayWait(deadline))
        socket.waitForConnected(step(deadline));
    return socket.state() == QLocalSocket::ConnectedState;
}

// Whether a copy is listening on the socket (as opposed to a file left by a crash).
bool channelAnswers(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    return waitConnected(probe, QDeadlineTimer(StaleProbeMs));
}

// Opens the channel. False when another copy answers on it (problem left empty), or when the
// channel cannot be opened (*problem says why).
bool listenRecovering(QLocalServer& server, const QString& name, QString* problem)
{
    if (!server.listen(name)) {
        const bool inUse = server.serverError() == QAbstractSocket::AddressInUseError;
        if (inUse && channelAnswers(name))
            return false;
        // The socket of a copy that crashed goes; nothing else at that path is removed.
        if (!inUse || !QLocalServer::removeServer(name) || !server.listen(name)) {
            *problem = QObject::tr("The channel %1 between copies of this program cannot be "
                                   "opened: %2")
                           .arg(name, server.errorString());
            return false;
        }
    }
    // Only the user may connect, whatever the folder allows. (The server's own access
    // options would bind elsewhere and rename the socket over a running copy's.)
    if (QFile::setPermissions(server.fullServerName(), QFile::ReadOwner | QFile::WriteOwner))
        return true;
    *problem = QObject::tr("The channel %1 between copies of this program cannot be kept "
                           "private.")
                   .arg(name);
    return false;
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
        if (!mayWait(deadline) || socket.state() != QLocalSocket::ConnectedState)
            return false;
        socket.waitForBytesWritten(step(deadline));
    }
    return true;
}

bool readAcknowledgement(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.bytesAvailable() < 1) {
        if (!mayWait(deadline) || socket.state() != QLocalSocket::ConnectedState)
            return false;
        socket.waitForReadyRead(step(deadline));
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
    // The socket goes before the lock, so that the next holder never finds it in use.
    delete _server;
    _releaseLock();
}

QString QtSingleApplication::id() const
{
    return _id;
}

QString QtSingleApplication::serverName(const QString& id, QString* problem)
{
    QString reason;
    const QString folder = channelFolder(id, &reason);
    if (problem)
        *problem = reason;
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + id;
}

quint32 QtSingleApplication::lastMessageId()
{
    return s_messageId.load();
}

QString QtSingleApplication::channelError() const
{
    return _channelError;
}

bool QtSingleApplication::_takeLock(const QString& name)
{
    if (_lockFd >= 0)
        return true;
    const int fd = ::open(lockPath(name).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        _channelError = tr("The lock %1 of the channel between copies of this program cannot "
                           "be made: %2")
                            .arg(name + QStringLiteral(".lock"),
                                 QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    _lockFd = fd;
    return true;
}

void QtSingleApplication::_releaseLock()
{
    if (_lockFd < 0)
        return;
    ::close(_lockFd);
    _lockFd = -1;
}

bool QtSingleApplication::initialize(bool activate)
{
    if (activate) {
        connect(this, &QtSingleApplication::messageReceived, this,
                &QtSingleApplication::activateMainWidget, Qt::UniqueConnection);
    }
    if (_server)
        return true;
    _channelError.clear();
    const QString name = serverName(_id, &_channelError);
    if (name.isEmpty() || !_takeLock(name))
        return false;
    auto* server = new QLocalServer;
    if (!listenRecovering(*server, name, &_channelError)) {
        delete server;
        _releaseLock();
        return false;
    }
    _server = server;
    // A file the user names is never the channel's, which a later copy would take or remove.
    KeptFiles::add(QStringLiteral("channel"), [name] {
        return QStringList{name, QFile::decodeName(lockPath(name))};
    });
    connect(_server, &QLocalServer::newConnection, this, &QtSingleApplication::_acceptConnections);
    return true;
}

QtSingleApplication::Start QtSingleApplication::handOverOrRun(const QString& message, int timeout)
{
    const QDeadlineTimer deadline(qMax(timeout, 0));
    for (;;) {
        if (sendMessage(message, remaining(deadline)))
            return Start::HandedOver;
        if (initialize(false))
            return Start::Running;
        if (!_channelError.isEmpty() || EndRequest::asked())
            return Start::Failed;
        if (deadline.hasExpired()) {
            _channelError = tr("Another copy of this program is running but does not respond. "
                               "Close it and start the program again.");
            return Start::Failed;
        }
        QThread::msleep(RetryPauseMs);
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
    return sendMessageTo(serverName(_id), message, timeout);
}

bool QtSingleApplication::recordChannel(const QString& file) const
{
    QSaveFile record(file);
    const QByteArray name = _server ? QFile::encodeName(_server->fullServerName()) : QByteArray();
    return !name.isEmpty() && record.open(QIODevice::WriteOnly) && record.write(name) == name.size()
           && record.commit();
}

QString QtSingleApplication::recordedChannel(const QString& file) const
{
    QFile record;
    if (!RegularFile::open(record, file))
        return QString();
    const QString name = QFile::decodeName(record.read(PATH_MAX));
    const QString folder = QFileInfo(name).path();
    struct stat info {};
    if (!QDir::isAbsolutePath(name) || QFileInfo(name).fileName() != _id
        || ::lstat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode)
        || info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QString();
    return name;
}

bool QtSingleApplication::sendMessageTo(const QString& name, const QString& message, int timeout)
{
    if (name.isEmpty())
        return false;
    const QDeadlineTimer deadline(qMax(timeout, 0));
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (waitConnected(socket, deadline)) {
            const quint32 messageId = ++s_messageId;
            return writeAll(socket, frame(messageId, message.toLatin1()), deadline)
                   && readAcknowledgement(socket, deadline);
        }
        // A copy that holds the lock but does not listen yet is still starting.
        if (!mayWait(deadline) || !lockIsHeld(name))
            return false;
        QThread::msleep(RetryPauseMs);
    }
}

void QtSingleApplication::activateMainWidget()
{
    QWidget* window = QApplication::activeModalWidget();
    if (!window && _mainWidget && _mainWidget->isVisible())
        window = _mainWidget;
    if (!window)
        return;
    // A dialog stays minimized with the window it stands over: both come back, the dialog on top.
    QWidgetList chain;
    for (QWidget* shown = window; shown; shown = shown->parentWidget() ? shown->parentWidget()->window() : nullptr)
        chain.prepend(shown);
    // They come to the desktop the user is on, wherever they were left.
    for (QWidget* shown : std::as_const(chain)) {
        DesktopWindow::bringToCurrentDesktop(shown);
        if (shown->windowState() & Qt::WindowMinimized)
            shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
        if (shown->isVisible())
            shown->raise();
    }
    window->activateWindow();
    DesktopWindow::activate(window);
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
