#include "widgets/screenfit.h"

#include "widgets/wholescrollarea.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

// The property of a window shown before it was framed, until it is.
const char* const FramePending = "screenFitFramePending";

// What a title bar and the borders add round a window when no window is framed yet.
const QMargins UnframedMargins(4, 28, 4, 4);

// The frame round the window as it is now; null while the window manager has not framed it.
QMargins framedMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
            frame.bottom() - inside.bottom()};
}

// The frame round the window: as framed now, else as another window of the program is. Each
// side is taken as it is: a title bar, and a bottom edge thicker than the side borders.
QMargins frameMargins(const QWidget* window)
{
    if (const QMargins framed = framedMargins(window); !framed.isNull())
        return framed;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const QMargins added = framedMargins(other);
        if (other->isVisible() && !added.isNull())
            return added;
    }
    return UnframedMargins;
}

QSize across(const QMargins& margins)
{
    return {margins.left() + margins.right(), margins.top() + margins.bottom()};
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
    const QMargins margins = frameMargins(window);
    const QSize frame = across(margins);
    const QRect room = screen->availableGeometry();
    const QSize size = window->size().boundedTo(ScreenFit::room(window));
    if (size != window->size())
        window->resize(size);
    // A window holds its frame's place as its position, also before the window manager frames
    // it; but a move of one made on the screen and not framed yet places its inside.
    const bool framed = !framedMargins(window).isNull();
    const bool placesInside = !framed && window->testAttribute(Qt::WA_WState_Created);
    const QPoint inside = placesInside ? QPoint(margins.left(), margins.top()) : QPoint();
    // A dialog that the program did not place stands in the middle of the window it belongs to.
    QRect placed(window->frameGeometry().topLeft(), size + frame);
    if (qobject_cast<QDialog*>(window) && !window->testAttribute(Qt::WA_Moved)) {
        const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        placed.moveCenter(over && over->isVisible() ? over->frameGeometry().center() : room.center());
    }
    const int x = std::max(room.left(), std::min(placed.left(), room.right() + 1 - placed.width()));
    const int y = std::max(room.top(), std::min(placed.top(), room.bottom() + 1 - placed.height()));
    const QPoint at(x, y);
    if (at != window->frameGeometry().topLeft())
        window->move(at + inside);
}

QSize ScreenFit::room(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry().size() - across(frameMargins(window)) : QSize();
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
    if (!watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const QEvent::Type type = event->type();
    if (type == QEvent::Show && fitted(widget)) {
        fit(widget);
        // Shown before the window manager framed it, it is placed again once its frame is known.
        widget->setProperty(FramePending, framedMargins(widget).isNull() ? QVariant(true) : QVariant());
    } else if ((type == QEvent::Paint || type == QEvent::Move || type == QEvent::Resize) && widget->isWindow()
               && widget->property(FramePending).isValid() && !framedMargins(widget).isNull()) {
        widget->setProperty(FramePending, QVariant());
        if (fitted(widget))
            fit(widget);
    }
    return QObject::eventFilter(watched, event);
}
