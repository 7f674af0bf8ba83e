#pragma once

#include <QString>
#include <QVariant>


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
