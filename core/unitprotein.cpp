#include "core/unitprotein.h"

UnitProtein::UnitProtein()
    : UnitDescriptor(QStringLiteral("Protein"), "%.1f", "%.1f g", QStringLiteral("g"))
{
}

QValidator* UnitProtein::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
