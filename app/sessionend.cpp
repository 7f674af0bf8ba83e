#include "app/sessionend.h"

#include "core/endrequest.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <utility>

namespace {

// The desktop or systemd ends a session with SIGTERM, a terminal with SIGINT, or with SIGHUP
// when it goes away itself.
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
// How often the dialogs opened after the request are cancelled.
constexpr int SweepMs = 50;

// The signal handler only writes to this channel, which the event loop reads.
int s_channel[2] = {-1, -1};
struct sigaction s_previous[std::size(Signals)];
bool s_ending = false;
QTimer* s_sweeper = nullptr;

// Every signal, the first and each after it in whatever order, asks for the same orderly end:
// a wait for another program sees it at once, the event loop once it reads the channel. A
// channel that is full already holds the news.
void onSignal(int)
{
    const int interrupted = errno;
    EndRequest::ask();
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_channel[1], &byte, 1);
    errno = interrupted;
}

void setHandler()
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Signals)
        ::sigaction(signal, &action, nullptr);
}

// Whether a window that the user works in is shown (a menu or a tip is not such a window).
bool windowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        const Qt::WindowType type = window->windowType();
        return window->isVisible() && (type == Qt::Window || type == Qt::Dialog);
    });
}

// The session manager's "die" reaches the program as Qt's quit: a Quit event while windows are
// still shown, whereas the program's own quit comes once the last one has closed. Such a quit
// ends the program as the signal does, rather than closing the windows under the loops that run
// in them.
class QuitWatch : public QObject
{
public:
    explicit QuitWatch(void (*end)()) : _end(end) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()
            || !windowShown())
            return false;
        _end();
        return true;
    }

private:
    void (*_end)();
};

} // namespace

SessionEnd::SessionEnd()
{
    EndRequest::reset();
    s_ending = false;
    // Not inherited by the programs that this one starts (the browser, the recipe programs).
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())
        || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_channel) != 0)
        return;
    _notifier = std::make_unique<QSocketNotifier>(s_channel[0], QSocketNotifier::Read);
    QObject::connect(_notifier.get(), &QSocketNotifier::activated, [] {
        // However many signals came, the end is asked for once.
        char bytes[64];
        while (::read(s_channel[0], bytes, sizeof bytes) > 0)
            continue;
        request();
    });
    // The session manager's "die" ends the program as the signal does. Its request for the data,
    // which comes for a checkpoint as well as before the end, is left alone: every change is
    // stored as it is made, and a checkpoint ends nothing.
    _quitWatch = std::make_unique<QuitWatch>(&SessionEnd::request);
    qApp->installEventFilter(_quitWatch.get());
    _sweeper = std::make_unique<QTimer>();
    QObject::connect(_sweeper.get(), &QTimer::timeout, &SessionEnd::sweep);
    s_sweeper = _sweeper.get();
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        ::sigaction(Signals[i], nullptr, &s_previous[i]);
    setHandler();
}

SessionEnd::~SessionEnd()
{
    if (!_notifier)
        return;
    // Once the end is under way, a signal that comes late is taken as one more request for
    // it, never as the default's sudden end.
    for (std::size_t i = 0; i < std::size(Signals) && !requested(); ++i)
        ::sigaction(Signals[i], &s_previous[i], nullptr);
    _notifier.reset();
    _quitWatch.reset();
    s_sweeper = nullptr;
    // The handler finds no channel rather than a file that took its number.
    for (int& end : s_channel)
        ::close(std::exchange(end, -1));
}

bool SessionEnd::requested()
{
    return EndRequest::asked();
}

int SessionEnd::exec()
{
    const int code = requested() ? 0 : QApplication::exec();
    if (!requested())
        return code;
    QApplication::closeAllWindows();
    return 0;
}

// Every loop ends once control is back in it: a dialog's exec() returns as cancelled, and the
// method that opened it returns in turn, with its object whole, before the main loop does.
void SessionEnd::request()
{
    if (s_ending)
        return;
    s_ending = true;
    EndRequest::ask();
    s_sweeper->start(SweepMs);
    sweep();
    QCoreApplication::exit(0);
}

void SessionEnd::sweep()
{
    // A menu that stays open is left to the next sweep.
    QWidget* closed = nullptr;
    for (QWidget* popup = QApplication::activePopupWidget(); popup && popup != closed;
         popup = QApplication::activePopupWidget()) {
        closed = popup;
        popup->close();
    }
    // Cancelling one dialog may delete another.
    QList<QPointer<QDialog>> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            open.append(dialog);
    }
    for (const QPointer<QDialog>& dialog : open) {
        if (!dialog || !dialog->isVisible())
            continue;
        // A dialog that accepts from now on (one whose own question was answered meanwhile)
        // does nothing further: it is taken as cancelled.
        QObject::connect(dialog, &QDialog::accepted, dialog, &QDialog::reject, Qt::UniqueConnection);
        // A message box is closed as its Escape button closes it, by pressing that button, so that
        // a caller that tests for one answer gets the one that does nothing; a box without one is
        // cancelled.
        if (qobject_cast<QMessageBox*>(dialog))
            dialog->close();
        if (dialog && dialog->isVisible())
            dialog->reject();
    }
}
