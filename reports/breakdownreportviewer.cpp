#include "reports/breakdownreportviewer.h"

#include "reports/breakdownchart.h"
#include "reports/breakdownreportfactory.h"
#include "reports/dailyaverages.h"
#include "reports/dateselectorbar.h"
#include "reports/printbreakdownoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

namespace {

// A white strip; `height` 0 leaves its height to the layout.
QWidget* whiteStrip(QWidget* parent, int height)
{
    auto* strip = new QWidget(parent);
    strip->setAutoFillBackground(true);
    QPalette colours = strip->palette();
    colours.setColor(QPalette::Window, Qt::white);
    strip->setPalette(colours);
    if (height > 0)
        strip->setFixedHeight(height);
    return strip;
}

} // namespace

BreakdownReportViewer::BreakdownReportViewer(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("BreakdownReportViewer"));
    QVBoxLayout* layout = layOutUnderDateBar(this, _bar);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    panelLayout->setSpacing(0);
    auto* charts = new QWidget(panel);
    auto* chartRow = new QHBoxLayout(charts);
    chartRow->setContentsMargins(0, 0, 0, 0);
    chartRow->setSpacing(0);
    const QString dayTitle = tr("Energy Breakdown for the current day");
    const QString weekTitle = tr("Energy Breakdown for the past 7 days");
    _day = new BreakdownChart(charts, dayTitle, false);
    _week = new BreakdownChart(charts, weekTitle, false);
    chartRow->addWidget(_day);
    chartRow->addWidget(_week);
    auto* averagesRow = whiteStrip(panel, 0);
    auto* averagesLayout = new QHBoxLayout(averagesRow);
    _averages = new DailyAverages(averagesRow);
    averagesLayout->addStretch(2);
    averagesLayout->addWidget(_averages, 8);
    averagesLayout->addStretch(2);
    panelLayout->addWidget(charts, 38);
    panelLayout->addWidget(averagesRow, 10);
    layout->addWidget(panel, 1);
    layout->addWidget(whiteStrip(this, 3));

    updateDate();
    connect(_bar, &DateSelectorBar::dateChanged, this, &BreakdownReportViewer::updateDate);
}

void BreakdownReportViewer::updateDate()
{
    showBarDate(this, _bar, [this] {
        const QDate day = _bar->getDate();
        _day->setDateRange(day, day, 0);
        _week->setDateRange(day.addDays(-6), day, 0);
        _averages->setDateRange(day.addDays(-6), day);
    });
}

ReportFactory* BreakdownReportViewer::getReportFactory()
{
    const std::unique_ptr<PrintBreakDownOptions> options(PrintBreakDownOptions::construct(this));
    options->setDate(_bar->getDate());
    if (options->exec() != QDialog::Accepted)
        return nullptr;
    const int perPage = options->daysPerPage->currentIndex();
    const int chartsPerPage = perPage == 0 ? 1 : perPage == 1 ? 2 : 6;
    QDate first = _bar->getDate();
    QDate last = first;
    if (!options->printDayRadioButton->isChecked()) {
        first = options->startDate();
        last = options->endDate();
    }
    const bool omitEmpty = options->omitEmptyCheckbox->isChecked();
    return readFactory(this, [&](WorkProgress& progress) {
        return new BreakdownReportFactory(first, last, chartsPerPage, omitEmpty, &progress);
    });
}
