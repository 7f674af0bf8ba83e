#pragma once

#include "browser/additemdialog.h"
#include "core/fooddiaryitem.h"

class FoodWidget;

// A food detail panel with Add and Cancel: the diary, the browser's menu and the meal-plan
// dialog let the user choose amount and serving of a food or entry through it.
class AddFoodDialog : public AddItemDialog
{
    Q_OBJECT

public:
    AddFoodDialog(QWidget* parent, const char* name = nullptr, bool modal = false,
                  Qt::WindowFlags flags = {});

    // A top-level dialog with title bar and system menu; the caller runs and deletes it.
    static AddFoodDialog* construct(QWidget* parent);

    FoodWidget* foodWidget;

    DBTypes::FoodDiaryItem& getFoodDiaryItem();
    void setFood(qint64 foodId);
    void setFoodItem(const DBTypes::FoodDiaryItem& entry);

private:
    void init();
    void languageChange();
};
