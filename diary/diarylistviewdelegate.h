#pragma once

#include <QStyledItemDelegate>

// Paints the cells of the diary list: group rows other than the first paint below a band
// that the list leaves to its background, every group row draws a rule across its width at
// the band's lower edge, and all cells of a row take the height that column 0 asks for.
class DiaryListViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DiaryListViewDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
