#include "diary/diarylistviewdelegate.h"

#include <QPainter>

namespace {

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
    QStyledItemDelegate::paint(painter, shifted, index);
    if (isGroupRow(index)) {
        // The band above a group row is left to the list's background (see drawRow).
        const int band = gap ? cell.height() / 3 : 0;
        painter->setPen(option.palette.color(QPalette::Dark));
        painter->drawLine(cell.left(), cell.top() + band, cell.right(), cell.top() + band);
    }
    painter->restore();
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
