#pragma once

#include <QLabel>

// A label on a tab body, drawn over the body's panel instead of a background of its own.
class TabChildLabel : public QLabel
{
    Q_OBJECT

public:
    TabChildLabel(QWidget* parent, const char* name);

protected:
    void paintEvent(QPaintEvent* event) override;
};
