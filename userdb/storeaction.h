#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>

// One user action on the diary (moving to another day, opening a report, making a change),
// from its construction to its end, and its outcome. Screens open one through StorePrompt.
//
// The action waits for other programs that hold the diary once, not at each statement: once a
// statement of the action has found the diary held, every later statement of the action is
// refused at once with the same outcome. Once a reading of the action has failed, no later
// change of the action is made: nothing writes back what a failed reading gave. The store
// tells nobody about a failure inside an action: whoever opened the action reads outcome()
// and tells the user.
//
// A reading action takes the diary's read lock as it begins (the one wait), so that what it
// reads afterwards is never refused halfway and comes from one state of the diary: a screen may
// read everything first and show it only when outcome() is ok. A change made inside a reading
// action ends the read lock first.
//
// An action opened inside another is a part of it: its failures are the outer one's too. The
// action belongs to the event loop it was opened in: a statement run from an event loop
// nested inside it (a dialog's, say) is no part of it, nor is an action opened there.
class StoreAction
{
    Q_DECLARE_TR_FUNCTIONS(StoreAction)

public:
    enum class Kind { Read, Change };

    explicit StoreAction(Kind kind);
    ~StoreAction();
    StoreAction(const StoreAction&) = delete;
    StoreAction& operator=(const StoreAction&) = delete;

    // The first failure that stopped the store during the action (one that ruled out a change
    // wins over a statement's refusal), or ok.
    const StoreResult& outcome() const { return m_outcome; }
    // Whether a later statement of the action is refused at once: every change once the
    // action has found the diary held or failed to read, and every reading once any statement
    // found it held. A program about to write would still let the diary be read, but the
    // action has failed by then, and a reading behind one that holds it whole would only wait
    // a second time (the tree a refused change reloads, say).
    bool refuses(bool change) const;
    // Whether a statement run now is a part of this action (rather than of an event loop
    // nested inside it).
    bool current() const;
    // Whether the action is a part of another one, which tells what became of both.
    bool partOfAnother() const { return m_outer != nullptr; }

    // Records a failure of a statement (`change` when it writes) of this action and of the
    // actions it is a part of.
    void record(const StoreResult& outcome, bool change);
    // Puts what a proof `found` in the place of damage `met` inside a change, which could be
    // proven only once the change had ended, wherever the action and those it is a part of
    // recorded it.
    void revise(const StoreResult& met, const StoreResult& found);

private:
    StoreAction* m_previous = nullptr;
    StoreAction* m_outer = nullptr;
    StoreResult m_outcome;
    int m_loopLevel = 0;
    bool m_readingRefused = false;
    bool m_readingFailed = false;
    bool m_ownsReadLock = false;
};
