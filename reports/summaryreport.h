#pragma once

#include "reports/report.h"
#include "reports/summaryreportfactory.h"

#include <QRect>

#include <array>

class QFont;
class ReportDeviceMetrics;

// A daily summary laid out for one device: the text and the whole day's pie side by side,
// the meals' cells below (or beside them on a tall page), a day per page.
class SummaryReport : public Report
{
public:
    // Neither is owned; both must outlive the report.
    SummaryReport(ReportDeviceMetrics* metrics, SummaryReportFactory* factory);

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override;

    const QRect& textRect() const { return _text; }
    const QRect& sectionRect(int section) const { return _sections[size_t(section)]; }
    int spacing() const { return _spacing; }
    int bodySize() const { return _bodySize; }

private:
    QFont _font(int size, bool bold, bool italic) const;
    void _drawText(QPainter* painter, const SummaryReportFactory::PageData& page) const;
    void _drawSection(QPainter* painter, const SummaryReportFactory::PageData& page,
                      int section) const;
    void _drawColourKey(QPainter* painter, const QRect& lines) const;

    ReportDeviceMetrics* _metrics;
    SummaryReportFactory* _factory;
    QRect _text;
    std::array<QRect, SummaryReportFactory::MaxSections> _sections;
    int _spacing = 0;
    int _bodySize = 13;
    int _titleSize = 12;
    int _detailSize = 11;
};
