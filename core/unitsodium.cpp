#include "core/unitsodium.h"

UnitSodium::UnitSodium()
    : UnitDescriptor(QStringLiteral("Sodium"), "%.1f", "%.1f mg", QStringLiteral("mg"))
{
}

QValidator* UnitSodium::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
