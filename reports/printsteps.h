#pragma once

#include <QString>

class QPrinter;
class QWidget;
class ReportFactory;

// The steps of the print pipeline that talk to the user: the print preview, the platform
// print dialog and the message when the print job fails, each over `parent`, the window printed
// from. The default shows them;
// tests install steps that print to a file and answer from a script.
class PrintSteps
{
public:
    virtual ~PrintSteps() = default;

    // The installed steps, or the ones that show real dialogs.
    static PrintSteps* instance();
    // Installs `steps` (not owned) in place of the default; nullptr restores the default.
    static void install(PrintSteps* steps);

    // Shows the factory's pages; true when the user chose Print.
    virtual bool preview(QWidget* parent, ReportFactory* factory);
    // Runs the print dialog for the printer; false when the user cancelled.
    virtual bool setupPrinter(QWidget* parent, QPrinter& printer);
    // Tells the user why the file printed to could not be written, or, with no `why`, that the
    // printer refused the job.
    virtual void jobFailed(QWidget* parent, const QString& why);
};
