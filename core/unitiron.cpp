#include "core/unitiron.h"

UnitIron::UnitIron()
    : UnitDescriptor(QStringLiteral("Iron"), "%.1f", "%.1f %%", QStringLiteral("%"))
{
}
