#pragma once

#include "reports/reportviewer.h"

#include <QFrame>

class DateSelectorBar;
class PeriodPicker;
class ReportsChart;

// A chart of the period ending on the date bar's day, with a period picker whose longer
// periods step the bar by months: what the weight and step viewers share. Both keep their
// period in the weight report's setting.
class PeriodChartViewer : public QFrame, public ReportViewer
{
    Q_OBJECT

public:
    void getDateRange(QDate& start, QDate& end) const;
    ReportFactory* getReportFactory() override;
    void saveSettings() override;
    void loadSettings() override;

    DateSelectorBar* dateBar() const { return _bar; }
    PeriodPicker* periodPicker() const { return _picker; }

public slots:
    void updateDate();

protected:
    // `title` names the chart on screen, and with the dates its printed copy.
    PeriodChartViewer(QWidget* parent, const QString& title);
    // Builds the widgets around the chart the subclass made; call from its constructor.
    void build(ReportsChart* chart);

    // A new chart of the viewer's kind without a parent, and the range it is to draw.
    virtual ReportsChart* makeChart(const QString& title) const = 0;
    virtual void setChartRange(ReportsChart* chart, const QDate& start, const QDate& end) const = 0;

private:
    QString _title;
    DateSelectorBar* _bar = nullptr;
    ReportsChart* _chart = nullptr;
    PeriodPicker* _picker = nullptr;
    // The period the chart shows, for the picker to go back to when the diary cannot be read.
    int _shownPeriod = 0;
};
