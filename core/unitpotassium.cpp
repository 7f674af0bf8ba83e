#include "core/unitpotassium.h"

UnitPotassium::UnitPotassium()
    : UnitDescriptor(tr("Potassium"), 1, QStringLiteral(" mg"), QStringLiteral("mg"))
{
}
