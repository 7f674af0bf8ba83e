#include "widgets/bxtoolbarbutton.h"

#include "widgets/macutil.h"

#include <QAction>
#include <QBitmap>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolBar>

BXToolBarButton::BXToolBarButton(const QIcon& icons, const QString& label, QToolBar* parent,
                                 const char* name)
    : QToolButton(parent)
{
    setObjectName(QString::fromLatin1(name));
    setIcon(icons);
    setLabel(label);
    connect(this, &QToolButton::toggled, this, &BXToolBarButton::_toggled);
}

void BXToolBarButton::setLabel(const QString& label)
{
    setText(label);
    // An action's own rule drops the mark: "&&" stands for an ampersand, any other '&' goes.
    const QString words = QAction(label).iconText();
    setToolTip(words);
    setStatusTip(words);
}

void BXToolBarButton::_toggled(bool)
{
    // The label's look depends on the state: lay it out and draw it again.
    updateGeometry();
    update();
}

void BXToolBarButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_ToolButtonLabel, option);
    if (isChecked())
        _drawFocusRing(&painter, option);
}

// The ring follows the outline of the icon's opaque pixels, where the style places the
// icon: centred in the top of the contents, above the text label.
void BXToolBarButton::_drawFocusRing(QPainter* painter, const QStyleOptionToolButton& option)
{
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    // At a ratio of 1, so that the mask's pixels are the widget's.
    const QPixmap pixmap = icon().pixmap(iconSize(), 1.0, mode, QIcon::On);
    if (pixmap.isNull())
        return;
    const QRegion iconRegion(pixmap.createHeuristicMask());
    const QSize size = pixmap.size();
    // The label, icon included, is drawn over the whole button (paintEvent).
    QRect area = option.rect;
    area.setHeight(size.height() + 4);
    const QPoint corner(area.left() + (area.width() - size.width()) / 2,
                        area.top() + (area.height() - size.height()) / 2);
    QPainterPath outline;
    outline.addRegion(iconRegion.translated(corner));
    MacUtil::drawFocusRing(painter, outline.simplified(), palette(),
                           style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this));
}
