#pragma once

#include "reports/printmodule.h"

#include <QDate>

class PrintOptions;
class QWidget;

// The print command of the diary report for a day, or a range the user chooses.
class PrintDiary : public PrintModule
{
public:
    PrintDiary(QWidget* parent, const QDate& day);

    // Asks for the range and options; a long range is confirmed first. Null when cancelled.
    ReportFactory* getReportFactory() override;

protected:
    // Runs the options dialog modally; true when the user chose Print.
    virtual bool runOptions(PrintOptions* options);

private:
    bool _confirmLongRange();

    QWidget* _parent;
    QDate _day;
};
