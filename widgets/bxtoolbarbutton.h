#pragma once

#include <QToolButton>

class QToolBar;

// A button of a BXToolBar: its icon and text label without bevel or background, and a focus
// ring round the icon while the button is on.
class BXToolBarButton : public QToolButton
{
    Q_OBJECT

public:
    BXToolBarButton(const QIcon& icons, const QString& label, QToolBar* parent, const char* name);

    // The label under the icon, its mnemonic marked with '&', and the same words without the
    // mark as the tool and status tips.
    void setLabel(const QString& label);

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void _toggled(bool on);

private:
    void _drawFocusRing(QPainter* painter, const QStyleOptionToolButton& option);
};
