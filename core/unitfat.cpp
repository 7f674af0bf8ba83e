#include "core/unitfat.h"

UnitFat::UnitFat()
    : UnitDescriptor(tr("Fat"), 1, QStringLiteral(" g"), QStringLiteral("g"))
{
}

QValidator* UnitFat::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
