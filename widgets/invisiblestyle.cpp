#include "widgets/invisiblestyle.h"

InvisibleStyle::InvisibleStyle() = default;

void InvisibleStyle::drawPrimitive(PrimitiveElement, const QStyleOption*, QPainter*,
                                   const QWidget*) const
{
}
