#include "app/qtsingleapplication.h"
#include "core/keptfiles.h"
#include "reports/printsteps.h"
#include "channelpeer.h"

#include <QDataStream>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPrinter>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <future>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QByteArray frame(quint32 id, const QByteArray& text, quint32 length)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::BigEndian);
    stream << id << length;
    return bytes + text;
}

QByteArray frame(const QByteArray& text)
{
    return frame(7, text, quint32(text.size()));
}

// What a fake running copy received on one connection.
struct Received
{
    bool connected = false;
    quint32 id = 0;
    QByteArray text;
};

// A running copy in a thread of its own: takes one connection, reads one message and
// acknowledges it unless told not to.
class FakeOwner
{
public:
    FakeOwner(const QString& name, bool acknowledge)
    {
        std::future<void> ready = _listening.get_future();
        _thread.reset(QThread::create([this, name, acknowledge] {
            QLocalServer server;
            QLocalServer::removeServer(name);
            server.listen(name);
            _listening.set_value();
            _result.set_value(serve(server, acknowledge));
        }));
        _thread->start();
        ready.wait();
    }
    ~FakeOwner() { _thread->wait(); }
    Received result()
    {
        Received received = _result.get_future().get();
        _thread->wait();
        return received;
    }

private:
    static Received serve(QLocalServer& server, bool acknowledge)
    {
        Received received;
        if (!server.waitForNewConnection(3000))
            return received;
        QLocalSocket* socket = server.nextPendingConnection();
        received.connected = true;
        while (socket->bytesAvailable() < 8 && socket->waitForReadyRead(3000)) {
        }
        QDataStream header(socket->read(8));
        header.setByteOrder(QDataStream::BigEndian);
        quint32 length = 0;
        header >> received.id >> length;
        while (socket->bytesAvailable() < length && socket->waitForReadyRead(3000)) {
        }
        received.text = socket->read(length);
        if (socket->state() != QLocalSocket::ConnectedState) {
            return received;
        } else if (acknowledge) {
            socket->putChar(QtSingleApplication::Acknowledgement);
            socket->waitForBytesWritten(3000);
        } else {
            socket->waitForDisconnected(3000);
        }
        return received;
    }

    std::promise<void> _listening;
    std::promise<Received> _result;
    std::unique_ptr<QThread> _thread;
};

}  // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit TestSingleInstance(QtSingleApplication* app) : _app(app) {}

private slots:
    void sendWithoutRunningCopyFailsAtOnce();
    void sendCarriesLatin1TextAndCountsIds();
    void unacknowledgedSendFailsAfterTimeout();
    void liveOwnerKeepsTheChannel();
    void staleSocketIsRecovered();
    void receivesMessagesOnlyTheUserCanSend();
    void acknowledgesBeforeTheHandlerRuns();
    void oversizedMessageIsRefused();
    void foreignChannelFolderIsPassedOver();
    void wakeUpBringsTheWindowInUse_data();
    void wakeUpBringsTheWindowInUse();
    void wakeUpOverThePrintDialogBringsTheWindowBack();

private:
    QString name() const { return QtSingleApplication::serverName(_app->id()); }
    // A client that has written one frame to this process's channel.
    static std::unique_ptr<QLocalSocket> sendRaw(const QString& name, const QByteArray& bytes);

    QtSingleApplication* _app;
};

std::unique_ptr<QLocalSocket> TestSingleInstance::sendRaw(const QString& name,
                                                          const QByteArray& bytes)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(name);
    if (!socket->waitForConnected(1000))
        return nullptr;
    socket->write(bytes);
    socket->waitForBytesWritten(1000);
    return socket;
}

void TestSingleInstance::sendWithoutRunningCopyFailsAtOnce()
{
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!_app->sendMessage(QStringLiteral("Wake up!"), 5000));
    QVERIFY(timer.elapsed() < 1000);
}

void TestSingleInstance::sendCarriesLatin1TextAndCountsIds()
{
    const quint32 before = QtSingleApplication::lastMessageId();
    {
        FakeOwner owner(name(), true);
        QVERIFY(_app->sendMessage(QStringLiteral("Start DB Backup"), 2000));
        const Received received = owner.result();
        QCOMPARE(received.text, QByteArray("Start DB Backup"));
        QCOMPARE(received.id, before + 1);
    }
    {
        FakeOwner owner(name(), true);
        QVERIFY(_app->sendMessage(QString(), 2000));
        const Received received = owner.result();
        QCOMPARE(received.text, QByteArray());
        QCOMPARE(received.id, before + 2);
    }
    {
        FakeOwner owner(name(), true);
        QVERIFY(_app->sendMessage(QStringLiteral("caf\u00e9 \u20ac"), 2000));
        QCOMPARE(owner.result().text, QByteArray("caf\xe9 ?"));
    }
    QCOMPARE(QtSingleApplication::lastMessageId(), before + 3);
    QLocalServer::removeServer(name());
}

