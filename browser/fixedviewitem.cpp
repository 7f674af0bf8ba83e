#include "browser/fixedviewitem.h"

#include <QFont>

namespace {
void makeBold(QTreeWidgetItem* row)
{
    QFont font = row->font(0);
    font.setBold(true);
    row->setFont(0, font);
}
} // namespace

FixedViewItem::FixedViewItem(QTreeWidget* parent, const QString& text, int id)
    : FoodViewItem(parent, nullptr, text, id, FixedRow)
{
    makeBold(this);
}

FixedViewItem::FixedViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text, int id)
    : FoodViewItem(parent, after, text, id, FixedRow)
{
    makeBold(this);
}

FixedViewItem::FixedViewItem(QTreeWidgetItem* parent, const QString& text, int id)
    : FoodViewItem(parent, nullptr, text, id, FixedRow)
{
    makeBold(this);
}

FixedViewItem::FixedViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after, const QString& text,
                             int id)
    : FoodViewItem(parent, after, text, id, FixedRow)
{
    makeBold(this);
}
