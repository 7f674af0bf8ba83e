#pragma once

#include "core/diaryday.h"
#include "reports/reportfactory.h"

#include <QDate>

#include <map>

// The diary of the current user over a range of days: each day's heading and daily summary
// and, unless only the summary is asked for, its meal groups and exercise.
class DiaryReportFactory : public ReportFactory
{
public:
    // Loads every day from `first` to `last`, both included.
    DiaryReportFactory(QDate first, QDate last, bool summaryOnly, bool omitEmpty);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return false; }

    const std::map<QDate, DBTypes::DiaryDay>& days() const { return _days; }
    bool summaryOnly() const { return _summaryOnly; }
    bool omitEmpty() const { return _omitEmpty; }

private:
    std::map<QDate, DBTypes::DiaryDay> _days;
    bool _summaryOnly;
    bool _omitEmpty;
};
