#pragma once

#include <QLineEdit>

class QStyleOptionFrame;

// The line edit inside a SearchLineEdit: shows "Search" while it is empty and has no
// focus, and makes the field redraw its focus ring when its focus changes.
class SearchLineEditChild : public QLineEdit
{
    Q_OBJECT

public:
    explicit SearchLineEditChild(QWidget* parent);

    // The style option of the line edit's frame, as the style would draw it now.
    QStyleOptionFrame frameOption() const;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void _focusChanged();
};
