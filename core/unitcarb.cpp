#include "core/unitcarb.h"

UnitCarb::UnitCarb()
    : UnitDescriptor(tr("Carbs"), 1, QStringLiteral(" g"), QStringLiteral("g"))
{
}

QValidator* UnitCarb::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
