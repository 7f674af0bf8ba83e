#pragma once

#include "reports/simplereportmetrics.h"

#include <QScrollArea>
#include <QSize>

#include <memory>
#include <vector>

class Report;
class ReportFactoryWithSizePreference;

// Scrollable view of page one of a report, using the largest offered layout width that
// still fits the viewport.
class SimpleReportScroller : public QScrollArea
{
    Q_OBJECT

public:
    explicit SimpleReportScroller(QWidget* parent = nullptr);
    ~SimpleReportScroller() override;

    // The factory stays the caller's and must outlive the scroller or be replaced.
    void setReportFactory(ReportFactoryWithSizePreference* factory);
    // Draws the exposed part (cx, cy, cw, ch) of the page through an off-screen pixmap.
    void drawContents(QPainter* painter, int cx, int cy, int cw, int ch);
    // Repaints the page, e.g. after the factory changed its pages.
    void repaintContents();

    // The first size not wider than the visible width (10 pixels less when the page is
    // higher than the visible height and so needs a scroll bar); else the last.
    static QSize chooseSize(const std::vector<QSize>& sizes, const QSize& visible);

    const SimpleReportMetrics& metrics() const { return _metrics; }
    const Report* report() const { return _report.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Page;

    void _layOut();

    SimpleReportMetrics _metrics;
    std::unique_ptr<Report> _report;
    ReportFactoryWithSizePreference* _factory = nullptr;
    Page* _page;
};
