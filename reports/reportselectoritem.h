#pragma once

#include <QListWidgetItem>
#include <QPixmap>

// An entry of the report list: an icon above its name, highlighted while the mouse is over it.
class ReportSelectorItem : public QListWidgetItem
{
public:
    ReportSelectorItem(QListWidget* list, const QString& text, const QPixmap& pixmap);

    // Room around the icon and the name, inside the entry's box.
    static int itemMargin() { return 10; }
    static int labelLeading() { return 5; }
    static int itemGap() { return 3; }
    bool mouseOver() const { return _mouseOver; }
    void setMouseOver(bool over) { _mouseOver = over; }
    const QPixmap& pixmap() const { return _pixmap; }

private:
    QPixmap _pixmap;
    bool _mouseOver = false;
};
