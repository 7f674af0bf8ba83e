#include "diary/summaryobject.h"

#include "diary/summarysource.h"

#include <cassert>

SummaryObject::SummaryObject(QWidget* parent, const char* name, int flags)
    : QFrame(parent), _summary(qobject_cast<SummarySource*>(parent))
{
    Q_UNUSED(flags);
    assert(_summary && "the parent is the summary panel");
    setObjectName(QString::fromLatin1(name));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}
