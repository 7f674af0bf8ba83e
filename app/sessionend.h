#pragma once

#include <memory>

class QObject;
class QSocketNotifier;
class QTimer;

// The end of the session asked for from outside: the desktop sends SIGTERM (a terminal SIGINT,
// or SIGHUP as it goes away; an X11 session manager says "die", which reaches the program as
// Qt's quit while its windows are shown) to end the program, whatever it shows; the session
// manager's request for the data, a checkpoint, is no end. While one lives, the first signal
// (or "die"; any further signals ask for the same end) cancels every dialog, box and pop-up menu that is open, and any opened later, as
// Escape would (a message box by pressing its Escape button), and ends every event loop; a
// dialog that accepts after that does nothing further. The windows are closed as the user would
// close them only once the main loop has returned, so that no window or page is deleted while a
// loop runs inside one of its methods.
// A wait for a diary that another program holds gives up at once, its change not stored; any
// other call that blocks (a file that waits for a writer) keeps the signals waiting until it
// returns.
class SessionEnd
{
public:
    // Watches the signals from now on; a program without the application object or without
    // the channel between the signal and the event loop is ended by them as by default.
    SessionEnd();
    // Watches them no more, unless the end was asked for: then a late signal is one more
    // request for it.
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // Whether the end was asked for (also before the event loop has heard of it).
    static bool requested();
    // Runs the main event loop until the program quits, or not at all when the end was asked
    // for already; once it was, closes the windows. The loop's exit code, 0 for an end asked
    // for.
    static int exec();

private:
    static void request();
    static void sweep();

    std::unique_ptr<QSocketNotifier> _notifier;
    std::unique_ptr<QObject> _quitWatch;
    std::unique_ptr<QTimer> _sweeper;
};
