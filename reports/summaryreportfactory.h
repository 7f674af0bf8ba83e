#pragma once

#include "reports/reportfactorywithsizepreference.h"
#include "reports/summaryreportdata.h"

#include <QDate>
#include <QString>

#include <vector>

// The daily summary of a range of days, one page a day: the day's body figures, energy
// balance and what it would mean for weight, with a pie of the whole day and one per meal.
class SummaryReportFactory : public ReportFactoryWithSizePreference
{
public:
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

    const SummaryReportData& data() const { return _data; }

    // The body text of a page; sets its heading too.
    QString _makeText(SummaryReportData::PageData& page) const;

    // The meal group of a section for a section count.
    static int sectionGroup(int section, int sectionCount);
    // What a daily balance of `balance` kcal over the resting energy would do to the weight.
    static QString projection(float balance);

private:
    void _fillSection(SummaryReportData::PageData& page, int section, int snackDisplay) const;

    SummaryReportData _data;
};
