#pragma once

#include "browser/foodviewitem.h"

// A row the user cannot edit, shown bold: the fixed roots of the custom and saved-meal lists.
class FixedViewItem : public FoodViewItem
{
public:
    FixedViewItem(QTreeWidget* parent, const QString& text, int id);
    FixedViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, int id);
    FixedViewItem(QTreeWidgetItem* parent, const QString& text, int id);
    FixedViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text, int id);
};
