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

FixedViewItem::FixedViewItem(QTreeWidget* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, FixedRow)
{
    makeBold(this);
}

FixedViewItem::FixedViewItem(const QString& text, qint64 id)
    : FoodViewItem(text, id, FixedRow)
{
    makeBold(this);
}
