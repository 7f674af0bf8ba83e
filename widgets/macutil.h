#pragma once

#include <QFont>

class QPainter;
class QPainterPath;
class QPalette;

// Platform helpers: the desktop's theme fonts, the fix of inactive palette colours, and the
// focus ring that the kit's widgets draw round their outlines.
class MacUtil
{
public:
    // Theme font ids of the desktop's interface fonts.
    enum ThemeFontId : unsigned short {
        SystemFont = 0,
        SmallSystemFont = 1,
        SmallEmphasizedSystemFont = 2,
        ViewsFont = 3,
        EmphasizedSystemFont = 4,
        ApplicationFont = 5,
        LabelFont = 6,
        WindowTitleFont = 104,
        PushButtonFont = 105,
        ToolbarFont = 108,
        MiniSystemFont = 109,
    };

    // The theme font of that id; the small system font for an id the desktop does not
    // know, and the default font when that is unknown too.
    static QFont getThemeFont(unsigned short themeFontId);

    // Installs, for the widget classes whose texts would look disabled in an inactive
    // window, an application palette whose inactive texts keep their active colours. Qt
    // always tells the widgets about a new palette; informWidgets is accepted for callers
    // that state it.
    static void fixApplicationPaletteInactive(bool informWidgets);

    // Gives the inactive colour of the text roles its active colour wherever the inactive
    // one equals the disabled one.
    static void fixPaletteInactive(QPalette& palette);

    // The focus ring: a band of the palette's highlight colour, width pixels wide, drawn
    // just outside outline.
    static void drawFocusRing(QPainter* painter, const QPainterPath& outline,
                              const QPalette& palette, int width);

private:
    struct ThemeFont
    {
        QString family;
        int pointSize = 0;
        int style = 0;  // bit 1 bold, bit 2 italic
    };

    static bool _lookupThemeFont(unsigned short themeFontId, ThemeFont* font);
};
