#include "core/unitsaturatedfat.h"

UnitSaturatedFat::UnitSaturatedFat()
    : UnitDescriptor(QStringLiteral("Sat Fat"), "%.1f", "%.1f g", QStringLiteral("g"))
{
}

QValidator* UnitSaturatedFat::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
