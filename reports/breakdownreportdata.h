#pragma once

#include "reports/breakdownchart.h"

#include <QDate>

#include <map>
#include <memory>
#include <vector>

// What a breakdown report draws, read before it is laid out: the dates of each page and the
// pie of each date.
struct BreakdownReportData
{
    int chartsPerPage = 1;
    // The dates of each page, in date order.
    std::vector<std::vector<QDate>> pages;
    std::map<QDate, std::unique_ptr<BreakdownChart>> charts;

    // The pie of a date of the pages.
    BreakdownChart* chart(const QDate& date) const { return charts.at(date).get(); }
};
