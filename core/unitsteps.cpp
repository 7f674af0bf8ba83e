#include "core/unitsteps.h"

#include <QIntValidator>
#include <QLocale>

UnitSteps::UnitSteps()
    : UnitDescriptor(QStringLiteral("Steps"), "%0.0f", "%0.0f", QStringLiteral("steps"))
{
}

QValidator* UnitSteps::createValidator(QObject* parent) const
{
    auto* validator = new QIntValidator(0, 2000000, parent);
    validator->setLocale(QLocale::c());
    return validator;
}
