#ifndef PANTREL_WIDGETS_HEADERSECTION_H
#define PANTREL_WIDGETS_HEADERSECTION_H

class QHeaderView;
class QString;

// The room a list header's section needs to show its label whole.
namespace HeaderSection {

// The room the sort triangle takes at the right of a section of a header this high.
int indicatorRoom(int headerHeight);

// The width of a section that shows `label` whole in the header's font, with the style's
// margins and, when `withIndicator`, the sort triangle beside it.
int width(const QHeaderView* header, const QString& label, bool withIndicator);

} // namespace HeaderSection

#endif
