#include "widgets/macutil.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {
constexpr int s_boldBit = 1;
constexpr int s_italicBit = 2;
}

QFont MacUtil::getThemeFont(unsigned short themeFontId)
{
    ThemeFont theme;
    if (!_lookupThemeFont(themeFontId, &theme) && !_lookupThemeFont(SmallSystemFont, &theme))
        return QFont();
    QFont font(theme.family, theme.pointSize);
    font.setWeight((theme.style & s_boldBit) != 0 ? QFont::Bold : QFont::Normal);
    font.setItalic((theme.style & s_italicBit) != 0);
    return font;
}

bool MacUtil::_lookupThemeFont(unsigned short themeFontId, ThemeFont* font)
{
    QFontDatabase::SystemFont source = QFontDatabase::GeneralFont;
    int style = 0;
    switch (themeFontId) {
    case SystemFont:
    case SmallSystemFont:
    case ViewsFont:
    case ApplicationFont:
    case PushButtonFont:
        break;
    case SmallEmphasizedSystemFont:
    case EmphasizedSystemFont:
        style = s_boldBit;
        break;
    case WindowTitleFont:
        source = QFontDatabase::TitleFont;
        break;
    case LabelFont:
    case ToolbarFont:
    case MiniSystemFont:
        source = QFontDatabase::SmallestReadableFont;
        break;
    default:
        return false;
    }
    const QFont system = QFontDatabase::systemFont(source);
    if (system.family().isEmpty() || system.pointSize() <= 0)
        return false;
    font->family = system.family();
    font->pointSize = system.pointSize();
    font->style = style;
    return true;
}

void MacUtil::fixApplicationPaletteInactive(bool informWidgets)
{
    Q_UNUSED(informWidgets);
    static const char* const classNames[] = {
        "QToolButton", "QAbstractButton", "QHeaderView", "QComboBox", "QTreeView",
        "QListView", "QMessageBoxLabel", "QTabBar", "QLabel", "QGroupBox",
    };
    for (const char* className : classNames) {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                         palette.color(QPalette::Disabled, QPalette::Text));
        palette.setColor(QPalette::Inactive, QPalette::ButtonText,
                         palette.color(QPalette::Active, QPalette::Text));
        palette.setColor(QPalette::Active, QPalette::ButtonText,
                         palette.color(QPalette::Active, QPalette::Text));
        fixPaletteInactive(palette);
        QApplication::setPalette(palette, className);
    }
}

void MacUtil::fixPaletteInactive(QPalette& palette)
{
    static const QPalette::ColorRole roles[] = {
        QPalette::Text, QPalette::WindowText, QPalette::HighlightedText, QPalette::ButtonText,
    };
    for (const QPalette::ColorRole role : roles) {
        const QColor active = palette.color(QPalette::Active, role);
        const QColor inactive = palette.color(QPalette::Inactive, role);
        if (active != inactive && inactive == palette.color(QPalette::Disabled, role))
            palette.setColor(QPalette::Inactive, role, active);
    }
}

void MacUtil::drawFocusRing(QPainter* painter, const QPainterPath& outline,
                            const QPalette& palette, int width)
{
    if (width <= 0 || outline.isEmpty())
        return;
    QPainterPath outside;
    outside.addRect(outline.boundingRect().adjusted(-2 * width, -2 * width, 2 * width,
                                                    2 * width));
    outside = outside.subtracted(outline);
    QColor ring = palette.color(QPalette::Active, QPalette::Highlight);
    ring.setAlpha(170);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setClipPath(outside, Qt::IntersectClip);
    painter->strokePath(outline, QPen(ring, 2 * width, Qt::SolidLine, Qt::RoundCap,
                                      Qt::RoundJoin));
    painter->restore();
}
