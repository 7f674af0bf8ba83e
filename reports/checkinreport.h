#pragma once

#include "reports/report.h"

#include <QFont>
#include <QRect>

struct CheckinReportData;
class ReportDeviceMetrics;

// The check-in table laid out in fixed rows for one device.
class CheckinReport : public Report
{
public:
    // Neither is owned; both must outlive the report.
    CheckinReport(ReportDeviceMetrics* metrics, const CheckinReportData* data);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override;

    int rowsPerPage() const { return _rowsPerPage; }
    int columnWidth() const { return _columnWidth; }

private:
    void _drawRows(QPainter* painter, int page) const;

    ReportDeviceMetrics* _metrics;
    const CheckinReportData* _data;
    QRect _body;
    QFont _regular;
    QFont _bold;
    int _columnWidth = 0;
    int _headingSpacing = 0;
    int _headingAscent = 0;
    int _rowSpacing = 0;
    int _rowAscent = 0;
    int _rowsPerPage = 1;
};
