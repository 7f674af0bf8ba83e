#include "reports/stepreportviewer.h"

#include "reports/stepchart.h"

StepReportViewer::StepReportViewer(QWidget* parent)
    : PeriodChartViewer(parent, tr("Steps Chart")), _chart(new StepChart(nullptr, tr("Steps Chart")))
{
    setObjectName(QStringLiteral("StepReportViewer"));
    build(_chart);
}

ReportsChart* StepReportViewer::makeChart(const QString& title) const
{
    return new StepChart(nullptr, title);
}

void StepReportViewer::setChartRange(ReportsChart* chart, const QDate& start, const QDate& end) const
{
    static_cast<StepChart*>(chart)->setDateRange(start, end);
}
