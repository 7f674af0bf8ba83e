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

    // Applies the page set-up, shows the print preview when asked, runs the print dialog
    // and prints every page of the factory's report. The factory stays the caller's.
    static void printFromFactory(ReportFactory* factory, bool preview);
};
