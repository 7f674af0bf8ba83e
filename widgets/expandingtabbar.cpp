#include "widgets/expandingtabbar.h"

#include <algorithm>
#include <numeric>

ExpandingTabBar::ExpandingTabBar(QWidget* parent, const char* name) : QTabBar(parent)
{
    setObjectName(QString::fromLatin1(name));
    // The widths come from tabSizeHint(); Qt's own stretching would distribute them again.
    setExpanding(false);
}

QList<int> ExpandingTabBar::_naturalWidths() const
{
    QList<int> natural;
    natural.reserve(count());
    for (int i = 0; i < count(); ++i)
        natural.append(QTabBar::tabSizeHint(i).width());
    return natural;
}

QList<int> ExpandingTabBar::calculateTabWidths() const
{
    return shareWidths(_naturalWidths(), width());
}

int ExpandingTabBar::naturalWidth() const
{
    const QList<int> natural = _naturalWidths();
    return std::accumulate(natural.begin(), natural.end(), 0);
}

QList<int> ExpandingTabBar::shareWidths(const QList<int>& naturalWidths, int barWidth)
{
    QList<int> widths = naturalWidths;
    QList<int> order(widths.size());
    std::iota(order.begin(), order.end(), 0);
    // Widest first; among equal widths the earlier tab first.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return naturalWidths[a] > naturalWidths[b]; });
    int freeWidth = barWidth;
    int remaining = int(widths.size());
    for (const int i : order) {
        const int share = freeWidth / remaining;
        if (widths[i] < share)
            widths[i] = share;
        freeWidth -= widths[i];
        --remaining;
    }
    return widths;
}

QSize ExpandingTabBar::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    const QList<int> widths = calculateTabWidths();
    if (index >= 0 && index < widths.size())
        size.setWidth(widths[index]);
    return size;
}
