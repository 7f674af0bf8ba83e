#include "reports/reportviewer.h"

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
