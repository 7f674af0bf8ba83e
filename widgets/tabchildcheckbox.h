#pragma once

#include <QCheckBox>

// A check box on a tab body, drawn over the body's panel instead of a background of its own.
class TabChildCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    TabChildCheckBox(QWidget* parent, const char* name);

protected:
    void paintEvent(QPaintEvent* event) override;
};
