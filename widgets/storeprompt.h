#pragma once

#include "userdb/storeaction.h"
#include "userdb/storeresult.h"

#include <QCoreApplication>

#include <functional>

class QWidget;

// The one way a screen acts on the diary for the user: the action is opened, the work runs
// inside it and waits for other programs once; while another program holds the diary the user
// may try again (Retry) or leave it (Cancel); any other failure is told with the store's
// reason. Nothing asks the user inside the work: a screen asks first, then acts, and shows a
// change once the work has stored it.
class StorePrompt
{
    Q_DECLARE_TR_FUNCTIONS(StorePrompt)

public:
    // Runs `work` inside one action of `kind` until it is done or the user cancels. A reading
    // action takes the diary's read lock first: `work` does not run while the diary cannot be
    // read. The work is done when it returned true and the store failed nowhere in it. When
    // the store did not fail and `work` still returned false, `refusal` is told (nothing when
    // it is empty); it is read once `work` has returned, so that `work` may name what it
    // refused. `caption` titles what is told about a change (a default when empty). Inside
    // another action the work is a part of it: nothing is asked or told here, the opener of
    // that action does. Whether the work was done.
    static bool act(QWidget* parent, StoreAction::Kind kind, const QString& caption,
                    const std::function<bool()>& work, const QString& refusal = QString());
    // act() reading: runs `show` once the diary can be read; false when it did not run or
    // something it read failed, the screen then keeps what it showed (`show` reads everything
    // first and shows it last).
    static bool read(QWidget* parent, const std::function<void()>& show);
    // act() changing.
    static bool change(QWidget* parent, const QString& caption,
                       const std::function<bool()>& change, const QString& refusal = QString());

private:
    // Tells the user why the work was not done: the store's reason when it failed, else
    // `refusal` (nothing when it is empty).
    static void tell(QWidget* parent, StoreAction::Kind kind, const QString& caption,
                     const StoreResult& outcome, const QString& refusal);
    // Asks whether to try an action that the diary's other program stopped again.
    static bool askRetry(QWidget* parent, const QString& text);
};
