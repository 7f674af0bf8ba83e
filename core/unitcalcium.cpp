#include "core/unitcalcium.h"

UnitCalcium::UnitCalcium()
    : UnitDescriptor(tr("Calcium"), 1, QStringLiteral(" mg"), QStringLiteral("mg"))
{
}

QValidator* UnitCalcium::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
