#pragma once

#include <QStyledItemDelegate>

class DragListView;

// Paints a browser list's "more results" row with its View All button, and gives the
// list's in-place rename editor ("qt_renamebox"), whose commit the list reports as a rename.
class DragListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DragListDelegate(DragListView* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    DragListView* _list;
};
