#include "reports/printmodule.h"

#include "reports/pagesetup.h"
#include "reports/printerrdm.h"
#include "reports/printsteps.h"
#include "reports/report.h"
#include "reports/reportfactory.h"
#include "widgets/storeprompt.h"

#include <QPainter>
#include <QPrinter>

#include <memory>

ReportFactory* PrintModule::readFactory(QWidget* parent, const std::function<ReportFactory*()>& make)
{
    std::unique_ptr<ReportFactory> factory;
    if (!StorePrompt::read(parent, [&] { factory.reset(make()); }))
        return nullptr;
    return factory.release();
}

void PrintModule::printFromFactory(ReportFactory* factory, bool preview)
{
    PrintSteps* steps = PrintSteps::instance();
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setColorMode(QPrinter::Color);
    if (preview && !steps->preview(factory))
        return;
    PageSetup::instance()->applyTo(printer);
    if (!steps->setupPrinter(printer)) {
        qDebug("printer->setup returned false, bombing out");
        return;
    }
    printer.setFullPage(true);
    PrinterRDM metrics(printer);
    if (!metrics.painter()->isActive()) {
        steps->jobFailed();
        return;
    }
    // The report goes before its metrics, whose painter it may still use.
    const std::unique_ptr<Report> report(factory->getReport(&metrics));
    const int pages = report->getPageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        report->draw(metrics.painter(), page);
    }
}
