#pragma once

#include "reports/diaryreportdata.h"
#include "reports/reportfactory.h"

#include <QDate>

// The diary of the current user over a range of days: each day's heading and daily summary
// and, unless only the summary is asked for, its meal groups and exercise.
class DiaryReportFactory : public ReportFactory
{
public:
    // Loads every day from `first` to `last`, both included, with what the report shows of
    // the user's settings and targets: laying out never reads the diary. Run it inside a
    // reading action, whose outcome tells whether all of it was read. Once `progress`, told
    // of each day, stops, the rest is not read.
    DiaryReportFactory(QDate first, QDate last, bool summaryOnly, bool omitEmpty,
                       WorkProgress* progress = nullptr);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    Report* layOut(ReportDeviceMetrics* metrics, WorkProgress& progress) override;
    bool preferLandscape() const override { return false; }

    const DiaryReportData& data() const { return _data; }

private:
    DiaryReportData _data;
};
