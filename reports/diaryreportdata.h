#pragma once

#include "core/diaryday.h"

#include <QDate>
#include <QString>

#include <map>

// What a diary report lays out, read before it is: the days with the user's settings and
// targets, and how they are to be shown.
struct DiaryReportData
{
    std::map<QDate, DBTypes::DiaryDay> days;
    // The energy target of each day's check-in, -1 without one.
    std::map<QDate, float> targets;
    // The user's diary columns as stored, and the snack layout.
    QString columns;
    int snackDisplay = 0;
    bool summaryOnly = false;
    bool omitEmpty = false;

    // The day's energy target, -1 without one.
    float energyTarget(const QDate& day) const
    {
        const auto found = targets.find(day);
        return found == targets.end() ? -1.0f : found->second;
    }
};
