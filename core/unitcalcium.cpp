#include "core/unitcalcium.h"

UnitCalcium::UnitCalcium()
    : UnitDescriptor(QStringLiteral("Calcium"), "%.1f", "%.1f mg", QStringLiteral("mg"))
{
}

QValidator* UnitCalcium::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
