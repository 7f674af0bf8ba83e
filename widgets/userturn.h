#pragma once

#include <QEventLoop>

#include <functional>

class QObject;

// A box, dialog or tip that opens without the user asking for it at that moment (a tip taken
// by an earlier event, the answer of a check that ran in the background) waits its turn: it
// opens from the event loop once no other box, dialog or menu is open and no action is under
// way in a loop of its own (a drag, a wait, a pass of passEvents()), never inside another
// one's loop, over what the user is answering there.
class UserTurn
{
public:
    // Runs `call` at the first pass of the program's own event loop that finds no modal window,
    // no pop-up and no loop inside it; dropped when `context` goes first.
    static void post(QObject* context, std::function<void()> call);

    // Handles the events waiting, from inside an action that takes a while (to draw the window,
    // to hear a Cancel button); the calls posted meanwhile wait until the pass is over.
    static void passEvents(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
};
