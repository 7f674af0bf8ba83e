#include "widgets/userturn.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

// Holds a call while a box or menu is open and posts it again once that one is hidden or gone.
class TurnWaiter : public QObject
{
public:
    TurnWaiter(QWidget* open, QObject* context, std::function<void()> call)
        : QObject(context)
        , _call(std::move(call))
    {
        open->installEventFilter(this);
        connect(open, &QObject::destroyed, this, &TurnWaiter::_again);
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
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            open = QApplication::activeModalWidget();
        if (open)
            new TurnWaiter(open, context, std::move(call));
        else
            call();
    });
}
