#pragma once

#include <QScrollArea>

// A scroll area that asks for the whole size of its content, not the few lines that a scroll
// area asks for by itself: a window opens with all of the content in view where there is room.
class WholeScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override;
};
