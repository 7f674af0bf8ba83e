#pragma once

#include "reports/reportfactory.h"

#include <QDate>

#include <vector>

// The energy breakdown of each day of a range, one pie per day and 1, 2 or 6 pies a page.
class BreakdownReportFactory : public ReportFactory
{
public:
    // With `omitEmpty`, days without live diary entries are left out.
    BreakdownReportFactory(QDate first, QDate last, int chartsPerPage, bool omitEmpty);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return true; }

    int chartsPerPage() const { return _chartsPerPage; }
    // The dates of each page, in date order.
    const std::vector<std::vector<QDate>>& pages() const { return _pages; }

private:
    int _chartsPerPage;
    std::vector<std::vector<QDate>> _pages;
};
