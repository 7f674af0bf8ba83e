#include "widgets/userturn.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

// Stands while passEvents() runs; its end lets the calls that waited for it go.
QPointer<QObject> s_pass;

// Whether events are handled inside another one's handler: in a loop run inside the program's
// own one (a drag, a wait, a dialog's), or in a pass of passEvents().
bool insideAnAction()
{
    return s_pass || QThread::currentThread()->loopLevel() > 1;
}

QWidget* openWindow()
{
    QWidget* open = QApplication::activePopupWidget();
    return open ? open : QApplication::activeModalWidget();
}

// Holds a call while a box or menu is open, or an action runs its own loop, and posts it again
// once that box is hidden or gone, or control is back in the program's own loop.
class TurnWaiter : public QObject
{
public:
    TurnWaiter(QWidget* open, QObject* context, std::function<void()> call)
        : QObject(context)
        , _call(std::move(call))
    {
        if (open) {
            open->installEventFilter(this);
            connect(open, &QObject::destroyed, this, &TurnWaiter::_again);
            return;
        }
        if (s_pass)
            connect(s_pass, &QObject::destroyed, this, &TurnWaiter::_again);
        // A loop ends without a word: the program's own loop, once it waits again, tells.
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                this, [this] {
                    if (!insideAnAction())
                        _again();
                });
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            _again();
        return false;
    }

private:
    void _again()
    {
        if (!_call)
            return;
        UserTurn::post(parent(), std::move(_call));
        _call = nullptr;
        deleteLater();
    }

    std::function<void()> _call;
};

} // namespace

void UserTurn::post(QObject* context, std::function<void()> call)
{
    QTimer::singleShot(0, context, [context, call = std::move(call)]() mutable {
        QWidget* open = openWindow();
        if (open || insideAnAction())
            new TurnWaiter(open, context, std::move(call));
        else
            call();
    });
}

void UserTurn::passEvents(QEventLoop::ProcessEventsFlags flags)
{
    if (s_pass) {
        QCoreApplication::processEvents(flags);
        return;
    }
    QObject pass;
    s_pass = &pass;
    QCoreApplication::processEvents(flags);
}
