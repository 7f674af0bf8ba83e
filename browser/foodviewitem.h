#pragma once

#include <QString>
#include <QTreeWidgetItem>

// Browser list row carrying an id and BrowserItemFlags. The id is a catalogue, saved-meal
// or recipe id; headers in ranked/favourite mode use -1 and the "more results" row -2.
// Without an "after" sibling a new row is inserted at the top of its parent; a row made
// without a parent is inserted later, with its siblings in one call.
class FoodViewItem : public QTreeWidgetItem
{
public:
    // The rows' kinds, as QTreeWidgetItem::type().
    enum RowKind { PlainRow = QTreeWidgetItem::UserType, FixedRow, RankedRow, MoreRow };

    FoodViewItem(const QString& text, qint64 id);

    FoodViewItem(QTreeWidget* parent, const QString& text, qint64 id);
    FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, qint64 id);
    FoodViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id);
    FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, qint64 id);
    ~FoodViewItem() override;

    qint64 id;
    unsigned char type = 0;

    RowKind rowKind() const { return RowKind(QTreeWidgetItem::type()); }

    // The row as a browser row, or null for another item.
    static FoodViewItem* from(QTreeWidgetItem* item);

protected:
    FoodViewItem(const QString& text, qint64 id, RowKind kind);
    FoodViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, qint64 id,
                 RowKind kind);
    FoodViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, qint64 id,
                 RowKind kind);
};
