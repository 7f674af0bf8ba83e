#pragma once

#include <QFrame>

// The body panel of a tab page. Controls placed on it are its children; the TabChild*
// widgets and the search field paint the panel's background behind themselves.
class TabBodyWidget : public QFrame
{
    Q_OBJECT

public:
    TabBodyWidget(QWidget* parent, const char* name);

    // Paints, behind w, the part of its parent tab body that w covers. w's parent must be
    // a TabBodyWidget.
    static void drawTabBackground(QWidget* w, QPainter* p);

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawContents(QPainter* painter);
};
