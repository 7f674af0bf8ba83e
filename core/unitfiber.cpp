#include "core/unitfiber.h"

#include "core/brandengine.h"

UnitFiber::UnitFiber()
    : UnitDescriptor(BrandEngine::instance()->getString("spelling_fiber"), 1, QStringLiteral(" g"),
                     QStringLiteral("g"))
{
}

QValidator* UnitFiber::createValidator(QObject* parent) const
{
    return createNutrientValidator(parent);
}
