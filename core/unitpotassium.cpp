#include "core/unitpotassium.h"

UnitPotassium::UnitPotassium()
    : UnitDescriptor(QStringLiteral("Potassium"), "%.1f", "%.1f mg", QStringLiteral("mg"))
{
}
