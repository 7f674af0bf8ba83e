#include "core/unitsaturatedfat.h"

UnitSaturatedFat::UnitSaturatedFat()
    : UnitDescriptor(tr("Sat Fat"), 1, QStringLiteral(" g"), QStringLiteral("g"))
{
}

QValidator* UnitSaturatedFat::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
