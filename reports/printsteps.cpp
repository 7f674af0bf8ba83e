#include "reports/printsteps.h"

#include "reports/printpreviewdialog.h"
#include "widgets/prompter.h"

#include <QObject>
#include <QPrintDialog>
#include <QPrinter>

namespace {
PrintSteps* s_installed = nullptr;
} // namespace

PrintSteps* PrintSteps::instance()
{
    static PrintSteps real;
    return s_installed ? s_installed : &real;
}

void PrintSteps::install(PrintSteps* steps)
{
    s_installed = steps;
}

bool PrintSteps::preview(ReportFactory* factory)
{
    PrintPreviewDialog dialog(factory, nullptr, nullptr);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintSteps::setupPrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer);
    return dialog.exec() == QDialog::Accepted;
}

void PrintSteps::jobFailed(const QString& why)
{
    Prompter::warning(nullptr, QObject::tr("Print"),
                      !why.isEmpty() ? why
                                     : QObject::tr("The printer could not start the print job. "
                                                   "Please check the printer and try again."));
}
