#include "core/unitcholesterol.h"

UnitCholesterol::UnitCholesterol()
    : UnitDescriptor(tr("Chol"), 1, QStringLiteral(" mg"), QStringLiteral("mg"))
{
}

QValidator* UnitCholesterol::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
