#pragma once

#include "userdb/storeoutcome.h"

#include <functional>

// One user action on the diary (moving to another day, opening a report, making a change),
// from its construction to its end, and its outcome.
//
// The action waits for other programs that hold the diary once, not at each statement: once a
// statement of the action has found the diary held, every later statement of the action is
// refused at once with the same outcome. The store tells nobody about a failure inside an
// action: whoever opened the action reads outcome() and tells the user.
//
// A reading action takes the diary's read lock as it begins (the one wait), so that what it
// reads afterwards is never refused halfway and comes from one state of the diary: a screen may
// read everything first and show it only when outcome() is ok. A change made inside a reading
// action ends the read lock first.
//
// An action opened inside another is a part of it: its failures are the outer one's too.
class StoreAction
{
public:
    enum class Kind { Read, Change };

    explicit StoreAction(Kind kind);
    ~StoreAction();
    StoreAction(const StoreAction&) = delete;
    StoreAction& operator=(const StoreAction&) = delete;

    // The first failure that stopped the store during the action (one that ruled out a change
    // wins over a statement's refusal), or ok.
    const StoreOutcome& outcome() const { return m_outcome; }
    // Whether a later statement of the action is refused at once: every change once the
    // action has found the diary held, and every reading once a reading found it held (a
    // program that holds the diary for writing still lets it be read).
    bool refuses(bool change) const;
    // Whether a reading of the action failed (a change that failed inside it does not count).
    bool readFailed() const { return m_readFailed; }

    // Runs `change` as one changing action of its own; whether it was made, with the action's
    // outcome in `outcome`.
    static bool run(const std::function<bool()>& change, StoreOutcome& outcome);

    // Records a failure of a statement (`change` when it writes) of this action and of the
    // actions it is a part of.
    void record(const StoreOutcome& outcome, bool change);

private:
    StoreAction* m_outer = nullptr;
    StoreOutcome m_outcome;
    bool m_readingRefused = false;
    bool m_readFailed = false;
    bool m_ownsReadLock = false;
};
