#include "core/unitiron.h"

UnitIron::UnitIron()
    : UnitDescriptor(tr("Iron"), 1, QStringLiteral(" %"), QStringLiteral("%"))
{
}
