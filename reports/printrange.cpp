#include "reports/printrange.h"

#include "reports/printoptions.h"

PrintRange::PrintRange(QWidget* parent, const QDate& day) : _parent(parent), _day(day)
{
}

bool PrintRange::runOptions(PrintOptions* options)
{
    return options->exec() == QDialog::Accepted;
}

std::unique_ptr<PrintOptions> PrintRange::askOptions(const QString& title, bool extended)
{
    std::unique_ptr<PrintOptions> options(PrintOptions::construct(_parent));
    options->setWindowTitle(title);
    options->displayExtendedOptions(extended, extended);
    options->setDate(_day);
    if (!runOptions(options.get()))
        return nullptr;
    return options;
}
