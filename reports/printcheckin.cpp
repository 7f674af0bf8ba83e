#include "reports/printcheckin.h"

#include "reports/checkinreportfactory.h"
#include "reports/printoptions.h"

#include <memory>

PrintCheckin::PrintCheckin(QWidget* parent, const QDate& day)
    : _parent(parent), _day(day)
{
}

bool PrintCheckin::runOptions(PrintOptions* options)
{
    return options->exec() == QDialog::Accepted;
}

ReportFactory* PrintCheckin::getReportFactory()
{
    const std::unique_ptr<PrintOptions> options(PrintOptions::construct(_parent));
    options->setWindowTitle(QObject::tr("Print check-ins"));
    options->displayExtendedOptions(false, false);
    options->setDate(_day);
    if (!runOptions(options.get()))
        return nullptr;
    QDate first;
    QDate last;
    options->getDateRange(first, last);
    return new CheckinReportFactory(first, last);
}
