#pragma once

#include "reports/reportviewer.h"

#include <QFrame>

class DateSelectorBar;
class GraphPicker;
class NutrientChart;
class PeriodPicker;

// The nutrient chart with its date bar, the series to draw and a period of up to a month.
class NutrientReportViewer : public QFrame, public ReportViewer
{
    Q_OBJECT

public:
    explicit NutrientReportViewer(QWidget* parent = nullptr);

    void getDateRange(QDate& start, QDate& end) const;
    int getChartComponents() const;
    void configChart(NutrientChart* chart) const;
    ReportFactory* getReportFactory() override;
    void saveSettings() override;
    void loadSettings() override;

    DateSelectorBar* dateBar() const { return _bar; }
    PeriodPicker* periodPicker() const { return _periods; }
    GraphPicker* graphPicker() const { return _graphs; }
    NutrientChart* chart() const { return _chart; }

public slots:
    void updateChart();

private:
    DateSelectorBar* _bar;
    NutrientChart* _chart;
    GraphPicker* _graphs;
    PeriodPicker* _periods;
    // What the chart shows, for the pickers to go back to when the diary cannot be read.
    int _shownPeriod = 0;
    int _shownComponents = 0;
};
