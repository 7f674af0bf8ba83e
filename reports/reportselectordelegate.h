#pragma once

#include <QStyledItemDelegate>

class QListWidget;

// Paints a report list entry: its icon centred above its name, on a blue box while selected
// and a paler one while the mouse is over it.
class ReportSelectorDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ReportSelectorDelegate(QListWidget* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QListWidget* _list;
};
