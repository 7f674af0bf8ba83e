#pragma once

#include "reports/checkinreportdata.h"
#include "reports/reportfactory.h"

#include <QDate>

// Tabulates the current user's check-ins between two dates: one row per date, one column
// for each measurement the brand enables, values printed with their units.
class CheckinReportFactory : public ReportFactory
{
public:
    // Gathers the check-ins from `first` to `last`, both included. Run it inside a reading
    // action, whose outcome tells whether all of it was read.
    CheckinReportFactory(QDate first, QDate last);

    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return false; }

    const CheckinReportData& data() const { return _data; }

private:
    CheckinReportData _data;
};
