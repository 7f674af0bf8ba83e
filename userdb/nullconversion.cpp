#include "userdb/nullconversion.h"

#include <charconv>
#include <iterator>
#include <limits>

namespace {
constexpr double ZeroBand = -0.005;
constexpr double ReadUnset = -999.0;
}

QVariant negToNull(float value)
{
    if (value > 0.0f)
        return storedFigure(value);
    if (value >= ZeroBand)
        return 0.0;
    return QVariant();
}

double nullToNeg(const QVariant& value)
{
    if (value.isNull() || value.toString().isEmpty())
        return ReadUnset;
    return value.toDouble();
}

double storedFigure(float value)
{
    char text[32];
    const char* end = std::to_chars(std::begin(text), std::end(text), value).ptr;
    double figure = double(value);
    std::from_chars(text, end, figure);
    return figure;
}

// SQLite gives a whole number as one; NULL, a real (1.5 would round to 2) or a text names
// nothing, never the id it would convert to.
qint64 storedWholeId(const QVariant& value)
{
    const bool whole = !value.isNull() && value.typeId() == QMetaType::LongLong;
    return whole ? value.toLongLong() : -1;
}

bool isStoredId(const QVariant& value)
{
    const int type = value.typeId();
    if (value.isNull() || (type != QMetaType::LongLong && type != QMetaType::Int))
        return false;
    const qint64 id = value.toLongLong();
    return id >= 1 && id <= HighestRowId;
}

qint64 storedId(const QVariant& value)
{
    return isStoredId(value) ? value.toLongLong() : -1;
}
