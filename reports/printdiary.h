#pragma once

#include "reports/printrange.h"

// The print command of the diary report for a day, or a range the user chooses.
class PrintDiary : public PrintRange
{
public:
    using PrintRange::PrintRange;

    // Asks for the range and options; a long range is confirmed first. Null when cancelled.
    ReportFactory* getReportFactory() override;

private:
    bool _confirmLongRange();
};
