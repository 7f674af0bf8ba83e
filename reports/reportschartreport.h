#pragma once

#include "reports/report.h"

#include <QRect>

#include <functional>

class ReportDeviceMetrics;

// One page holding a chart inside a 20 mm margin.
class ReportsChartReport : public Report
{
public:
    // Draws a chart into a rectangle of a painter.
    using Print = std::function<void(QPainter* painter, const QRect& rect)>;

    // `print` draws the chart; what it draws must outlive the report.
    ReportsChartReport(Print print, ReportDeviceMetrics* metrics);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override { return 1; }
    const QRect& rect() const { return _rect; }

private:
    Print _print;
    QRect _rect;
};
