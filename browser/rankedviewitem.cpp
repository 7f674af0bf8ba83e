#include "browser/rankedviewitem.h"

#include <QFont>

RankedViewItem::RankedViewItem(QTreeWidget* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, RankedRow)
{
    _styleHeader();
}

RankedViewItem::RankedViewItem(QTreeWidget* parent, QTreeWidgetItem* after, const QString& text,
                               qint64 id)
    : FoodViewItem(parent, after, text, id, RankedRow)
{
    _styleHeader();
}

RankedViewItem::RankedViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, RankedRow)
{
    _styleHeader();
}

RankedViewItem::RankedViewItem(QTreeWidgetItem* parent, QTreeWidgetItem* after,
                               const QString& text, qint64 id)
    : FoodViewItem(parent, after, text, id, RankedRow)
{
    _styleHeader();
}

RankedViewItem::RankedViewItem(const QString& text, qint64 id)
    : FoodViewItem(text, id, RankedRow)
{
    _styleHeader();
}

void RankedViewItem::_styleHeader()
{
    if (!isHeader())
        return;
    QFont font = this->font(0);
    font.setBold(true);
    setFont(0, font);
}
