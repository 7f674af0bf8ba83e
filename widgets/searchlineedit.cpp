#include "widgets/searchlineedit.h"

#include "widgets/macutil.h"
#include "widgets/searchlineeditchild.h"
#include "widgets/tabbodywidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>
#include <climits>

namespace {
// Room between an icon and the outline, and between an icon and the text.
constexpr int s_iconSpacing = 4;
}

SearchLineEdit::SearchLineEdit(QWidget* parent, const char* name, const QPixmap& leftIcon,
                               const QPixmap& rightIcon)
    : QWidget(parent), _leftIcon(leftIcon), _rightIcon(rightIcon),
      _child(new SearchLineEditChild(this))
{
    setObjectName(QString::fromLatin1(name));
    const QStyleOptionFrame frame = _child->frameOption();
    const QRect contents =
        _child->style()->subElementRect(QStyle::SE_LineEditContents, &frame, _child);
    _frameInset = std::max(0, contents.left() - frame.rect.left());
    _innerInset = std::max(1, _frameInset - frame.lineWidth);
    _ringWidth = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
    _outlineInset = std::max(_frameInset, _innerInset + _ringWidth);
    _child->setFrame(false);
    setFocusProxy(_child);
    setSizePolicy(_child->sizePolicy());
}

QLineEdit* SearchLineEdit::lineEdit() const
{
    return _child;
}

QSize SearchLineEdit::sizeHint() const
{
    return _adjustedHint(_child->sizeHint());
}

QSize SearchLineEdit::minimumSizeHint() const
{
    return _adjustedHint(_child->minimumSizeHint());
}

QSize SearchLineEdit::_adjustedHint(const QSize& childHint) const
{
    const int m = _outlineInset;
    int width = childHint.width();
    int height = childHint.height();
    if (width > 0 && height > 0) {
        width += height + 2 * m;
        height += 2 * m;
    }
    for (const QPixmap* icon : {&_leftIcon, &_rightIcon}) {
        if (icon->isNull())
            continue;
        if (width > 0)
            width += icon->width();
        if (height > 0)
            height = std::max(height, icon->height() + 2 * m);
    }
    return QSize(width, height);
}

int SearchLineEdit::_styleFlags() const
{
    QStyle::State flags = QStyle::State_Sunken;
    if (isEnabled() && _child->isEnabled())
        flags |= QStyle::State_Enabled;
    if (hasFocus() || _child->hasFocus())
        flags |= QStyle::State_HasFocus;
    if (underMouse() || _child->underMouse())
        flags |= QStyle::State_MouseOver;
    return int(flags);
}

void SearchLineEdit::resizeEvent(QResizeEvent*)
{
    _cacheRegen();
}

// Brings the cached drawing up to date with the size and state; false while the field is
// too small to be drawn at all.
bool SearchLineEdit::_cacheRegen()
{
    const int w = width();
    const int h = height();
    const int diameter = h - 2 * _ringGap();
    if (w < 2 * h || h < 2 * _outlineInset || diameter <= 0)
        return false;
    const SearchLineEditPrivateCache key{_styleFlags(), w, h, 0};
    if (key == _cacheKey)
        return true;
    _cacheKey = key;

    _buildRowTable(diameter);
    _buildOutline();
    const QImage panel = _panelImage(diameter);
    _body = QPixmap(w, h);
    _body.fill(Qt::transparent);
    QPainter painter(&_body);
    // Each end keeps to its own half, so that neither shows the other's inner frame edge.
    painter.setClipRect(0, 0, w / 2, h);
    const int left = _drawSide(painter, panel, _leftIcon, false);
    painter.setClipRect(w / 2, 0, w - w / 2, h);
    const int right = _drawSide(painter, panel, _rightIcon, true);
    _childRect = QRect(left, _outlineInset, w - left - right, h - 2 * _outlineInset);
    _child->setGeometry(_childRect);
    return true;
}

// The round ends: a circle of the given diameter traced by the midpoint algorithm, with
// the rows above and below it left free for the focus ring.
void SearchLineEdit::_buildRowTable(int diameter)
{
    const int gap = _ringGap();
    _rowTable.fill(-1, height());
    std::fill(_rowTable.begin() + gap, _rowTable.begin() + gap + diameter, 0);
    int* circle = _rowTable.data() + gap;
    const int r = (diameter - 1) / 2;
    int x = 0;
    int y = r;
    int decision = 3 - 2 * r;
    while (y > x) {
        circle[r - y] = r - x;
        circle[diameter - r - 1 + y] = r - x;
        circle[r - x] = r - y;
        circle[diameter - r - 1 + x] = r - y;
        if (decision < 0) {
            decision += 4 * x + 6;
        } else {
            decision += 4 * (x - y) + 10;
            --y;
        }
        ++x;
    }
}

