#include "core/unitsugar.h"

UnitSugar::UnitSugar()
    : UnitDescriptor(tr("Sugar"), 1, QStringLiteral(" g"), QStringLiteral("g"))
{
}

QValidator* UnitSugar::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
