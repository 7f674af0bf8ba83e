#include "core/unitsteps.h"

#include "core/numbervalidator.h"

UnitSteps::UnitSteps()
    : UnitDescriptor(QStringLiteral("Steps"), 0, QString(), QStringLiteral("steps"))
{
}

QValidator* UnitSteps::createValidator(QObject* parent) const
{
    return new NumberValidator(0.0, 2000000.0, 0, parent);
}
