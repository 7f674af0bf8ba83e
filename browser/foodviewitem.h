#pragma once

#include <QString>
#include <QTreeWidgetItem>

// A row of a browser list: a catalogue id (or a saved-meal or recipe id; -1 for the headers
// of the ranked and favourites views, -2 for the "more results" row) and the row's
// BrowserItemFlags. A row made without an "after" row becomes its parent's first child.
class FoodViewItem : public QTreeWidgetItem
{
public:
    // The rows' kinds, as QTreeWidgetItem::type().
    enum RowKind { PlainRow = QTreeWidgetItem::UserType, FixedRow, RankedRow, MoreRow };

    FoodViewItem(QTreeWidget* parent, const QString& text, int id);
    FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, int id);
    FoodViewItem(QTreeWidgetItem* parent, const QString& text, int id);
    FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, int id);
    ~FoodViewItem() override;

    int id;
    unsigned char type = 0;

    RowKind rowKind() const { return RowKind(QTreeWidgetItem::type()); }

    // The row as a browser row, or null for another item.
    static FoodViewItem* from(QTreeWidgetItem* item);

protected:
    FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, int id,
                 RowKind kind);
    FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, int id,
                 RowKind kind);
};
