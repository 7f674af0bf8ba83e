#pragma once

#include "reports/printmodule.h"

#include <QDate>

class PrintOptions;
class QWidget;

// The print command of the check-in report for a day, or a range the user chooses.
class PrintCheckin : public PrintModule
{
public:
    PrintCheckin(QWidget* parent, const QDate& day);

    // Asks for the range; null when cancelled.
    ReportFactory* getReportFactory() override;

protected:
    // Runs the options dialog modally; true when the user chose Print.
    virtual bool runOptions(PrintOptions* options);

private:
    QWidget* _parent;
    QDate _day;
};
