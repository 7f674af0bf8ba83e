#include "core/unitprotein.h"

UnitProtein::UnitProtein()
    : UnitDescriptor(tr("Protein"), 1, QStringLiteral(" g"), QStringLiteral("g"))
{
}

QValidator* UnitProtein::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
