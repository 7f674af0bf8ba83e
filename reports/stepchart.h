#pragma once

#include "reports/reportschart.h"

#include <QDate>
#include <utility>
#include <vector>

class QChart;

// Bars of the daily step counts: one position a day, no bar on a day without steps.
class StepChart : public ReportsChart
{
    Q_OBJECT

public:
    explicit StepChart(QWidget* parent = nullptr, const QString& title = QString());

    // Over 30 days the range widens to whole months; then the chart is built and drawn.
    void setDateRange(const QDate& start, const QDate& end);
    void configure(const QDate& start, const QDate& end);

    QDate startDate() const { return _start; }
    QDate endDate() const { return _end; }
    // Every day of the range with its steps, 0 where none were recorded.
    const std::vector<std::pair<QDate, double>>& days() const { return _days; }

protected:
    void populate(QChart* chart) override;

private:
    QDate _start;
    QDate _end;
    std::vector<std::pair<QDate, double>> _days;
};
