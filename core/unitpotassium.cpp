#include "core/unitpotassium.h"

UnitPotassium::UnitPotassium()
    : UnitDescriptor(QStringLiteral("Potassium"), 1, QStringLiteral(" mg"), QStringLiteral("mg"))
{
}
