#include "net/mealplandialogprivate.h"

#include <QTreeWidget>

bool MealPlanDialogPrivate::buttonedItem(const QTreeWidget* list, QTreeWidgetItem* row, const QPoint& position) const
{
    if (!row || !row->parent() || !rows.contains(row))
        return false;
    const int left = list->visualItemRect(row).left();
    // The image sits at the start of the row's first column, after the focus margin.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    return position.x() >= left && position.x() <= left + margin + addImage.width();
}
