#include "core/unitsugar.h"

UnitSugar::UnitSugar()
    : UnitDescriptor(QStringLiteral("Sugar"), "%.1f", "%.1f g", QStringLiteral("g"))
{
}

QValidator* UnitSugar::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
