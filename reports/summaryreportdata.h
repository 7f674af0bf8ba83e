#pragma once

#include "reports/breakdownchart.h"

#include <QDate>
#include <QPalette>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// What a summary report draws: a page per reported day, its sections and the colours of the
// text.
struct SummaryReportData
{
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

    // 5 with all snacks in one group, 7 otherwise.
    int sectionCount = 5;
    std::vector<std::unique_ptr<PageData>> pages;
    QPalette colours;
};