void TestSingleInstance::unacknowledgedSendFailsAfterTimeout()
{
    FakeOwner owner(name(), false);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!_app->sendMessage(QStringLiteral("Wake up!"), 300));
    QVERIFY(timer.elapsed() >= 250);
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(owner.result().text, QByteArray("Wake up!"));
    QLocalServer::removeServer(name());
}

void TestSingleInstance::liveOwnerKeepsTheChannel()
{
    FakeOwner owner(name(), true);
    _app->initialize(false);
    QVERIFY(!_app->isRunning());
    // The owner's connection came from the probe, which sends nothing.
    QVERIFY(owner.result().connected);
    QLocalServer::removeServer(name());
}

void TestSingleInstance::staleSocketIsRecovered()
{
    QVERIFY(ChannelPeer::leaveStaleSocket(name()));
    _app->initialize(false);
    QVERIFY(_app->isRunning());
    // No file the user names may take the channel's lock.
    QVERIFY(KeptFiles::holds(name() + QStringLiteral(".lock")));
}

void TestSingleInstance::receivesMessagesOnlyTheUserCanSend()
{
    QVERIFY(_app->isRunning());
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                      | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QVERIFY(QFileInfo(name()).isWritable());
    QCOMPARE(QFileInfo(name()).permissions() & others, QFile::Permissions());

    QSignalSpy spy(_app, &QtSingleApplication::messageReceived);
    std::unique_ptr<QLocalSocket> client = sendRaw(name(), frame(QByteArray("Shut down!\0xx", 13)));
    QVERIFY(client);
    QVERIFY(spy.wait(2000));
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Shut down!"));
    QVERIFY(client->waitForReadyRead(1000));
    QCOMPARE(client->read(1), QByteArray(1, QtSingleApplication::Acknowledgement));

    std::unique_ptr<QLocalSocket> empty = sendRaw(name(), frame(QByteArray()));
    QVERIFY(spy.wait(2000));
    QCOMPARE(spy.at(1).at(0).toString(), QString());
}

void TestSingleInstance::acknowledgesBeforeTheHandlerRuns()
{
    std::unique_ptr<QLocalSocket> client;
    bool acknowledgedInsideHandler = false;
    const QMetaObject::Connection connection =
        connect(_app, &QtSingleApplication::messageReceived, this, [&] {
            // A handler that runs a modal loop, as "Shut down!" does.
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&] {
                acknowledgedInsideHandler = client->waitForReadyRead(1000)
                                            && client->read(1).at(0)
                                                   == QtSingleApplication::Acknowledgement;
                loop.quit();
            });
            loop.exec();
        });
    QSignalSpy spy(_app, &QtSingleApplication::messageReceived);
    client = sendRaw(name(), frame("Shut down!"));
    QVERIFY(spy.wait(2000));
    disconnect(connection);
    QVERIFY(acknowledgedInsideHandler);
}

void TestSingleInstance::oversizedMessageIsRefused()
{
    QSignalSpy spy(_app, &QtSingleApplication::messageReceived);
    std::unique_ptr<QLocalSocket> client =
        sendRaw(name(), frame(1, "x", QtSingleApplication::MaxMessageLength + 1));
    QVERIFY(client);
    QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState, 2000);
    QCOMPARE(spy.count(), 0);
}

