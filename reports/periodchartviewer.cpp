#include "reports/periodchartviewer.h"

#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/displaydate.h"
#include "reports/dateselectorbar.h"
#include "reports/periodpicker.h"
#include "reports/reportschart.h"

#include <QVBoxLayout>

PeriodChartViewer::PeriodChartViewer(QWidget* parent, const QString& title)
    : QFrame(parent), _title(title)
{
    if (_date.isNull())
        _date = Clock::today();
}

void PeriodChartViewer::build(ReportsChart* chart)
{
    _chart = chart;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    _bar = new DateSelectorBar(this);
    _picker = new PeriodPicker(this);
    layout->addWidget(_bar);
    layout->addWidget(frameAround(_chart, this), 1);
    layout->addWidget(_picker);
    setChartRange(_chart, _date.addDays(-6), _date);
    _bar->setDate(_date);
    _shownPeriod = _picker->getPeriodId();
    connect(_bar, &DateSelectorBar::dateChanged, this, &PeriodChartViewer::updateDate);
    connect(_picker, &PeriodPicker::periodChanged, this, &PeriodChartViewer::updateDate);
}

void PeriodChartViewer::getDateRange(QDate& start, QDate& end) const
{
    end = _bar->getDate();
    start = end.addDays(1 - _picker->getPeriod());
}

void PeriodChartViewer::updateDate()
{
    const bool shown = showBarDate(this, _bar, [this] {
        _bar->setGranularity(_picker->getPeriod() > 30 ? DateSelectorBar::Month
                                                       : DateSelectorBar::Day);
        QDate start;
        QDate end;
        getDateRange(start, end);
        setChartRange(_chart, start, end);
    });
    if (shown)
        _shownPeriod = _picker->getPeriodId();
    else
        _picker->setPeriod(_shownPeriod);
}

void PeriodChartViewer::loadSettings()
{
    _picker->setPeriod(BXSettings().getInt(BXSettings::WeightReportPeriod));
    updateDate();
}

void PeriodChartViewer::saveSettings()
{
    BXSettings().setInt(BXSettings::WeightReportPeriod, _picker->getPeriodId());
}

ReportFactory* PeriodChartViewer::getReportFactory()
{
    QDate start;
    QDate end;
    getDateRange(start, end);
    return readFactory(this, [&](WorkProgress&) {
        ReportsChart* chart = makeChart(tr("%1 from %2 to %3.")
                                            .arg(_title, DisplayDate::textDate(start),
                                                 DisplayDate::textDate(end)));
        setChartRange(chart, start, end);
        return chart;
    });
}
