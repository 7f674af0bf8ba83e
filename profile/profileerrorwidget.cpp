#include "profile/profileerrorwidget.h"

#include <QPainter>
#include <QTimer>

namespace {

constexpr int SideMargin = 50;
constexpr int FlashMs = 1000;
constexpr int MessageFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

ProfileErrorWidget::ProfileErrorWidget(QWidget* parent)
    : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ProfileErrorWidget::addError(const QString& message)
{
    _errors.append(message);
    _changed();
}

void ProfileErrorWidget::clearErrors()
{
    _errors.clear();
    _changed();
}

void ProfileErrorWidget::_changed()
{
    updateGeometry();
    update();
}

// The room a message takes, wrapped to the widget's width, with its top at `top`.
QRect ProfileErrorWidget::_messageRect(const QString& message, int top, int width) const
{
    const QRect room(SideMargin, top, std::max(1, width - 2 * SideMargin), 1 << 20);
    return QFontMetrics(font()).boundingRect(room, MessageFlags, message);
}

QSize ProfileErrorWidget::sizeHint() const
{
    const int width = std::max(this->width(), 2 * SideMargin + 1);
    return {2 * SideMargin, heightForWidth(width)};
}

int ProfileErrorWidget::heightForWidth(int width) const
{
    int height = 0;
    for (const QString& message : _errors)
        height += _messageRect(message, height, width).height();
    return height;
}

void ProfileErrorWidget::flash()
{
    _background = Qt::red;
    repaint();
    QTimer::singleShot(FlashMs, this, &ProfileErrorWidget::unflash);
}

void ProfileErrorWidget::unflash()
{
    _background = Qt::white;
    update();
}

void ProfileErrorWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (_background != Qt::white)
        painter.fillRect(rect(), _background);
    painter.setPen(Qt::red);
    int top = 0;
    for (const QString& message : _errors) {
        const int height = _messageRect(message, top, width()).height();
        painter.drawText(QRect(SideMargin, top, width() - 2 * SideMargin, height), MessageFlags,
                         message);
        top += height;
    }
}
