#include "reports/reportselector.h"

#include "reports/reportselectordelegate.h"
#include "reports/reportselectoritem.h"

#include <QMouseEvent>

ReportSelector::ReportSelector(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setItemDelegate(new ReportSelectorDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ReportSelector::_setHovered(ReportSelectorItem* item)
{
    if (item == _hovered)
        return;
    if (_hovered) {
        _hovered->setMouseOver(false);
        update(indexFromItem(_hovered));
    }
    _hovered = item;
    if (_hovered) {
        _hovered->setMouseOver(true);
        update(indexFromItem(_hovered));
    }
}

void ReportSelector::mouseMoveEvent(QMouseEvent* event)
{
    _setHovered(static_cast<ReportSelectorItem*>(itemAt(event->position().toPoint())));
    QListWidget::mouseMoveEvent(event);
}

void ReportSelector::leaveEvent(QEvent* event)
{
    _setHovered(nullptr);
    QListWidget::leaveEvent(event);
}

void ReportSelector::mousePressEvent(QMouseEvent* event)
{
    if (itemAt(event->position().toPoint()))
        QListWidget::mousePressEvent(event);
}
