#pragma once

#include <functional>

class QObject;

// A box, dialog or tip that opens without the user asking for it at that moment (a tip taken
// by an earlier event, the answer of a check that ran in the background) waits its turn: it
// opens from the event loop once no other box, dialog or menu is open, never inside another
// one's loop, over what the user is answering there.
class UserTurn
{
public:
    // Runs `call` at the first pass of the event loop that finds no modal window and no pop-up
    // open; dropped when `context` goes first.
    static void post(QObject* context, std::function<void()> call);
};
