#pragma once

#include <functional>

class QWidget;
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
    // Makes a factory inside one reading action, which reads all the report shows before
    // anything is printed; null, with nothing printed, when any of it could not be read (the
    // user was told).
    static ReportFactory* readFactory(QWidget* parent, const std::function<ReportFactory*()>& make);
};
