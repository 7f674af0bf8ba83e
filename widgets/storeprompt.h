#pragma once

#include "userdb/storeoutcome.h"

#include <QCoreApplication>

#include <functional>

class QWidget;

// What a screen tells the user when the store stops one of the user's actions, in one place:
// a diary in use by another program may be tried again (Retry) or left (Cancel); a change is
// said not to be saved only when it was a change.
class StorePrompt
{
    Q_DECLARE_TR_FUNCTIONS(StorePrompt)

public:
    // Runs `show` once the diary can be read, inside one reading action: everything `show`
    // reads comes from one state of the diary and is never refused halfway. While another
    // program holds the diary, asks Retry or Cancel; another failure is told. False when
    // `show` did not run: the screen then keeps what it showed.
    static bool read(QWidget* parent, const std::function<void()>& show);
    // Runs `change` inside one changing action, which waits for other programs once; while
    // another program holds the diary, asks Retry or Cancel. A failure is told with its
    // reason; when the store did not fail and `change` still returned false, `refusal` is told
    // (nothing when it is empty). Whether the change was made.
    static bool change(QWidget* parent, const QString& caption,
                       const std::function<bool()>& change, const QString& refusal = QString());
    // Tells the user that a change was not saved: the store's reason when it failed, else
    // `refusal` (nothing when it is empty).
    static void tellChange(QWidget* parent, const QString& caption, const StoreOutcome& outcome,
                           const QString& refusal = QString());

private:
    // Asks whether to try an action that the diary's other program stopped again.
    static bool askRetry(QWidget* parent, const QString& text);
};
