#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the diary holds that this program leaves out or reads as unknown, told to the user
// once for each kind in each start of the program. The store only records a notice; the window
// shows the notices recorded, as it is called to when the first of them comes.
class StoredNotices
{
public:
    // Records `text` unless a notice of `kind` was recorded since the start or restart();
    // whether it was recorded.
    static bool tell(const QString& kind, const QString& text);
    // The notices recorded and not yet taken, oldest first.
    static QStringList take();
    // Called, on the thread that records it and while no other notice is recorded, for a
    // notice recorded while none waits to be taken, and at once when notices wait; it must
    // not record a notice itself. Nothing is called without one.
    static void setListener(std::function<void()> listener);
    // Another diary (one restored): every kind is told again.
    static void restart();
};
