#pragma once

#include <QString>
#include <QVariant>

#include <limits>

// How the user database stores unset values: a value below -0.005 is NULL, a value from
// -0.005 up to 0 is 0, and NULL or an empty text reads back as -999.0.

// The value to bind for a number: NULL, 0.0 or the number as storedFigure keeps it.
QVariant negToNull(float value);
// The number read from a column.
double nullToNeg(const QVariant& value);
// A single-precision figure as the database keeps it: the user's figure, the shortest decimal
// that reads back as the same float, so that 84.1 is stored as 84.1 and not widened to
// 84.0999984741211, and 1234567 keeps its seven digits.
double storedFigure(float value);
// The id of a user or of a catalogue item (a food, an exercise, a favourite) as a row names it:
// a whole number, at full width, for its reader to judge. Anything else (NULL, a real, a text)
// reads as -1, the id of nothing.
qint64 storedWholeId(const QVariant& value);
// The highest id of a row that the program gives: SQLite gives a new row the highest id plus
// one, so a row of the id above this one leaves the table no next id.
constexpr qint64 HighestRowId = std::numeric_limits<qint64>::max() - 1;
// The id of a row as stored: a whole number from 1 to HighestRowId. Anything else, which the
// program never gives (NULL, text, a real, 0 or below, the last id SQLite has), reads
// as -1, the id of nothing.
qint64 storedId(const QVariant& value);
// Whether a stored value is an id that storedId() takes.
bool isStoredId(const QVariant& value);
