#pragma once

#include "core/dbtypes.h"
#include "core/diaryday.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the diary page shows of one user's day, read whole before the page shows any of
// it: the entries, the check-in in force and the weight, the preferences (snack layout,
// summary panels), the list's columns, the glasses of water and, when asked for, the month's
// days with entries.
struct DiaryPageContent
{
    qint64 user = -1;
    QDate date;
    DBTypes::DiaryDay day;
    DBTypes::CheckinItem checkin;
    float weight = -1.0f;
    DBTypes::UserPrefs prefs;
    QString columns;
    int fluid = 0;
    // Nothing when not read: the page keeps the marks of the month it shows.
    std::optional<QStringList> markedDays;

    // Reads the user's day, and the month's marked days when asked to, inside the caller's
    // reading action; nothing when any of it could not be read. A user below 0 has a blank
    // page.
    static std::optional<DiaryPageContent> read(qint64 user, const QDate& date, bool withMarkedDays = true);
};
