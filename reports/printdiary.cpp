#include "reports/printdiary.h"

PrintDiary::PrintDiary(QWidget* parent, const QDate& day)
    : _parent(parent), _day(day)
{
}

ReportFactory* PrintDiary::getReportFactory()
{
    return nullptr;
}
