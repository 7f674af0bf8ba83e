#include "widgets/screenfit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

namespace {

// What a title bar and the borders add to a window that the window manager has not framed yet.
const QSize UnframedAllowance(8, 32);

// A scroll area that asks for the whole size of its content, not the few lines a scroll area
// asks for by itself.
class WholeScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

// What the frame adds to the window: as framed now, else as another window of the program is.
QSize frameAllowance(const QWidget* window)
{
    const QSize framed = window->frameGeometry().size() - window->size();
    if (!framed.isEmpty())
        return framed;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const QSize added = other->frameGeometry().size() - other->size();
        if (other->isVisible() && !added.isEmpty())
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
    const QSize size = window->size().boundedTo(room.size() - frame);
    if (size != window->size())
        window->resize(size);
    // A dialog not placed by the program places itself as it is shown, inside the room.
    if (qobject_cast<QDialog*>(window) && !window->testAttribute(Qt::WA_Moved))
        return;
    const QRect placed = window->frameGeometry();
    const QSize whole = size + frame;
    const int x = std::max(room.left(), std::min(placed.left(), room.right() + 1 - whole.width()));
    const int y = std::max(room.top(), std::min(placed.top(), room.bottom() + 1 - whole.height()));
    if (QPoint(x, y) != placed.topLeft())
        window->move(x, y);
}

QScrollArea* ScreenFit::scrolled(QWidget* content, QWidget* parent)
{
    auto* area = new WholeScrollArea(parent);
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
