#include "core/unitsteps.h"

#include "core/numbervalidator.h"

UnitSteps::UnitSteps()
    : UnitDescriptor(tr("Steps"), 0, QString(), tr("steps"))
{
}

QValidator* UnitSteps::createValidator(QObject* parent) const
{
    return new NumberValidator(0.0, 2000000.0, 0, parent);
}
