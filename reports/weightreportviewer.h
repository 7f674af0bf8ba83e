#pragma once

#include "reports/periodchartviewer.h"

class WeightChart;

// The weight chart of the reports page.
class WeightReportViewer : public PeriodChartViewer
{
    Q_OBJECT

public:
    explicit WeightReportViewer(QWidget* parent = nullptr);

    WeightChart* chart() const { return _chart; }

protected:
    ReportsChart* makeChart(const QString& title) const override;
    void setChartRange(ReportsChart* chart, const QDate& start, const QDate& end) const override;

private:
    WeightChart* _chart;
};
