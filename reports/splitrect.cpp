#include "reports/splitrect.h"

QRect splitRect(const QRect& r, int place, int pieces, int spacing, SplitRectDirection direction)
{
    if (pieces <= 1)
        return r;
    if (direction == Longest)
        direction = r.width() <= r.height() ? Vertical : Horizontal;
    const int length = direction == Horizontal ? r.width() : r.height();
    const int piece = (length - (pieces - 1) * spacing) / pieces;
    const int rest = length - pieces * piece;
    const int offset = place * rest / (pieces - 1) + place * piece;
    if (direction == Horizontal)
        return QRect(r.left() + offset, r.top(), piece, r.height());
    return QRect(r.left(), r.top() + offset, r.width(), piece);
}

void moveRectIn(QRect& r, int amount)
{
    r.adjust(amount, amount, -amount, -amount);
}
