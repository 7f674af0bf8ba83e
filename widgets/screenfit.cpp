#include "widgets/screenfit.h"

#include "widgets/wholescrollarea.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// What a title bar and the borders add to a window that the window manager has not framed yet.
const QSize UnframedAllowance(8, 32);

// What the frame adds to the window: as framed now, else as another window of the program is.
QSize frameAllowance(const QWidget* window)
{
    const QSize framed = window->frameGeometry().size() - window->size();
    if (!framed.isNull())
        return framed;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const QSize added = other->frameGeometry().size() - other->size();
        if (other->isVisible() && !added.isNull())
            return added;
    }
    return UnframedAllowance;
}

bool fitted(const QWidget* widget)
{
    const Qt::WindowType type = widget->windowType();
    return widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen
           && type != Qt::Desktop && !widget->isMaximized() && !widget->isFullScreen();
}

} // namespace

void ScreenFit::install()
{
    static ScreenFit* const filter = new ScreenFit(qApp);
    qApp->installEventFilter(filter);
}

void ScreenFit::fit(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize frame = frameAllowance(window);
    const QRect room = screen->availableGeometry();
    const QSize size = window->size().boundedTo(ScreenFit::room(window));
    if (size != window->size())
        window->resize(size);
    // Until the window manager frames the window, a move places its inside: the frame is
    // reckoned round it, the title bar above.
    const bool framed = !(window->frameGeometry().size() - window->size()).isNull();
    const QPoint inside = framed ? QPoint() : QPoint(frame.width() / 2, frame.height() - frame.width() / 2);
    // A dialog that the program did not place stands in the middle of the window it belongs to.
    QRect placed(window->frameGeometry().topLeft() - inside, size + frame);
    if (qobject_cast<QDialog*>(window) && !window->testAttribute(Qt::WA_Moved)) {
        const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        placed.moveCenter(over && over->isVisible() ? over->frameGeometry().center() : room.center());
    }
    const int x = std::max(room.left(), std::min(placed.left(), room.right() + 1 - placed.width()));
    const int y = std::max(room.top(), std::min(placed.top(), room.bottom() + 1 - placed.height()));
    const QPoint at = QPoint(x, y) + inside;
    if (at != window->frameGeometry().topLeft())
        window->move(at);
}

QSize ScreenFit::room(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry().size() - frameAllowance(window) : QSize();
}

QScrollArea* ScreenFit::scrolled(QWidget* content, QWidget* parent)
{
    QScrollArea* area = new WholeScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    return area;
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType() && fitted(static_cast<QWidget*>(watched)))
        fit(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}
