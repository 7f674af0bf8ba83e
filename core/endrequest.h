#pragma once

// Whether the end of the session was asked for: the desktop's termination signal or its session
// manager. It is set from a signal handler, before the event loop hears of it, so that a call
// that waits deep down (the store waiting for another program to let go of the diary) gives up
// at once, and a step that would begin something new does not.
class EndRequest
{
public:
    // Safe to call from a signal handler.
    static void ask();
    static bool asked();
    // Watching for the end begins afresh, with nothing asked.
    static void reset();
};
