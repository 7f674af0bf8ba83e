#pragma once

#include "reports/printmodule.h"

#include <QDate>

class QWidget;

// The print command of the check-in report for a day, or a range the user chooses.
class PrintCheckin : public PrintModule
{
public:
    PrintCheckin(QWidget* parent, const QDate& day);

    ReportFactory* getReportFactory() override;

private:
    QWidget* _parent;
    QDate _day;
};
