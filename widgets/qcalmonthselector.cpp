#include "widgets/qcalmonthselector.h"

#include <QLocale>

QCalMonthSelector::QCalMonthSelector(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("monthSelector"));
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        addAction(locale.monthName(month, QLocale::LongFormat))->setData(month);
}
