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
    // Loads every day from `first` to `last`, both included, with what the report shows of
    // the user's settings and targets: laying out never reads the diary. Run it inside a
    // reading action, whose outcome tells whether all of it was read. Once `progress`, told
    // of each day, stops, the rest is not read.
    DiaryReportFactory(QDate first, QDate last, bool summaryOnly, bool omitEmpty,
                       WorkProgress* progress = nullptr);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    Report* layOut(ReportDeviceMetrics* metrics, WorkProgress& progress) override;
    bool preferLandscape() const override { return false; }

    const std::map<QDate, DBTypes::DiaryDay>& days() const { return _days; }
    bool summaryOnly() const { return _summaryOnly; }
    bool omitEmpty() const { return _omitEmpty; }
    // The user's diary columns as stored, the snack layout, and the day's energy target (-1
    // without one).
    const QString& columns() const { return _columns; }
    int snackDisplay() const { return _snackDisplay; }
    float energyTarget(const QDate& day) const;

private:
    std::map<QDate, DBTypes::DiaryDay> _days;
    std::map<QDate, float> _targets;
    QString _columns;
    int _snackDisplay = 0;
    bool _summaryOnly;
    bool _omitEmpty;
};
