#pragma once

#include "core/plausiblerange.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

// What one column of the diary holds when the program wrote it: a finite figure within the
// range its dialogs take, or a text within the length they take. Every reader of a figure, a
// name or a note passes its value through here. A number a float cannot hold, NaN, a figure
// past the dialogs' range or a name of millions of characters is told to the user once for its
// column (StoredNotices) and read as unknown (a text as cut to its length), so that no screen
// draws, converts or lays it out.
class StoredRange
{
public:
    // The longest line a line edit takes, and so the longest name any dialog writes.
    static constexpr int LineLength = 32767;
    // Where the value is, as the user knows it ("Ann's entry 'Apple' of Mon, 4 May 2026"),
    // asked for only when a value is told.
    using Place = std::function<QString()>;

    // For a text column, the range's top is the longest text; for a column of whole numbers or
    // date codes ("yyyyMMdd"), it lies within int. `unknown` says how the caller reads a value
    // outside, as the warning tells it.
    constexpr StoredRange(const char* table, const char* column, PlausibleRange range,
                          const char* unknown = "shown as unknown")
        : _table(table), _column(column), _range(range), _unknown(unknown)
    {
    }

    // The stored figure; nothing for NULL, an empty text, and (told) for one out of range.
    std::optional<double> read(const QVariant& stored, const Place& place = {}) const;
    // The stored figure, or `unknown` where read() gives nothing.
    double readOr(const QVariant& stored, double unknown, const Place& place = {}) const
    {
        return read(stored, place).value_or(unknown);
    }
    // The stored whole number (an enum, an index, a count), as read() reads it; nothing (told)
    // also for one with a fraction.
    std::optional<int> readWhole(const QVariant& stored, const Place& place = {}) const;
    // The stored day, a date code within the range; nothing for NULL or an empty text, and
    // (told) for what names no day.
    std::optional<QDate> readDate(const QVariant& stored, const Place& place = {}) const;
    // The stored text, cut (told) to the range's top as its length in characters.
    QString readText(const QVariant& stored, const Place& place = {}) const;
    // The stored text; nothing (told) for one longer than the range's top, which no dialog
    // writes and which would mean something else cut.
    std::optional<QString> readTextWithin(const QVariant& stored, const Place& place = {}) const;

    const char* table() const { return _table; }
    const char* column() const { return _column; }

private:
    bool _holds(double value) const;
    // Tells, once for the column, what it holds, where and how it is read.
    void _tell(const QString& what, const QString& readAs, const Place& place) const;

    const char* _table;
    const char* _column;
    PlausibleRange _range;
    const char* _unknown;
};
