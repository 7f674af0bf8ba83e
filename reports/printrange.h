#pragma once

#include "reports/printmodule.h"

#include <QDate>

#include <memory>

class PrintOptions;
class QString;
class QWidget;

// A print command of a report over a day, or a range of days the user chooses in the print
// options dialog.
class PrintRange : public PrintModule
{
public:
    PrintRange(QWidget* parent, const QDate& day);

protected:
    // Runs the options dialog modally; true when the user chose Print.
    virtual bool runOptions(PrintOptions* options);
    // The options dialog titled `title`, on the command's day, with the diary's extended
    // options when `extended`, once the user chose Print in it; null when cancelled.
    std::unique_ptr<PrintOptions> askOptions(const QString& title, bool extended);

    QWidget* parent() const { return _parent; }

private:
    QWidget* _parent;
    QDate _day;
};
