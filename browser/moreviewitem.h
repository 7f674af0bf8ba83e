#pragma once

#include "browser/foodviewitem.h"

#include <QRect>
#include <QSize>

class QPainter;
class QStyleOptionViewItem;

// The closing row of the ranked view: "N more results" with a View All button at its right,
// both painted by the list's delegate through the style.
class MoreViewItem : public FoodViewItem
{
public:
    MoreViewItem(QTreeWidget* parent, const QString& text, qint64 id);

    static QString buttonText();
    // The least height of the row: the button's height and a margin.
    int minimumHeight() const;
    // The button's rectangle in a row of that size (x from the row's left edge).
    QRect buttonRect(const QSize& rowSize) const;
    // Whether a point relative to the row's top left lies on the button (edges included).
    bool isButton(const QPoint& point) const;
    // Draws the button pressed or raised; repaints only on a change.
    void setDepressedButton(bool depressed);
    bool isDepressed() const { return _depressed; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option) const;

private:
    QSize _buttonSize() const;
    QSize _rowSize() const;

    bool _depressed = false;
};
