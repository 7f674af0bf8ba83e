#pragma once

#include <QObject>
#include <QSize>

class QScrollArea;
class QWidget;

// Keeps every window of the program whole on its screen, however small: a window, as it is
// shown, is made no larger than the room its screen leaves for it with its title bar, and moved
// to lie whole in that room. Content that may be taller or wider than a small screen sits in a
// scroll area made with scrolled(), so that the window can shrink there with its buttons in
// reach, while it opens at its whole size where there is room.
class ScreenFit : public QObject
{
    Q_OBJECT

public:
    // Fits every window of the application from now on.
    static void install();
    // Fits the window to its screen now.
    static void fit(QWidget* window);
    // The size the window may take on its screen, its frame left out; empty without a screen.
    static QSize room(const QWidget* window);
    // A frameless scroll area in parent holding content, asking for the content's whole size.
    static QScrollArea* scrolled(QWidget* content, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
