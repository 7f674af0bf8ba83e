#include "reports/weightreportviewer.h"

#include "reports/weightchart.h"

WeightReportViewer::WeightReportViewer(QWidget* parent)
    : PeriodChartViewer(parent, tr("Weight Chart")), _chart(new WeightChart(nullptr, tr("Weight Chart")))
{
    setObjectName(QStringLiteral("WeightReportViewer"));
    build(_chart);
}

ReportsChart* WeightReportViewer::makeChart(const QString& title) const
{
    return new WeightChart(nullptr, title);
}

void WeightReportViewer::setChartRange(ReportsChart* chart, const QDate& start, const QDate& end) const
{
    static_cast<WeightChart*>(chart)->setDateRange(start, end);
}
