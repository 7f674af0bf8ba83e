#include "core/unitiron.h"

UnitIron::UnitIron()
    : UnitDescriptor(QStringLiteral("Iron"), 1, QStringLiteral(" %"), QStringLiteral("%"))
{
}
