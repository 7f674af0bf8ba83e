#pragma once

#include "reports/printrange.h"

// The print command of the check-in report for a day, or a range the user chooses.
class PrintCheckin : public PrintRange
{
public:
    using PrintRange::PrintRange;

    // Asks for the range; null when cancelled.
    ReportFactory* getReportFactory() override;
};
