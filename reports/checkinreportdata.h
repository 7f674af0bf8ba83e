#pragma once

#include <QDate>
#include <QStringList>

#include <vector>

// What a check-in report draws: the dates of its rows and, per row, one formatted text under
// each heading.
struct CheckinReportData
{
    std::vector<QDate> dates;
    QStringList headings;
    std::vector<QStringList> rows;
};