// Without a runtime folder the channel lives in the temporary folder; a folder there that
// others may reach (or that another user made) is passed over for the next of the series.
void TestSingleInstance::foreignChannelFolderIsPassedOver()
{
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    qunsetenv("XDG_RUNTIME_DIR");
    const QString base = temp.path() + QStringLiteral("/pantrel-runtime-%1").arg(::getuid());
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                    | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QVERIFY(QDir().mkdir(base));
    QVERIFY(QFile::setPermissions(base, open));

    QString problem;
    QCOMPARE(QtSingleApplication::serverName(_app->id(), &problem),
             base + QStringLiteral("-1/") + _app->id());
    QVERIFY(problem.isEmpty());

    // With every folder of the series spoilt the channel moves to the user's own cache folder,
    // made private.
    QVERIFY(QFile::setPermissions(base + QStringLiteral("-1"), open));
    for (int n = 2; n < 16; ++n) {
        QVERIFY(QDir().mkdir(base + QStringLiteral("-%1").arg(n)));
        QVERIFY(QFile::setPermissions(base + QStringLiteral("-%1").arg(n), open));
    }
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                         + QStringLiteral("/pantrel-runtime");
    QDir(home).removeRecursively();
    const QString inHome = QtSingleApplication::serverName(_app->id(), &problem);
    const mode_t homeMode = QFileInfo(home).isDir() ? modeOf(home) : 0;

    // Only when that one is spoilt too there is no channel, and the reason names the first
    // folder of the series and the one in the home folder.
    QVERIFY(QFile::setPermissions(home, open));
    QString noneProblem;
    const QString none = QtSingleApplication::serverName(_app->id(), &noneProblem);
    QDir(home).removeRecursively();
    qputenv("TMPDIR", savedTemp);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    QCOMPARE(inHome, home + QLatin1Char('/') + _app->id());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(homeMode, mode_t(0700));
    QVERIFY(none.isEmpty());
    QVERIFY2(noneProblem.contains(base + QLatin1Char(' ')) && noneProblem.contains(home + QLatin1Char(' ')),
             qPrintable(noneProblem));
}

void TestSingleInstance::wakeUpBringsTheWindowInUse_data()
{
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<Qt::WindowStates>("windowState");
    QTest::addColumn<bool>("dialog");  // a modal dialog open over the window
    QTest::addColumn<Qt::WindowStates>("dialogState");
    const Qt::WindowStates normal;
    const Qt::WindowStates minimized(Qt::WindowMinimized);
    QTest::newRow("minimized window") << true << minimized << false << normal;
    QTest::newRow("minimized maximized window") << true << (minimized | Qt::WindowMaximized) << false << normal;
    QTest::newRow("dialog over the window") << true << normal << true << normal;
    QTest::newRow("dialog over the minimized window") << true << minimized << true << minimized;
    QTest::newRow("minimized wizard before the window is shown") << false << normal << true << minimized;
}

// The wake-up of a later start shows the window the user works in: the modal dialog when one
// is open, else the main window; back from minimized, as it was before, and active.
void TestSingleInstance::wakeUpBringsTheWindowInUse()
{
    QFETCH(bool, windowShown);
    QFETCH(Qt::WindowStates, windowState);
    QFETCH(bool, dialog);
    QFETCH(Qt::WindowStates, dialogState);
    QWidget window;
    QWidget elsewhere;
    elsewhere.show();
    _app->setMainWidget(&window);
    window.setVisible(windowShown);
    QDialog modal(windowShown ? &window : nullptr);
    modal.setModal(true);
    modal.setVisible(dialog);
    window.setWindowState(windowState);
    modal.setWindowState(dialogState);
    if (!dialog)
        elsewhere.activateWindow();
    _app->activateMainWidget();
    QWidget* const inUse = dialog ? static_cast<QWidget*>(&modal) : &window;
    QTRY_COMPARE(QApplication::activeWindow(), inUse);
    QCOMPARE(inUse->windowState() & Qt::WindowMinimized, Qt::WindowStates());
    QCOMPARE(window.windowState(), windowState & ~Qt::WindowMinimized);
    QCOMPARE(window.isVisible(), windowShown);
    _app->setMainWidget(nullptr);
}

// Qt's own print dialog stands over the window printed from: a wake-up while it is open brings
// that window back from minimized with it, and Cancel leaves the window shown.
void TestSingleInstance::wakeUpOverThePrintDialogBringsTheWindowBack()
{
    QWidget window;
    _app->setMainWidget(&window);
    window.show();
    window.setWindowState(Qt::WindowMinimized);
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [this, &owner] {
        QWidget* print = QApplication::activeModalWidget();
        _app->activateMainWidget();
        owner = print ? print->parentWidget() : nullptr;
        if (print)
            print->close();
    });
    QPrinter printer;
    QVERIFY(!PrintSteps::instance()->setupPrinter(&window, printer));
    QCOMPARE(owner, &window);
    QCOMPARE(window.windowState(), Qt::WindowStates());
    QVERIFY(window.isVisible());
    _app->setMainWidget(nullptr);
}

int main(int argc, char** argv)
{
    QtSingleApplication app(QStringLiteral("tst-singleinstance-%1").arg(::getpid()), argc, argv);
    TestSingleInstance test(&app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
