#pragma once

#include <QList>
#include <QTabBar>

// A tab bar whose tabs share the bar's whole width: tabs wider than an equal share keep
// their natural width, the others divide what is left equally.
class ExpandingTabBar : public QTabBar
{
    Q_OBJECT

public:
    ExpandingTabBar(QWidget* parent, const char* name);

    // One width per tab, for the bar's current width.
    QList<int> calculateTabWidths() const;
    // The width that shows every tab's label whole.
    int naturalWidth() const;

    // The widths that tabs of the given natural widths get on a bar of barWidth pixels.
    static QList<int> shareWidths(const QList<int>& naturalWidths, int barWidth);

protected:
    QSize tabSizeHint(int index) const override;

private:
    QList<int> _naturalWidths() const;
};
