#include "widgets/qcalmonthselector.h"

#include "core/displaydate.h"

QCalMonthSelector::QCalMonthSelector(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("monthSelector"));
    for (int month = 1; month <= 12; ++month)
        addAction(DisplayDate::monthName(month))->setData(month);
}
