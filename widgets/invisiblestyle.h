#pragma once

#include <QProxyStyle>

// The platform style without its primitive elements: frames, panels, indicators and focus
// rectangles are not drawn; controls and everything else look as usual.
class InvisibleStyle : public QProxyStyle
{
    Q_OBJECT

public:
    InvisibleStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
