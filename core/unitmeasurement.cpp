#include "core/unitmeasurement.h"

#include "core/numbervalidator.h"

#include <climits>

#include <cmath>

UnitMeasurement::UnitMeasurement(int type)
    : UnitDescriptor(tr("Height"), 2, type == Inches ? QStringLiteral(" in") : QStringLiteral(" cm"),
                     type == Inches ? QStringLiteral("in") : QStringLiteral("cm"))
    , _type(type)
{
}

double UnitMeasurement::displayValue(double value) const
{
    switch (_type) {
    case Centimetres: return value;
    case Inches: return value / CENTIMETRES_PER_INCH;
    default:
        qWarning("Invalid type");
        return 0.0;
    }
}

QValidator* UnitMeasurement::createValidator(QObject* parent) const
{
    return new NumberValidator(1.0, double(INT_MAX), 0, parent);
}

double UnitMeasurement::input(const QString& text) const
{
    const double typed = parseNumber(text);
    switch (_type) {
    case Centimetres: return typed;
    case Inches: return typed * CENTIMETRES_PER_INCH;
    default:
        qWarning("Invalid unit");
        return 0.0;
    }
}

void UnitMeasurement::metricToImperial(double centimetres, double& feet, double& inches)
{
    // The whole feet are counted with a foot of 30.487 cm; the inches left over are rounded
    // to the nearest and a full twelve is carried into the feet.
    feet = std::trunc(centimetres / 30.487);
    const double exactInches = centimetres / CENTIMETRES_PER_INCH - 12.0 * feet;
    inches = std::trunc(exactInches);
    if (exactInches - inches > 0.5)
        inches += 1.0;
    if (inches == 12.0) {
        inches = 0.0;
        feet += 1.0;
    }
}

void UnitMeasurement::imperialToMetric(double feet, double inches, double& centimetres)
{
    centimetres = std::trunc((12.0 * feet + inches) * CENTIMETRES_PER_INCH);
}
