#pragma once

#include "core/plausiblerange.h"

#include <QString>
#include <QVariant>

#include <optional>

// What one column of the diary holds when the program wrote it: a finite figure within the
// range its dialogs take, or a text within the length they take. Every reader of a figure or
// a note passes its value through here. A number a float cannot hold, NaN, a figure past the
// dialogs' range or a note of millions of characters is told once for its column and read as
// unknown (a note as cut to its length), so that no screen draws, converts or lays it out.
class StoredRange
{
public:
    // For a text column, the range's top is the longest text.
    constexpr StoredRange(const char* table, const char* column, PlausibleRange range)
        : _table(table), _column(column), _range(range)
    {
    }

    // The stored figure; nothing for NULL, an empty text, and (told) for one out of range.
    std::optional<double> read(const QVariant& stored) const;
    // The stored figure, or `unknown` where read() gives nothing.
    double readOr(const QVariant& stored, double unknown) const { return read(stored).value_or(unknown); }
    // The stored text, cut (told) to the range's top as its length in characters.
    QString readText(const QVariant& stored) const;

    const char* table() const { return _table; }
    const char* column() const { return _column; }

private:
    bool _holds(double value) const;
    // Tells, once for the column, what it holds and how it is read.
    void _tell(const QString& what, const QString& readAs) const;

    const char* _table;
    const char* _column;
    PlausibleRange _range;
};
