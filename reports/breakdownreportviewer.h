#pragma once

#include "reports/reportviewer.h"

#include <QFrame>

class BreakdownChart;
class DailyAverages;
class DateSelectorBar;

// The energy breakdown of the day and of the week ending with it, above the week's daily
// averages.
class BreakdownReportViewer : public QFrame, public ReportViewer
{
    Q_OBJECT

public:
    explicit BreakdownReportViewer(QWidget* parent = nullptr);

    // Asks what to print; null when the user cancels.
    ReportFactory* getReportFactory() override;
    void saveSettings() override {}
    void loadSettings() override {}

    DateSelectorBar* dateBar() const { return _bar; }
    BreakdownChart* dayChart() const { return _day; }
    BreakdownChart* weekChart() const { return _week; }
    DailyAverages* averages() const { return _averages; }

public slots:
    void updateDate();

private:
    DateSelectorBar* _bar;
    BreakdownChart* _day;
    BreakdownChart* _week;
    DailyAverages* _averages;
};
