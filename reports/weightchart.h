#pragma once

#include "reports/reportschart.h"

#include <QDate>

class LineGraphParams;

// Line of the user's weigh-ins across the chosen dates. The ends are pinned to the last
// weight before the range and the first one after it; anything beyond today is dotted.
class WeightChart : public ReportsChart
{
    Q_OBJECT

public:
    explicit WeightChart(QWidget* parent = nullptr, const QString& title = QString());

    // Over 30 days the range widens to whole months; then the chart is built and drawn.
    void setDateRange(const QDate& start, const QDate& end);
    void configure(const QDate& start, const QDate& end);

    QDate startDate() const { return _start; }
    QDate endDate() const { return _end; }
    const LineGraphParams* lineParams() const;

    // Over 30 days: from the first day of start's month to the last of end's.
    static void widenToMonths(QDate& start, QDate& end);

private:
    QDate _start;
    QDate _end;
};
