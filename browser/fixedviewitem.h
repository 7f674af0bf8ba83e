#pragma once

#include "browser/foodviewitem.h"

// Bold, non-editable row used for the top-level folders of the user's own lists.
class FixedViewItem : public FoodViewItem
{
public:
    FixedViewItem(QTreeWidget* parent, const QString& text, qint64 id);
    // A row to be inserted later.
    FixedViewItem(const QString& text, qint64 id);
};
