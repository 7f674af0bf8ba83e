#pragma once

#include "reports/reportviewer.h"

#include <QFrame>

#include <memory>

class DateSelectorBar;
class SimpleReportScroller;
class SummaryReportFactory;

// The daily summary of the chosen day, laid out for the width available.
class SummaryReportViewer : public QFrame, public ReportViewer
{
    Q_OBJECT

public:
    explicit SummaryReportViewer(QWidget* parent = nullptr);
    ~SummaryReportViewer() override;

    // Asks for the days to print; null when the user cancels.
    ReportFactory* getReportFactory() override;
    void saveSettings() override {}
    void loadSettings() override {}

    DateSelectorBar* dateBar() const { return _bar; }
    SimpleReportScroller* scroller() const { return _scroller; }
    SummaryReportFactory* factory() const { return _factory.get(); }

public slots:
    void updateDate();

private:
    DateSelectorBar* _bar;
    SimpleReportScroller* _scroller;
    std::unique_ptr<SummaryReportFactory> _factory;
};
