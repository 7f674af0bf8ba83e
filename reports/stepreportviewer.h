#pragma once

#include "reports/periodchartviewer.h"

class StepChart;

// The step chart of the reports page.
class StepReportViewer : public PeriodChartViewer
{
    Q_OBJECT

public:
    explicit StepReportViewer(QWidget* parent = nullptr);

    StepChart* chart() const { return _chart; }

protected:
    ReportsChart* makeChart(const QString& title) const override;
    void setChartRange(ReportsChart* chart, const QDate& start, const QDate& end) const override;

private:
    StepChart* _chart;
};
