#include "core/unitenergy.h"

UnitEnergy::UnitEnergy(int type)
    : UnitDescriptor(type == Kilojoules ? tr("Kilojoules") : tr("Calories"),
                     0, type == Kilojoules ? QStringLiteral(" kJ") : tr(" cals"),
                     type == Kilojoules ? QStringLiteral("kJ") : tr("cals"))
    , _type(type)
{
}

int UnitEnergy::typeOfPreference(int energyUnits)
{
    return energyUnits == 0 ? Kilojoules : Kilocalories;
}

QString UnitEnergy::nameInText() const
{
    return _type == Kilojoules ? tr("kilojoules") : tr("calories");
}

double UnitEnergy::displayValue(double value) const
{
    switch (_type) {
    case Kilocalories: return value;
    case Kilojoules: return value * KILOJOULES_PER_KILOCALORIE;
    default:
        qWarning("Invalid type");
        return 0.0;
    }
}

QValidator* UnitEnergy::createValidator(QObject* parent) const
{
    return createDecimalValidator(0.0, parent);
}

double UnitEnergy::input(const QString& text) const
{
    const double typed = parseNumber(text);
    switch (_type) {
    case Kilocalories: return typed;
    case Kilojoules: return typed / KILOJOULES_PER_KILOCALORIE;
    default:
        qWarning("invalid type");
        return 0.0;
    }
}
