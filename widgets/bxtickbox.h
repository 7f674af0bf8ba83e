#pragma once

#include "widgets/bxlabel.h"

// A small clickable label that shows the brand's tick or nothing.
class BXTickBox : public BXLabel
{
    Q_OBJECT

public:
    BXTickBox(QWidget* parent, const QString& text);
    BXTickBox(const QString& text, QWidget* parent);

public slots:
    // Shows the tick.
    void setTick();
    // Shows the tick when text holds anything but white space, else clears the box.
    void setTick(const QString& text);
};
