#include "diary/diarylistviewdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <utility>

namespace {

// Enough for many days of names and figures; the layouts are dropped all at once beyond.
constexpr qsizetype MaxLaidOutTexts = 2048;

bool isGroupRow(const QModelIndex& index)
{
    return !index.parent().isValid();
}

bool hasGapAbove(const QModelIndex& index)
{
    return isGroupRow(index) && index.row() > 0;
}

} // namespace

DiaryListViewDelegate::DiaryListViewDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void DiaryListViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    const QRect cell = option.rect;
    const bool gap = hasGapAbove(index);
    painter->save();
    painter->setClipRect(cell, Qt::IntersectClip);
    QStyleOptionViewItem shifted(option);
    if (gap)
        shifted.rect.translate(0, cell.height() / 4);
    QStyleOptionViewItem item(shifted);
    initStyleOption(&item, index);
    if (!_paintFittingText(painter, item))
        QStyledItemDelegate::paint(painter, shifted, index);
    if (isGroupRow(index)) {
        // The band above a group row is left to the list's background (see drawRow).
        const int band = gap ? cell.height() / 3 : 0;
        painter->setPen(option.palette.color(QPalette::Dark));
        painter->drawLine(cell.left(), cell.top() + band, cell.right(), cell.top() + band);
    }
    painter->restore();
}

bool DiaryListViewDelegate::_paintFittingText(QPainter* painter, QStyleOptionViewItem& cell) const
{
    if (cell.features
        & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration))
        return false;
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
    const QStaticText& text = _laidOut(cell.text, cell.font);
    const QSizeF size = text.size();
    const bool multiLine = cell.text.contains(QLatin1Char('\n'));
    if (size.width() > textRect.width() || int(size.height()) > textRect.height()
        || (multiLine && !(cell.displayAlignment & Qt::AlignLeft)))
        return false;

    // The style paints the panel and the focus frame; the text goes on top as it would.
    const QString shown = std::exchange(cell.text, QString());
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    if (shown.isEmpty())
        return true;
    QPalette::ColorGroup group = cell.state & QStyle::State_Enabled ? QPalette::Normal
                                                                    : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const bool selected = cell.state & QStyle::State_Selected;
    painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText
                                                       : QPalette::Text));
    painter->setFont(cell.font);
    // Placed as the style places a laid-out text: whole pixels down, fractions across.
    const QRect block = QStyle::alignedRect(cell.direction, cell.displayAlignment,
                                            QSize(textRect.width(), int(size.height())), textRect);
    const Qt::Alignment across =
        QStyle::visualAlignment(cell.direction, cell.displayAlignment) & Qt::AlignHorizontal_Mask;
    qreal left = block.left();
    if (across & Qt::AlignRight)
        left += block.width() - size.width();
    else if (across & Qt::AlignHCenter)
        left += (block.width() - size.width()) / 2;
    painter->drawStaticText(QPointF(left, block.top()), text);
    return true;
}

const QStaticText& DiaryListViewDelegate::_laidOut(const QString& text, const QFont& font) const
{
    const std::pair<QString, QFont> key(text, font);
    auto found = _texts.constFind(key);
    if (found != _texts.cend())
        return *found;
    if (_texts.size() >= MaxLaidOutTexts)
        _texts.clear();
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QStaticText laidOut(lines);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(QTransform(), font);
    return *_texts.insert(key, laidOut);
}

QSize DiaryListViewDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QVariant rowSize = index.siblingAtColumn(0).data(Qt::SizeHintRole);
    if (rowSize.isValid())
        size.setHeight(rowSize.toSize().height());
    return size;
}
