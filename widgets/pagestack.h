#pragma once

#include <QSize>
#include <QStackedWidget>

#include <map>

// A stack of pages that asks for the room of the page it shows: its least size and its height
// for a width are those of that page alone, so that a page grown by what it shows neither
// makes the other pages scroll nor the window outgrow its screen, and a layout pass measures
// one page, not every page. Its size hint is the largest any page asks for, each page measured
// once and again only when it changes while shown.
class PageStack : public QStackedWidget
{
    Q_OBJECT

public:
    explicit PageStack(QWidget* parent);

    // The least size a layout gives the widget, as the toolkit's layouts work it out: the size
    // policy decides between the hints, a minimum size set on the widget wins.
    static QSize leastSize(const QWidget* widget);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

signals:
    // The least size of the page shown may have changed: another page is shown, or the page
    // shown changed what it asks for.
    void needChanged();

protected:
    bool event(QEvent* event) override;

private:
    void _remeasureShown();

    // The size hint of each page as last measured.
    mutable std::map<const QWidget*, QSize> _hints;
};
