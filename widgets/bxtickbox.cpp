#include "widgets/bxtickbox.h"

#include "core/brandengine.h"

namespace {
constexpr int s_width = 16;
constexpr int s_height = 21;
}

BXTickBox::BXTickBox(QWidget* parent, const QString& text) : BXLabel(parent, text)
{
    setFixedSize(s_width, s_height);
}

BXTickBox::BXTickBox(const QString& text, QWidget* parent) : BXLabel(text, parent)
{
    setFixedSize(s_width, s_height);
}

void BXTickBox::setTick()
{
    setPixmap(BrandEngine::instance()->getPixmap("graphics.icon.tick"));
}

void BXTickBox::setTick(const QString& text)
{
    if (text.trimmed().isEmpty())
        clear();
    else
        setTick();
}
