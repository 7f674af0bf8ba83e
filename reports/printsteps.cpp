#include "reports/printsteps.h"

#include "core/keptfiles.h"
#include "reports/printpreviewdialog.h"
#include "widgets/prompter.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QObject>
#include <QPrintDialog>
#include <QPrinter>

#include <optional>

namespace {

PrintSteps* s_installed = nullptr;

// Qt's print dialog opens the file named for printing to before it accepts, to try it: a pipe
// there would hold that open for ever, and a file of the program's own would be lost. Such a
// name is refused first, and the dialog stays open for another.
class TargetPrintDialog : public QPrintDialog
{
public:
    TargetPrintDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent)
    {
        auto* buttons = findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
        if (buttons && disconnect(buttons, SIGNAL(accepted()), this, SLOT(_q_checkFields())))
            connect(buttons, &QDialogButtonBox::accepted, this, [this] { checkTarget(); });
    }

private:
    void checkTarget()
    {
        const auto* file = findChild<QLineEdit*>(QStringLiteral("filename"));
        if (file && file->isEnabled() && !file->text().isEmpty()) {
            if (const std::optional<QString> refused = KeptFiles::targetProblem(file->text())) {
                Prompter::warning(this, QObject::tr("Print"),
                                  QObject::tr("%1: choose another file.").arg(*refused));
                return;
            }
        }
        QMetaObject::invokeMethod(this, "_q_checkFields");
    }
};

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

bool PrintSteps::preview(QWidget* parent, ReportFactory* factory)
{
    PrintPreviewDialog dialog(factory, parent, nullptr);
    return dialog.report() && dialog.exec() == QDialog::Accepted;
}

bool PrintSteps::setupPrinter(QWidget* parent, QPrinter& printer)
{
    TargetPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintSteps::jobFailed(QWidget* parent, const QString& why)
{
    Prompter::warning(parent, QObject::tr("Print"),
                      !why.isEmpty() ? why
                                     : QObject::tr("The printer could not start the print job. "
                                                   "Please check the printer and try again."));
}
