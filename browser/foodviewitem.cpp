#include "browser/foodviewitem.h"

#include <QTreeWidget>

FoodViewItem::FoodViewItem(const QString& text, qint64 id)
    : FoodViewItem(text, id, PlainRow)
{
}

FoodViewItem::FoodViewItem(const QString& text, qint64 id, RowKind kind)
    : QTreeWidgetItem(kind), id(id)
{
    setText(0, text);
}

FoodViewItem::FoodViewItem(QTreeWidget* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, PlainRow)
{
}

FoodViewItem::FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, qint64 id)
    : FoodViewItem(parent, after, text, id, PlainRow)
{
}

FoodViewItem::FoodViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, PlainRow)
{
}

FoodViewItem::FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text,
                           qint64 id)
    : FoodViewItem(parent, after, text, id, PlainRow)
{
}

FoodViewItem::FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text,
                           qint64 id, RowKind kind)
    : FoodViewItem(text, id, kind)
{
    const int index = after ? parent->indexOfTopLevelItem(after) + 1 : 0;
    parent->insertTopLevelItem(index, this);
}

FoodViewItem::FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text,
                           qint64 id, RowKind kind)
    : FoodViewItem(text, id, kind)
{
    const int index = after ? parent->indexOfChild(after) + 1 : 0;
    parent->insertChild(index, this);
}

FoodViewItem::~FoodViewItem() = default;

FoodViewItem* FoodViewItem::from(QTreeWidgetItem* item)
{
    if (!item || item->type() < PlainRow || item->type() > MoreRow)
        return nullptr;
    return static_cast<FoodViewItem*>(item);
}
