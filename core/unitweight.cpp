#include "core/unitweight.h"

UnitWeight::UnitWeight(int type)
    : UnitDescriptor(tr("Weight"), 1, type == Pounds ? QStringLiteral(" lb") : QStringLiteral(" kg"),
                     type == Pounds ? QStringLiteral("lb") : QStringLiteral("kg"))
    , _type(type)
{
}

double UnitWeight::displayValue(double value) const
{
    switch (_type) {
    case Kilograms: return value;
    case Pounds: return metricToImperial(value);
    default:
        qWarning("Invalid type");
        return 0.0;
    }
}

QValidator* UnitWeight::createValidator(QObject* parent) const
{
    return createDecimalValidator(1.0, parent);
}

double UnitWeight::input(const QString& text) const
{
    const double typed = parseNumber(text);
    switch (_type) {
    case Kilograms: return typed;
    case Pounds: return imperialToMetric(typed);
    default:
        qWarning("Invalid unit");
        return 0.0;
    }
}

double UnitWeight::metricToImperial(double kilograms)
{
    return kilograms / KILOGRAMS_PER_POUND;
}

double UnitWeight::imperialToMetric(double pounds)
{
    return pounds * KILOGRAMS_PER_POUND;
}
