#include "userdb/nullconversion.h"

#include <charconv>
#include <iterator>

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
