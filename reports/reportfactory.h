#pragma once

class Report;
class ReportDeviceMetrics;

// Knows what to report and makes the report for an output device.
class ReportFactory
{
public:
    virtual ~ReportFactory() = default;
    // A new report laid out for the metrics; the caller deletes it before the metrics.
    virtual Report* getReport(ReportDeviceMetrics* metrics) = 0;
    virtual bool preferLandscape() const = 0;
};
