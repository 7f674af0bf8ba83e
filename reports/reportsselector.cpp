#include "reports/reportsselector.h"

ReportsSelector::ReportsSelector(QWidget* parent) : ReportSelector(parent)
{
    setMinimumWidth(100);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
}
