#pragma once

#include "reports/breakdownchart.h"
#include "reports/reportfactorywithsizepreference.h"

#include <QDate>
#include <QPalette>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// The daily summary of a range of days, one page a day: the day's body figures, energy
// balance and what it would mean for weight, with a pie of the whole day and one per meal.
class SummaryReportFactory : public ReportFactoryWithSizePreference
{
public:
    static constexpr int MaxSections = 7;
    static constexpr int SlotCount = 8;

    // One reported day. Its charts are computed when the range is set and live with it.
    struct PageData
    {
        QDate date;
        QString heading;
        QString body;
        std::array<std::unique_ptr<BreakdownChart>, MaxSections> charts;
        // Per section: 0 title, 1 and 4 and 6 labels, 2 and 5 and 7 amounts, 3 energies and
        // shares of fat, carbohydrate and protein.
        std::array<std::array<QString, SlotCount>, MaxSections> texts;
    };

    SummaryReportFactory(const QDate& first, const QDate& last, bool omitEmpty,
                         WorkProgress* progress = nullptr);
    ~SummaryReportFactory() override;

    // Rebuilds every page; reports already made from the factory draw the new pages. Once
    // `progress`, told of each day, stops, the rest is not read.
    void setDateRange(const QDate& first, const QDate& last, bool omitEmpty,
                      WorkProgress* progress = nullptr);
    // Takes the pages `read` has built; reports already made from this factory draw them.
    void takePages(SummaryReportFactory& read);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return false; }
    void getSizes(std::vector<QSize>& sizes) const override;

    // 5 with all snacks in one group, 7 otherwise.
    int sectionCount() const { return _sectionCount; }
    const std::vector<std::unique_ptr<PageData>>& pages() const { return _pages; }
    const QPalette& colours() const { return _colours; }

    // The body text of a page; sets its heading too.
    QString _makeText(PageData& page) const;

    // The meal group of a section for a section count.
    static int sectionGroup(int section, int sectionCount);
    // What a daily balance of `balance` kcal over the resting energy would do to the weight.
    static QString projection(float balance);

private:
    void _fillSection(PageData& page, int section, int snackDisplay) const;

    QPalette _colours;
    int _sectionCount = 5;
    std::vector<std::unique_ptr<PageData>> _pages;
};
