#pragma once

#include "reports/breakdownreportdata.h"
#include "reports/reportfactory.h"

#include <QDate>

// The energy breakdown of each day of a range, one pie per day and 1, 2 or 6 pies a page.
class BreakdownReportFactory : public ReportFactory
{
public:
    // With `omitEmpty`, days without live diary entries are left out. Every day's pie is
    // read here, so that laying out and drawing never read the diary: run it inside a reading
    // action, whose outcome tells whether all of it was read. Once `progress`, told of each
    // day, stops, the rest is not read.
    BreakdownReportFactory(QDate first, QDate last, int chartsPerPage, bool omitEmpty,
                           WorkProgress* progress = nullptr);
    ~BreakdownReportFactory() override;

    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return true; }

    const BreakdownReportData& data() const { return _data; }

private:
    BreakdownReportData _data;
};
