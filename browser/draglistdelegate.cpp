#include "browser/draglistdelegate.h"

#include "browser/moreviewitem.h"

#include <QLineEdit>

#include <utility>

DragListDelegate::DragListDelegate(QObject* parent, RowLookup rowOf)
    : QStyledItemDelegate(parent)
    , _rowOf(std::move(rowOf))
{
}

void DragListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    FoodViewItem* row = _rowOf(index);
    if (row && row->rowKind() == FoodViewItem::MoreRow) {
        static_cast<MoreViewItem*>(row)->paint(painter, option);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

QSize DragListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    FoodViewItem* row = _rowOf(index);
    if (row && row->rowKind() == FoodViewItem::MoreRow)
        size.setHeight(qMax(size.height(), static_cast<MoreViewItem*>(row)->minimumHeight()));
    return size;
}

QWidget* DragListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        editor->setObjectName(QStringLiteral("qt_renamebox"));
    return editor;
}

void DragListDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                    const QModelIndex& index) const
{
    auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    FoodViewItem* row = _rowOf(index);
    if (lineEdit && row)
        emit renameCommitted(row, lineEdit->text());
}
