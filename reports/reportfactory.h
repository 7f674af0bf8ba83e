#pragma once

#include "core/workprogress.h"
#include "reports/report.h"

#include <memory>

class ReportDeviceMetrics;

// Knows what to report and makes the report for an output device.
class ReportFactory
{
public:
    virtual ~ReportFactory() = default;
    // Builds a report for these metrics. Caller owns it and must free it first.
    virtual Report* getReport(ReportDeviceMetrics* metrics) = 0;
    // Builds the report as getReport() does, telling `progress` how far it is; null once
    // `progress` stopped. A report whose layout grows with its range stops part-way.
    virtual Report* layOut(ReportDeviceMetrics* metrics, WorkProgress& progress)
    {
        std::unique_ptr<Report> report(getReport(metrics));
        return progress.advance(1, 1) ? report.release() : nullptr;
    }
    virtual bool preferLandscape() const = 0;
};
