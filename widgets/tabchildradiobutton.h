#pragma once

#include <QRadioButton>

// A radio button on a tab body, drawn over the body's panel instead of a background of
// its own.
class TabChildRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    TabChildRadioButton(QWidget* parent, const char* name);

protected:
    void paintEvent(QPaintEvent* event) override;
};
