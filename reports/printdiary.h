#pragma once

#include "reports/printmodule.h"

#include <QDate>

class QWidget;

// The print command of the diary report for a day, or a range the user chooses.
class PrintDiary : public PrintModule
{
public:
    PrintDiary(QWidget* parent, const QDate& day);

    ReportFactory* getReportFactory() override;

private:
    QWidget* _parent;
    QDate _day;
};
