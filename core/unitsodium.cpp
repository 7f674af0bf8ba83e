#include "core/unitsodium.h"

UnitSodium::UnitSodium()
    : UnitDescriptor(tr("Sodium"), 1, QStringLiteral(" mg"), QStringLiteral("mg"))
{
}

QValidator* UnitSodium::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
