#include "widgets/wholescrollarea.h"

QSize WholeScrollArea::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
}
