#include "profile/profileerrorwidget.h"

#include <QPainter>
#include <QTimer>

namespace {

constexpr int SideMargin = 50;
constexpr int FlashMs = 1000;

} // namespace

ProfileErrorWidget::ProfileErrorWidget(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
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

QSize ProfileErrorWidget::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = 0;
    for (const QString& message : _errors)
        width = std::max(width, metrics.horizontalAdvance(message));
    return {width + 2 * SideMargin, int(_errors.size()) * metrics.lineSpacing()};
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
    const int lineSpacing = painter.fontMetrics().lineSpacing();
    int top = 0;
    for (const QString& message : _errors) {
        painter.drawText(QRect(SideMargin, top, width() - 2 * SideMargin, lineSpacing),
                         Qt::AlignLeft | Qt::AlignVCenter, message);
        top += lineSpacing;
    }
}
