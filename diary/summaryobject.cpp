#include "diary/summaryobject.h"

#include "diary/diarysummary.h"

#include <cassert>

SummaryObject::SummaryObject(QWidget* parent, const char* name, int flags)
    : QFrame(parent), _summary(qobject_cast<DiarySummary*>(parent))
{
    Q_UNUSED(flags);
    assert(_summary && "parent->isA ( \"DiarySummary\" )");
    setObjectName(QString::fromLatin1(name));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}
