#pragma once

#include "reports/report.h"

#include <QFont>
#include <QRect>

class CheckinReportFactory;
class ReportDeviceMetrics;

// The check-in table laid out in fixed rows for one device.
class CheckinReport : public Report
{
public:
    CheckinReport(ReportDeviceMetrics* metrics, CheckinReportFactory* factory);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override;

    int rowsPerPage() const { return _rowsPerPage; }
    int columnWidth() const { return _columnWidth; }

private:
    void _drawRows(QPainter* painter, int page) const;

    ReportDeviceMetrics* _metrics;
    CheckinReportFactory* _factory;
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
