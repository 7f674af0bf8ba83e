#pragma once

#include <functional>

class QWidget;
class ReportFactory;
class WorkProgress;

// Whatever can be printed: it hands out a report factory, and printFromFactory() is the
// print pipeline.
class PrintModule
{
public:
    virtual ~PrintModule() = default;

    // Caller takes ownership; null means the user cancelled.
    virtual ReportFactory* getReportFactory() = 0;

    // Full print run for the factory's report: page setup, optional preview, print dialog,
    // all pages, its dialogs over `parent`. Does not take ownership of the factory.
    static void printFromFactory(ReportFactory* factory, bool preview, QWidget* parent);
    // Makes a factory inside one reading action, which reads all the report shows before
    // anything is printed, under a progress dialog with Cancel that `make` is given; null, with
    // nothing printed, when any of it could not be read (the user was told) or the reading was
    // cancelled or cut short by the end of the session.
    static ReportFactory* readFactory(QWidget* parent,
                                      const std::function<ReportFactory*(WorkProgress&)>& make);
};
