#pragma once

#include <QRect>

// How splitRect() cuts: side by side, stacked, or along the longer side (stacked when the
// rectangle is at most as wide as it is high).
enum SplitRectDirection { Horizontal = 0, Vertical = 1, Longest = 2 };

// Piece `place` (from 0) of `pieces` equal pieces of `r` with `spacing` pixels between
// neighbours. The first piece starts at r's first pixel and the last ends at its last; the
// pixels that do not divide evenly widen the gaps. One piece is the whole rectangle.
QRect splitRect(const QRect& r, int place, int pieces, int spacing, SplitRectDirection direction);

// Moves every edge of `r` inward by `amount`.
void moveRectIn(QRect& r, int amount);
