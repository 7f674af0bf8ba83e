#pragma once

#include "reports/report.h"
#include "reports/summaryreportdata.h"

#include <QFont>
#include <QRect>

#include <array>

class QPaintDevice;
class ReportDeviceMetrics;

// A daily summary laid out for one device: the text and the whole day's pie side by side,
// the meals' cells below (or beside them on a tall page), a day per page.
class SummaryReport : public Report
{
public:
    // Neither is owned; both must outlive the report.
    SummaryReport(ReportDeviceMetrics* metrics, const SummaryReportData* data);

    // Where a section's texts go on a device, and in which fonts: every label beside its
    // amount and every line inside the cell.
    struct SectionLayout
    {
        QRect inner;   // the cell inside its outline; the title goes at its top
        QRect body;    // below the title: the pie above the figures
        QRect left;    // fat to sugar: labels on the left, amounts on the right
        QRect right;   // the energies and shares above, sodium to fibre below
        QFont title;
        QFont bold;    // labels
        QFont normal;  // amounts
        QFont italic;  // energies and shares
        int keyWidth = 0; // room kept at the right of the shares for the colour key
    };

    void draw(QPainter* painter, int page) const override;
    int getPageCount() const override;
    SectionLayout sectionLayout(const QPaintDevice* device, int page, int section) const;

    const QRect& textRect() const { return _text; }
    const QRect& sectionRect(int section) const { return _sections[size_t(section)]; }
    int spacing() const { return _spacing; }
    int bodySize() const { return _bodySize; }

private:
    using Texts = std::array<QString, SummaryReportData::SlotCount>;

    QFont _font(int size, bool bold, bool italic) const;
    void _drawText(QPainter* painter, const SummaryReportData::PageData& page) const;
    void _drawSection(QPainter* painter, int page, int section) const;
    void _drawColourKey(QPainter* painter, const QRect& lines) const;
    // The figures' fonts at the largest size up to `size` at which they fit their places.
    void _fitFigures(const QPaintDevice* device, const Texts& texts, int size, bool key,
                     SectionLayout& layout) const;

    ReportDeviceMetrics* _metrics;
    const SummaryReportData* _data;
    QRect _text;
    std::array<QRect, SummaryReportData::MaxSections> _sections;
    int _spacing = 0;
    int _bodySize = 13;
    int _titleSize = 12;
    int _detailSize = 11;
};
