#pragma once

#include "reports/report.h"

#include <QRect>

#include <vector>

struct BreakdownReportData;
class ReportDeviceMetrics;

// The pages of a breakdown report: each date's pie in its place on the page, inside a
// 20 mm margin.
class BreakdownReport : public Report
{
public:
    // Neither is owned; both must outlive the report.
    BreakdownReport(ReportDeviceMetrics* metrics, const BreakdownReportData* data);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override;

    // The rectangle of a chart position on the page, counted row by row from the top left.
    QRect _calPoints(int position) const;

private:
    ReportDeviceMetrics* _metrics;
    const BreakdownReportData* _data;
    std::vector<QRect> _places;
};
