#include "reports/summaryreportviewer.h"

#include "reports/dateselectorbar.h"
#include "reports/printoptions.h"
#include "reports/simplereportscroller.h"
#include "reports/summaryreportfactory.h"

#include <QVBoxLayout>

#include <memory>

SummaryReportViewer::SummaryReportViewer(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("SummaryReportViewer"));
    QVBoxLayout* layout = layOutUnderDateBar(this, _bar);
    _scroller = new SimpleReportScroller(this);
    layout->addWidget(_scroller, 1);
    _factory = std::make_unique<SummaryReportFactory>(_date, _date, false);
    _scroller->setReportFactory(_factory.get());
    connect(_bar, &DateSelectorBar::dateChanged, this, &SummaryReportViewer::updateDate);
}

SummaryReportViewer::~SummaryReportViewer()
{
    _scroller->setReportFactory(nullptr);
}

void SummaryReportViewer::updateDate()
{
    // The day is read into pages of its own: those shown stay until it has been read whole.
    std::unique_ptr<SummaryReportFactory> read;
    if (!showBarDate(this, _bar, [&] {
            const QDate day = _bar->getDate();
            read = std::make_unique<SummaryReportFactory>(day, day, false);
        }))
        return;
    _factory->takePages(*read);
    _scroller->repaintContents();
}

ReportFactory* SummaryReportViewer::getReportFactory()
{
    const std::unique_ptr<PrintOptions> options(PrintOptions::construct(this));
    options->setWindowTitle(tr("Print daily reports"));
    options->displayExtendedOptions(false, true);
    options->setDate(_date);
    if (options->exec() != QDialog::Accepted)
        return nullptr;
    QDate first;
    QDate last;
    options->getDateRange(first, last);
    return readFactory(this, [&](WorkProgress& progress) {
        return new SummaryReportFactory(first, last, options->omitEmpty(), &progress);
    });
}
