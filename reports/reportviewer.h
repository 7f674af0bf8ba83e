#pragma once

#include "reports/printmodule.h"

#include <QDate>

#include <functional>

class DateSelectorBar;
class QFrame;
class QVBoxLayout;
class QWidget;

// A viewer of the reports page: a print module that also keeps its own settings. All
// viewers share one date, which follows whichever viewer's date bar changed last.
class ReportViewer : public PrintModule
{
public:
    virtual void saveSettings() = 0;
    virtual void loadSettings() = 0;

    static QDate _date;

protected:
    // The sunken frame a viewer shows its chart or report in.
    static QFrame* frameAround(QWidget* content, QWidget* parent);
    // Lays `viewer` out top to bottom with a date bar on the shared date (today when none
    // is shared yet) and a small gap below it; the layout for the rest.
    static QVBoxLayout* layOutUnderDateBar(QFrame* viewer, DateSelectorBar*& bar);
    // Shows the day `bar` now names through `show`, which reads everything it shows, once the
    // diary can be read; the bar's day is then the shared date. When the diary cannot be read,
    // the bar goes back to the shared date and false is returned: the viewer keeps what it
    // showed, and puts its other controls back.
    static bool showBarDate(QWidget* viewer, DateSelectorBar* bar, const std::function<void()>& show);
};
