#include "userdb/nullconversion.h"

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

QString negToNullT(double value)
{
    if (value > 0.0)
        return QString::asprintf("%.3f", value);
    if (value >= ZeroBand)
        return QStringLiteral("0.0");
    return QStringLiteral("NULL");
}

double storedFigure(float value)
{
    return QString::number(double(value), 'g', 6).toDouble();
}
