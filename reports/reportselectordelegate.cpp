#include "reports/reportselectordelegate.h"

#include "reports/reportselectoritem.h"

#include <QListWidget>
#include <QPainter>

ReportSelectorDelegate::ReportSelectorDelegate(QListWidget* list)
    : QStyledItemDelegate(list), _list(list)
{
}

void ReportSelectorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    const auto* item = static_cast<const ReportSelectorItem*>(_list->itemFromIndex(index));
    if (!item)
        return;
    const QRect cell = option.rect;
    const QRect box(cell.left() + 1, cell.top() + 1, cell.width() - 3, cell.height() - 5);
    painter->save();
    if (item->isSelected()) {
        painter->fillRect(box, QColor(193, 210, 238));
        painter->setPen(QColor(49, 106, 197));
        painter->drawRect(box);
    } else if (item->mouseOver()) {
        painter->fillRect(box, QColor(224, 232, 246));
        painter->setPen(QColor(152, 180, 226));
        painter->drawRect(box);
    } else {
        painter->fillRect(cell, _list->palette().base());
    }
    const int margin = ReportSelectorItem::itemMargin();
    const QPixmap& pixmap = item->pixmap();
    painter->drawPixmap(cell.left() + (cell.width() - pixmap.width()) / 2, cell.top() + margin, pixmap);
    const QFontMetrics metrics(option.font);
    const int textWidth = metrics.horizontalAdvance(item->text());
    painter->setPen(_list->palette().color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(cell.left() + (cell.width() - textWidth) / 2,
                      cell.top() + pixmap.height() + metrics.ascent() + ReportSelectorItem::labelLeading() + margin,
                      item->text());
    painter->restore();
}

QSize ReportSelectorDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* item = static_cast<const ReportSelectorItem*>(_list->itemFromIndex(index));
    if (!item)
        return QStyledItemDelegate::sizeHint(option, index);
    const QFontMetrics metrics(option.font);
    const int margin = ReportSelectorItem::itemMargin();
    const int width = std::max(metrics.horizontalAdvance(item->text()), item->pixmap().width()) + 2 * margin + 2;
    const int height = item->pixmap().height() + ReportSelectorItem::labelLeading() + metrics.lineSpacing()
        + ReportSelectorItem::itemGap() + 2 * margin + 1;
    return QSize(width, height);
}
