#include "browser/addfoodpopupmenu.h"

#include "widgets/prompter.h"

#include <QAction>

namespace {

struct MenuEntry
{
    const char* text;
    int meal;
    bool shown[3]; // per snack display 0, 1, 2
};

constexpr MenuEntry ENTRIES[AddFoodPopupMenu::ITEM_COUNT] = {
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to breakfast"), 1, {true, true, true}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to morning snack"), 2, {false, true, false}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to lunch"), 3, {true, true, true}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to afternoon snack"), 4, {false, true, false}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to dinner"), 5, {true, true, true}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to evening snacks"), 6, {false, true, false}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to snacks"), 6, {true, false, false}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to snacks #1"), 2, {false, false, true}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to snacks #2"), 4, {false, false, true}},
    {QT_TRANSLATE_NOOP("AddFoodPopupMenu", "Add food to snacks #3"), 6, {false, false, true}},
};

} // namespace

AddFoodPopupMenu::AddFoodPopupMenu(QWidget* parent, const char* name) : QMenu(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    for (int id = 1; id <= ITEM_COUNT; ++id)
        _addItem(id, ENTRIES[id - 1].text);
}

void AddFoodPopupMenu::_addItem(int id, const char* text)
{
    QAction* action = addAction(tr(text));
    action->setData(id);
}

QAction* AddFoodPopupMenu::item(int id) const
{
    for (QAction* action : actions()) {
        if (action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

int AddFoodPopupMenu::mealOf(int id)
{
    return id >= 1 && id <= ITEM_COUNT ? ENTRIES[id - 1].meal : 0;
}

void AddFoodPopupMenu::applySnackDisplay(int snackDisplay)
{
    if (snackDisplay < 0 || snackDisplay > 2)
        return;
    for (int id = 1; id <= ITEM_COUNT; ++id)
        item(id)->setVisible(ENTRIES[id - 1].shown[snackDisplay]);
}

int AddFoodPopupMenu::doMenuItems(const QPoint& position, int /*indexAtPoint*/)
{
    QAction* chosen = Prompter::instance()->popup(this, position);
    if (!chosen || !chosen->isVisible())
        return -1;
    const int id = chosen->data().toInt();
    handleContextMenu(id);
    return id;
}

void AddFoodPopupMenu::handleContextMenu(int id)
{
    const int meal = mealOf(id);
    if (meal > 0)
        emit mealChosen(meal);
}
