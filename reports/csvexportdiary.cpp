#include "reports/csvexportdiary.h"

CsvExportDiary::CsvExportDiary(QWidget* parent, const QDate& selectedDay)
    : _parent(parent), _day(selectedDay)
{
}

void CsvExportDiary::perform()
{
}
