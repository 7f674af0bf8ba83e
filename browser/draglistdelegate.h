#pragma once

#include <QStyledItemDelegate>

#include <functional>

class FoodViewItem;

// Paints a browser list's "more results" row with its View All button, and gives the
// list's in-place rename editor ("qt_renamebox"), whose commit the list reports as a rename.
class DragListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The list's row shown at a model index, or null.
    using RowLookup = std::function<FoodViewItem*(const QModelIndex&)>;

    // The parent is the list, whose rows rowOf finds.
    DragListDelegate(QObject* parent, RowLookup rowOf);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

signals:
    // The rename editor's text committed for a row.
    void renameCommitted(FoodViewItem* row, const QString& text) const;

private:
    RowLookup _rowOf;
};
