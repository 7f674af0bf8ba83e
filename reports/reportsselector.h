#pragma once

#include "reports/reportselector.h"

// The report list of the reports page.
class ReportsSelector : public ReportSelector
{
    Q_OBJECT

public:
    explicit ReportsSelector(QWidget* parent = nullptr);
};
