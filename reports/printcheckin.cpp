#include "reports/printcheckin.h"

#include "reports/checkinreportfactory.h"
#include "reports/printoptions.h"

#include <QObject>

ReportFactory* PrintCheckin::getReportFactory()
{
    const std::unique_ptr<PrintOptions> options = askOptions(QObject::tr("Print check-ins"), false);
    if (!options)
        return nullptr;
    QDate first;
    QDate last;
    options->getDateRange(first, last);
    return readFactory(parent(), [&](WorkProgress&) { return new CheckinReportFactory(first, last); });
}
