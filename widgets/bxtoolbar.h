#pragma once

#include <QToolBar>

#include <map>

class BXToolBarButton;
class QAction;
class QButtonGroup;
class QMainWindow;

// The main window's tool bar. Its buttons are made from actions and follow them: enabled,
// visible and, for toggle actions, on or off. The buttons of toggle actions are exclusive.
class BXToolBar : public QToolBar
{
    Q_OBJECT

public:
    BXToolBar(QMainWindow* parent, const char* name);

    // Adds a button for action with the icon and its tinted and washed-out variants; null
    // (and nothing added) when action is null.
    BXToolBarButton* addTool(QAction* action, const QPixmap& icon, const char* name);

    // The icon set of a tool: the pixmap, its blue tint for "on", its washed-out look for
    // disabled.
    static QIcon makeIconSet(const QPixmap& icon);

signals:
    void clicked(int);

public slots:
    // Makes every button as enabled and as visible as its action. Call after changing
    // the actions.
    void updateButtonStates();
    // Switches the action and the button of the sender, a toggle action or its button.
    void setOn(bool on);
    void setToolText(QAction* action, const QString& text);

private slots:
    void _buttonClicked();

private:
    struct Tool
    {
        BXToolBarButton* button;
        QAction* widgetAction;  // the tool bar's handle on the button, which shows or hides it
    };

    const std::pair<QAction* const, Tool>* _findBySender() const;

    std::map<QAction*, Tool> _tools;
    QAction* _lastOn = nullptr;
    QButtonGroup* _toggleGroup;
};
