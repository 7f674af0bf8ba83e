#include "reports/printmodule.h"

#include "reports/pagesetup.h"
#include "reports/printerrdm.h"
#include "reports/printfile.h"
#include "reports/printsteps.h"
#include "reports/report.h"
#include "reports/reportfactory.h"
#include "widgets/progressbox.h"
#include "widgets/storeprompt.h"

#include "core/endrequest.h"
#include "core/keptfiles.h"

#include <QObject>
#include <QPainter>
#include <QPrinter>

#include <memory>
#include <optional>

namespace {

enum class Printed { Whole, Refused, Ended };

// Lays out and draws every page of the factory's report, its progress shown: Refused when the
// printer did not start the job or did not end it, the progress shown over `parent`. Once the user cancelled or the end of the
// session is asked for, no further page is laid out or drawn: Ended.
Printed printPages(QPrinter& printer, ReportFactory* factory, QWidget* parent)
{
    PrinterRDM metrics(printer);
    if (!metrics.painter()->isActive())
        return Printed::Refused;
    ProgressBox progress(parent, QObject::tr("Print"), QObject::tr("Laying out the pages..."));
    bool ended = false;
    {
        // The report goes before its metrics, whose painter it may still use.
        const std::unique_ptr<Report> report(factory->layOut(&metrics, progress));
        const int pages = report ? report->getPageCount() : 0;
        progress.setLabel(QObject::tr("Printing..."));
        ended = !report;
        for (int page = 0; page < pages && !(ended = !progress.advance(page, pages)); ++page) {
            if (page > 0)
                printer.newPage();
            report->draw(metrics.painter(), page);
        }
    }
    const bool done = metrics.painter()->end();
    return ended ? Printed::Ended : done ? Printed::Whole : Printed::Refused;
}

QString notWritten(const QString& file, const QString& reason)
{
    return QObject::tr("Could not write %1: %2\nAny earlier file of that name is unchanged.")
        .arg(file, reason);
}

// Prints the report; when the printer writes a PDF, the file goes beside the one it replaces,
// which stays as it was until the new one is whole, and a print that the end of the session
// cut short replaces nothing. What the user is told when the job failed (empty when the
// printer gave no reason), by which time no working file is left.
std::optional<QString> printJob(QPrinter& printer, ReportFactory* factory, QWidget* parent)
{
    const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    std::optional<PrintFile> pdf;
    QString reason;
    if (!file.isEmpty()) {
        if (const std::optional<QString> refused = KeptFiles::targetProblem(file))
            return notWritten(file, *refused);
        pdf.emplace(file);
        if (!pdf->open(&reason))
            return notWritten(file, reason);
        printer.setOutputFileName(pdf->printerFileName());
    }
    const Printed printed = printPages(printer, factory, parent);
    if (printed != Printed::Whole)
        return printed == Printed::Refused ? std::optional<QString>(QString()) : std::nullopt;
    if (pdf && !pdf->commit(&reason))
        return notWritten(file, reason);
    return std::nullopt;
}

} // namespace

ReportFactory* PrintModule::readFactory(QWidget* parent,
                                        const std::function<ReportFactory*(WorkProgress&)>& make)
{
    std::unique_ptr<ReportFactory> factory;
    ProgressBox progress(parent, QObject::tr("Print"), QObject::tr("Reading your diary..."));
    if (!StorePrompt::read(parent, [&] { factory.reset(make(progress)); }) || progress.stopped())
        return nullptr;
    return factory.release();
}

void PrintModule::printFromFactory(ReportFactory* factory, bool preview, QWidget* parent)
{
    PrintSteps* steps = PrintSteps::instance();
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setColorMode(QPrinter::Color);
    // Once the end of the session was asked for, a dialog that accepted prints nothing.
    if ((preview && !steps->preview(parent, factory)) || EndRequest::asked())
        return;
    PageSetup::instance()->applyTo(printer);
    if (!steps->setupPrinter(parent, printer) || EndRequest::asked()) {
        qDebug("printer->setup returned false, bombing out");
        return;
    }
    printer.setFullPage(true);
    if (const std::optional<QString> failure = printJob(printer, factory, parent))
        steps->jobFailed(parent, *failure);
}