void SearchLineEdit::_buildOutline()
{
    const int gap = _ringGap();
    const int m = _outlineInset;
    const int w = width();
    int last = gap;
    while (last + 1 < _rowTable.size() && _rowTable[last + 1] != -1)
        ++last;
    QPainterPath outline;
    outline.moveTo(_rowTable[gap] + gap, gap);
    for (int row = gap; row <= last; ++row)
        outline.lineTo(w - _rowTable[row] - m, row);
    for (int row = last; row >= gap; --row)
        outline.lineTo(_rowTable[row] + m, row);
    outline.closeSubpath();
    _focusOutline = outline;
}

// A line-edit panel as high as the outline. Each end of the field takes it whole up to
// the middle of the field, so it is made at least half the field wide.
QImage SearchLineEdit::_panelImage(int diameter) const
{
    const int w = width();
    const int panelWidth = std::max(w - _ringGap() - 2 * diameter, (w + 1) / 2);
    QImage panel(panelWidth, diameter, QImage::Format_ARGB32_Premultiplied);
    panel.fill(_child->palette().color(QPalette::Base));
    QPainter painter(&panel);
    QStyleOptionFrame option = _child->frameOption();
    option.rect = panel.rect();
    option.lineWidth = 2;
    option.midLineWidth = 1;
    option.state = QStyle::State(_cacheKey.flags);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, _child);
    return panel;
}

// Draws one end of the field into the body pixmap; returns the width the end takes from
// the outer edge to just past its icon.
int SearchLineEdit::_drawSide(QPainter& painter, const QImage& panel, const QPixmap& icon,
                              bool isRight)
{
    const int w = width();
    const int h = height();
    const int m = _outlineInset;
    const int gap = _ringGap();
    for (int row = gap, line = 0; row < h && _rowTable[row] != -1 && line < panel.height();
         ++row, ++line) {
        const int outer = gap + _rowTable[row];
        const int x = isRight ? w - outer - panel.width() : outer;
        painter.drawImage(QPoint(x, row), panel, QRect(0, line, panel.width(), 1));
    }
    if (icon.isNull())
        return m + (panel.height() - 1) / 2;

    const int top = m + std::max(0, (h - 2 * m - icon.height()) / 2);
    const QImage mask = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    const QVector<int> outerInsets = s_createBitmapInsetArray(mask, isRight);
    const QVector<int> innerInsets = s_createBitmapInsetArray(mask, !isRight);
    int distance = INT_MIN;
    int innerClear = mask.width();
    for (int line = 0; line < mask.height(); ++line) {
        const int row = top + line;
        if (row < h && _rowTable[row] != -1)
            distance = std::max(distance, m + _rowTable[row] - outerInsets[line] + s_iconSpacing);
        innerClear = std::min(innerClear, innerInsets[line]);
    }
    if (distance == INT_MIN)
        distance = m + s_iconSpacing;
    painter.drawPixmap(isRight ? w - distance - icon.width() : distance, top, icon);
    return distance + (mask.width() - innerClear) + s_iconSpacing;
}

// Per row of the icon, the number of transparent pixels before the first opaque one,
// counted from the left or from the right; the icon's width for a row with none.
QVector<int> SearchLineEdit::s_createBitmapInsetArray(const QImage& mask, bool fromRight)
{
    QVector<int> insets(mask.height(), mask.width());
    for (int y = 0; y < mask.height(); ++y) {
        for (int i = 0; i < mask.width(); ++i) {
            if (qAlpha(mask.pixel(fromRight ? mask.width() - 1 - i : i, y)) != 0) {
                insets[y] = i;
                break;
            }
        }
    }
    return insets;
}

void SearchLineEdit::paintEvent(QPaintEvent*)
{
    if (!_cacheRegen())
        return;
    QPainter painter(this);
    TabBodyWidget::drawTabBackground(this, &painter);
    const int gap = _ringGap();
    const int w = width();
    for (int row = 0; row < _rowTable.size(); ++row) {
        if (_rowTable[row] == -1)
            continue;
        const QRect strip(_rowTable[row] + gap, row, w - 2 * (_rowTable[row] + gap), 1);
        painter.drawPixmap(strip, _body, strip);
    }
    if (hasFocus() || _child->hasFocus())
        MacUtil::drawFocusRing(&painter, _focusOutline.translated(0, 1), palette(), _ringWidth);
}

// A field too small to be drawn shows no icon, so a press on it is no press on the icon.
void SearchLineEdit::mousePressEvent(QMouseEvent* event)
{
    if (_cacheRegen() && event->position().x() > _childRect.right()) {
        event->accept();
        emit rightIconClicked();
        return;
    }
    QWidget::mousePressEvent(event);
}
