#include "reports/printmodule.h"

#include "reports/pagesetup.h"
#include "reports/printerrdm.h"
#include "reports/report.h"
#include "reports/reportfactory.h"

#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

void PrintModule::printFromFactory(ReportFactory* factory, bool preview)
{
    // The print preview is not offered yet: with or without it the platform print
    // dialog decides.
    Q_UNUSED(preview);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setColorMode(QPrinter::Color);
    PageSetup::instance()->applyTo(printer);
    QPrintDialog dialog(&printer);
    if (dialog.exec() != QDialog::Accepted) {
        qDebug("printer->setup returned false, bombing out");
        return;
    }
    printer.setFullPage(true);
    PrinterRDM metrics(printer);
    if (!metrics.painter()->isActive()) {
        QMessageBox::warning(nullptr, QObject::tr("Print"),
                             QObject::tr("The printer could not start the print job. Please "
                                         "check the printer and try again."));
        return;
    }
    const std::unique_ptr<Report> report(factory->getReport(&metrics));
    const int pages = report->getPageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        report->draw(metrics.painter(), page);
    }
}
