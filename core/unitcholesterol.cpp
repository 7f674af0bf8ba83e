#include "core/unitcholesterol.h"

UnitCholesterol::UnitCholesterol()
    : UnitDescriptor(QStringLiteral("Chol"), "%.1f", "%.1f mg", QStringLiteral("mg"))
{
}

QValidator* UnitCholesterol::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
