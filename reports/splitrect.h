#pragma once

#include <QRect>

// How splitRect() cuts: side by side, stacked, or along the longer side (stacked when the
// rectangle is at most as wide as it is high).
enum SplitRectDirection { Horizontal = 0, Vertical = 1, Longest = 2 };

// Cuts `r` into `pieces` equal slices separated by `spacing` px and returns slice number
// `place` (0-based). Outer slices touch r's edges; leftover pixels go into the gaps. With a
// single piece the result is r itself.
QRect splitRect(const QRect& r, int place, int pieces, int spacing, SplitRectDirection direction);

// Moves every edge of `r` inward by `amount`.
void moveRectIn(QRect& r, int amount);
