#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

// The application id of this program: the copies of it that a user starts find each other by it.
inline constexpr char ApplicationId[] = "mvno71trwepxcz;qa;hbgyun;plokmijn_vetrosqualminds";

// The application object of a program of which one copy runs per login. The running copy holds
// a lock and owns a local socket named after the application id, in a folder only the user can
// reach; a starting copy hands a text message to it with sendMessage() and ends when it is taken.
// Only the holder of the lock ever listens, so two copies started at once cannot both own the
// socket, and a copy that exits never removes a socket another copy listens on.
//
// Wire form of one message: the message id and the length of the text, each a big-endian
// 32-bit word, then the text's Latin-1 bytes. The receiver answers one acknowledgement byte
// before it emits messageReceived(), so a handler that runs a modal dialog does not keep the
// sender waiting.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    // The byte with which the running copy acknowledges a message.
    static constexpr char Acknowledgement = 0x06;
    // The longest text the channel carries; a longer frame closes the connection.
    static constexpr quint32 MaxMessageLength = 64 * 1024;

    // No channel is opened yet.
    QtSingleApplication(const QString& id, int& argc, char** argv);
    ~QtSingleApplication() override;

    QString id() const;

    // Takes the channel's lock and opens the channel, recovering a socket left behind by a copy
    // that crashed. False when another copy holds the lock or owns the socket, or when no
    // channel can be made or opened (channelError() says why). With activate, every message received
    // also brings the window the user works in to the user (activateMainWidget()).
    bool initialize(bool activate);
    // Whether this object has opened the local channel.
    bool isRunning() const;

    // What a starting copy does: hands the message to the running copy, or, when none runs,
    // becomes the running copy with initialize(false). A copy that holds the lock but does not
    // listen yet is still starting: the message is sent again until the timeout.
    enum class Start { HandedOver, Running, Failed };
    Start handOverOrRun(const QString& message, int timeout);
    // Why the last initialize() or handOverOrRun() could not open the channel; empty otherwise.
    QString channelError() const;

    // The window that activateMainWidget() brings when no modal dialog is open; none by default.
    void setMainWidget(QWidget* widget);
    QWidget* mainWidget() const;

    // Where the channel of that id lives: the user's runtime folder ($XDG_RUNTIME_DIR), or
    // else the first folder of the user's own among a fixed series in the temporary folder
    // (a folder that another user made is passed over), or else a folder in the user's cache
    // folder. A runtime folder of another account, one that others may write, or one whose path
    // leaves no room for the socket's name, is passed over too.
    // Empty when none can be used safely; *problem then says why.
    static QString serverName(const QString& id, QString* problem = nullptr);

    // The ids carried by messages sent from this process so far; the first message has id 1.
    static quint32 lastMessageId();

    // Writes where this copy's channel lives into `file`, for a start whose environment puts
    // the channel elsewhere (another runtime folder); false when it could not be written.
    bool recordChannel(const QString& file) const;
    // The channel of this id that `file` records, when it lies in a folder of the user's own
    // that nobody else may write; empty otherwise.
    QString recordedChannel(const QString& file) const;

public slots:
    // Hands the message to the running copy of this id; true only when that copy
    // acknowledged it within timeout milliseconds. False at once when no copy runs.
    bool sendMessage(const QString& message, int timeout);
    // The same through the channel named `channel`.
    bool sendMessageTo(const QString& channel, const QString& message, int timeout);
    // Brings the window the user works in now to the user: the modal dialog or wizard that is
    // open, else the main widget once it is shown. It comes back from minimized, with the
    // windows it stands over, and is raised and made the active window.
    void activateMainWidget();

signals:
    void messageReceived(const QString& message);

private:
    void _acceptConnections();
    void _readMessage(QLocalSocket* socket);

    bool _takeLock(const QString& name);
    void _releaseLock();

    QString _id;
    QString _channelError;
    QLocalServer* _server = nullptr;
    int _lockFd = -1;
    QPointer<QWidget> _mainWidget;
};
