#pragma once

class ReportFactory;

// Whatever can be printed: it hands out a report factory, and printFromFactory() is the
// print pipeline.
class PrintModule
{
public:
    virtual ~PrintModule() = default;

    // Caller takes ownership; null means the user cancelled.
    virtual ReportFactory* getReportFactory() = 0;

    // Full print run for the factory's report: page setup, optional preview, print dialog,
    // all pages. Does not take ownership of the factory.
    static void printFromFactory(ReportFactory* factory, bool preview);
};
