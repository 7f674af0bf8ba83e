#include "reports/reportviewer.h"

#include "core/clock.h"
#include "reports/dateselectorbar.h"
#include "widgets/signalblocker.h"
#include "widgets/storeprompt.h"

#include <QFrame>
#include <QVBoxLayout>

QDate ReportViewer::_date;

QFrame* ReportViewer::frameAround(QWidget* content, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(content);
    return frame;
}

QVBoxLayout* ReportViewer::layOutUnderDateBar(QFrame* viewer, DateSelectorBar*& bar)
{
    if (_date.isNull())
        _date = Clock::today();
    auto* layout = new QVBoxLayout(viewer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bar = new DateSelectorBar(viewer);
    bar->setDate(_date);
    layout->addWidget(bar);
    auto* gap = new QWidget(viewer);
    gap->setFixedHeight(3);
    layout->addWidget(gap);
    return layout;
}

bool ReportViewer::showBarDate(QWidget* viewer, DateSelectorBar* bar,
                               const std::function<void()>& show)
{
    const bool shown = StorePrompt::read(viewer, show);
    if (shown) {
        _date = bar->getDate();
    } else {
        const SignalBlocker quiet(bar);
        bar->setDate(_date);
    }
    return shown;
}
