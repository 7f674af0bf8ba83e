#include "reports/nutrientreportviewer.h"

#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/displaydate.h"
#include "reports/dateselectorbar.h"
#include "reports/graphpicker.h"
#include "reports/nutrientchart.h"
#include "reports/periodpicker.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

NutrientReportViewer::NutrientReportViewer(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("NutrientReportViewer"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    _bar = new DateSelectorBar(this);
    _chart = new NutrientChart(nullptr, tr("Nutrients"));
    auto* pickers = new QWidget(this);
    auto* row = new QHBoxLayout(pickers);
    row->setContentsMargins(0, 0, 0, 0);
    _graphs = new GraphPicker(pickers);
    _periods = new PeriodPicker(pickers);
    // A bar a day: a month at most.
    _periods->disablePeriod(PeriodPicker::Quarter);
    _periods->disablePeriod(PeriodPicker::Year);
    row->addWidget(_graphs, 1);
    row->addWidget(_periods, 1);
    layout->addWidget(_bar);
    layout->addWidget(frameAround(_chart, this), 1);
    layout->addWidget(pickers);

    if (_date.isNull())
        _date = Clock::today();
    _bar->setDate(_date);
    configChart(_chart);
    _shownPeriod = _periods->getPeriodId();
    _shownComponents = _graphs->getComponents();
    connect(_bar, &DateSelectorBar::dateChanged, this, &NutrientReportViewer::updateChart);
    connect(_periods, &PeriodPicker::periodChanged, this, &NutrientReportViewer::updateChart);
    connect(_graphs, &GraphPicker::clicked, this, &NutrientReportViewer::updateChart);
}

void NutrientReportViewer::getDateRange(QDate& start, QDate& end) const
{
    end = _bar->getDate();
    start = end.addDays(1 - _periods->getPeriod());
}

int NutrientReportViewer::getChartComponents() const
{
    return _graphs->getComponents();
}

void NutrientReportViewer::configChart(NutrientChart* chart) const
{
    QDate start;
    QDate end;
    getDateRange(start, end);
    chart->configure(start, end, getChartComponents());
}

void NutrientReportViewer::updateChart()
{
    const NutrientChart::Figures kept = _chart->figures();
    const bool shown = showBarDate(this, _bar, [this] {
        configChart(_chart);
        _chart->viewport()->update();
    });
    if (shown) {
        _shownPeriod = _periods->getPeriodId();
        _shownComponents = _graphs->getComponents();
        return;
    }
    // The chart keeps the figures it showed.
    _chart->showFigures(kept);
    _periods->setPeriod(_shownPeriod);
    _graphs->setComponents(_shownComponents);
}

void NutrientReportViewer::loadSettings()
{
    const int period = BXSettings().getInt(BXSettings::NutrientReportPeriod);
    // The quarter and the year are hidden here: a stored one leaves the picker as it is.
    if (period != PeriodPicker::Quarter && period != PeriodPicker::Year)
        _periods->setPeriod(period);
    _graphs->loadSettings();
    updateChart();
}

void NutrientReportViewer::saveSettings()
{
    BXSettings().setInt(BXSettings::NutrientReportPeriod, _periods->getPeriodId());
    _graphs->saveSettings();
}

ReportFactory* NutrientReportViewer::getReportFactory()
{
    QDate start;
    QDate end;
    getDateRange(start, end);
    return readFactory(this, [&](WorkProgress&) {
        auto* chart = new NutrientChart(nullptr, tr("Nutrient Chart from %1 to %2.")
                                                     .arg(DisplayDate::textDate(start),
                                                          DisplayDate::textDate(end)));
        configChart(chart);
        return chart;
    });
}
