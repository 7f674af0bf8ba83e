#pragma once

class Report;
class ReportDeviceMetrics;

// Knows what to report and makes the report for an output device.
class ReportFactory
{
public:
    virtual ~ReportFactory() = default;
    // Builds a report for these metrics. Caller owns it and must free it first.
    virtual Report* getReport(ReportDeviceMetrics* metrics) = 0;
    virtual bool preferLandscape() const = 0;
};
