#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

// An X server of one screen size with a window manager, on which the program's windows are as
// the user gets them. The tools it asks (wmctrl, xdotool, xprop) run on its display.
class ManagedDisplay
{
public:
    // How long a tool asked may take.
    static constexpr int ToolMs = 10000;

    explicit ManagedDisplay(const QSize& screen)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || openbox.isEmpty())
            return;
        _server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height())});
        // The server writes its display once it takes clients, the window manager names itself
        // once it manages windows: each is waited for as long as it runs, however busy the machine.
        while (!_server.canReadLine() && _server.state() != QProcess::NotRunning)
            _server.waitForReadyRead(100);
        if (!_server.canReadLine())
            return;
        _environment = QProcessEnvironment::systemEnvironment();
        _environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(_server.readLine().trimmed()));
        _environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        _manager.setProcessEnvironment(_environment);
        _manager.start(openbox, {QStringLiteral("--sm-disable")});
        _manager.waitForStarted(-1);
        while (_manager.state() == QProcess::Running
               && !(_up = ask(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains("Openbox")))
            QThread::msleep(50);
    }
    ~ManagedDisplay()
    {
        _manager.terminate();
        _server.terminate();
        _manager.waitForFinished(ToolMs);
        _server.waitForFinished(ToolMs);
    }
    bool isUp() const { return _up; }
    // The test's environment on this display.
    QProcessEnvironment environment() const { return _environment; }
    // What the tool writes; empty when it is missing or failed.
    QByteArray ask(const QString& tool, const QStringList& arguments) const
    {
        const QString path = QStandardPaths::findExecutable(tool);
        QProcess process;
        process.setProcessEnvironment(_environment);
        if (path.isEmpty())
            return QByteArray();
        process.start(path, arguments);
        return process.waitForFinished(ToolMs) && process.exitCode() == 0 ? process.readAllStandardOutput()
                                                                            : QByteArray();
    }

private:
    QProcess _server;
    QProcess _manager;
    QProcessEnvironment _environment;
    bool _up = false;
};

// A shown window of the process whose title starts with `title`, by its X id; empty when none.
inline QByteArray shownWindow(const ManagedDisplay& display, const QProcess& process, const QString& title)
{
    return display.ask(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                                                   QStringLiteral("--pid"), QString::number(process.processId()),
                                                   QStringLiteral("--name"), QLatin1Char('^') + title})
        .split('\n').value(0).trimmed();
}

// The frame round the window as the window manager draws it: the window's place on the screen
// widened by the frame's extents.
inline QRect frameOf(const ManagedDisplay& display, const QByteArray& window)
{
    const QString id = QString::fromLatin1(window);
    QRect inside;
    for (const QByteArray& line : display.ask(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}).split('\n')) {
        const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
        if (line.contains("Absolute upper-left X"))
            inside.moveLeft(value.toInt());
        else if (line.contains("Absolute upper-left Y"))
            inside.moveTop(value.toInt());
        else if (line.trimmed().startsWith("Width"))
            inside.setWidth(value.toInt());
        else if (line.trimmed().startsWith("Height"))
            inside.setHeight(value.toInt());
    }
    const QByteArray told = display.ask(QStringLiteral("xprop"), {QStringLiteral("-id"), id,
                                                                  QStringLiteral("_NET_FRAME_EXTENTS")});
    const QList<QByteArray> extents = told.mid(told.indexOf('=') + 1).split(',');
    if (extents.size() != 4)
        return QRect();
    return inside.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(),
                           extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
}

// Why the program cannot be run under a window manager here; empty when it can.
inline QString noManagedDisplay()
{
#if defined(__SANITIZE_ADDRESS__)
    // The X keyboard library reads past a name it copies as the X platform starts, which
    // AddressSanitizer reports before the program's own code runs.
    return QStringLiteral("The X platform's keyboard library trips AddressSanitizer; the ordinary build runs this");
#endif
    for (const char* tool : {"Xvfb", "openbox", "wmctrl", "xdotool", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("Needs Xvfb, openbox, wmctrl, xdotool and xprop (scripts/install-deps.sh --tests)");
    }
    return QString();
}
