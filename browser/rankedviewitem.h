#pragma once

#include "browser/foodviewitem.h"

// A row of the ranked and favourites views; one with a negative id is a bold header.
class RankedViewItem : public FoodViewItem
{
public:
    RankedViewItem(QTreeWidget* parent, const QString& text, qint64 id);
    RankedViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, qint64 id);
    RankedViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id);
    RankedViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, qint64 id);
    // A row to be inserted later.
    RankedViewItem(const QString& text, qint64 id);

    bool isHeader() const { return id < 0; }

private:
    void _styleHeader();
};
