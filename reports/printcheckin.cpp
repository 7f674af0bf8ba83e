#include "reports/printcheckin.h"

PrintCheckin::PrintCheckin(QWidget* parent, const QDate& day)
    : _parent(parent), _day(day)
{
}

ReportFactory* PrintCheckin::getReportFactory()
{
    return nullptr;
}
