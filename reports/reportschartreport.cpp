#include "reports/reportschartreport.h"

#include "reports/reportdevicemetrics.h"

#include <utility>

ReportsChartReport::ReportsChartReport(Print print, ReportDeviceMetrics* metrics)
    : _print(std::move(print))
{
    const QSize size = metrics->size();
    const QSize real = metrics->realSize();
    const int mx = real.width() > 0 ? size.width() * 20 / real.width() : 0;
    const int my = real.height() > 0 ? size.height() * 20 / real.height() : 0;
    _rect = QRect(QPoint(0, 0), size).adjusted(mx, my, -mx, -my);
}

void ReportsChartReport::draw(QPainter* painter, int page) const
{
    if (page == 0)
        _print(painter, _rect);
}
