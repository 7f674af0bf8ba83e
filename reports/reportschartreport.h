#pragma once

#include "reports/report.h"

#include <QRect>

class ReportDeviceMetrics;
class ReportsChart;

// One page holding a chart inside a 20 mm margin.
class ReportsChartReport : public Report
{
public:
    // The chart is not owned and must outlive the report.
    ReportsChartReport(ReportsChart* chart, ReportDeviceMetrics* metrics);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override { return 1; }
    const QRect& rect() const { return _rect; }

private:
    ReportsChart* _chart;
    QRect _rect;
};
