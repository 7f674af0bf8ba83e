#pragma once

#include <QMenu>
#include <QPoint>

// Popup with the ten "Add food to …" choices; only those matching how the user groups snacks
// are shown. Each entry maps to a meal group (mealOf).
class AddFoodPopupMenu : public QMenu
{
    Q_OBJECT

public:
    static constexpr int ITEM_COUNT = 10;

    explicit AddFoodPopupMenu(QWidget* parent, const char* name = nullptr);

    // Runs the menu at `position`, with the entries of the snack display applied last, and
    // returns the id (1 to 10) of the entry chosen, or -1.
    int doMenuItems(const QPoint& position, int indexAtPoint);
    // The entry of an id (1 to 10).
    QAction* item(int id) const;
    // The meal group an entry adds to.
    static int mealOf(int id);
    // Shows the entries of one snack display; other values leave the visibility as it is.
    void applySnackDisplay(int snackDisplay);

signals:
    void mealChosen(int meal);

public slots:
    void handleContextMenu(int id);

private:
    void _addItem(int id, const char* text);
};
