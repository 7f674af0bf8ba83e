#pragma once

#include <QFrame>

// The body panel of a tab page. Controls placed on it are its children; the TabChild*
// widgets and the search field paint the panel's background behind themselves.
class TabBodyWidget : public QFrame
{
    Q_OBJECT

public:
    TabBodyWidget(QWidget* parent, const char* name);

    // Fills w's background with the slice of the TabBodyWidget parent under it (w must sit
    // directly on one).
    static void drawTabBackground(QWidget* w, QPainter* p);

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawContents(QPainter* painter);
};
