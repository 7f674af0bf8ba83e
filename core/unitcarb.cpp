#include "core/unitcarb.h"

UnitCarb::UnitCarb()
    : UnitDescriptor(QStringLiteral("Carbs"), "%.1f", "%.1f g", QStringLiteral("g"))
{
}

QValidator* UnitCarb::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
