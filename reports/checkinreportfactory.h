#pragma once

#include "reports/reportfactory.h"

#include <QDate>
#include <QStringList>

#include <vector>

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

    const std::vector<QDate>& dates() const { return _dates; }
    const QStringList& headings() const { return _headings; }
    // Per date, one formatted text per column.
    const std::vector<QStringList>& rows() const { return _rows; }

private:
    std::vector<QDate> _dates;
    QStringList _headings;
    std::vector<QStringList> _rows;
};
