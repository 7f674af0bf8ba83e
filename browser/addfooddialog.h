#pragma once

#include "core/fooddiaryitem.h"

#include <QDialog>

class FoodWidget;
class QPushButton;

// A food detail panel with Add and Cancel: the diary, the browser's menu and the meal-plan
// dialog let the user choose amount and serving of a food or entry through it.
class AddFoodDialog : public QDialog
{
    Q_OBJECT

public:
    AddFoodDialog(QWidget* parent, const char* name = nullptr, bool modal = false,
                  Qt::WindowFlags flags = {});

    // A top-level dialog with title bar and system menu; the caller runs and deletes it.
    static AddFoodDialog* construct(QWidget* parent);

    FoodWidget* foodWidget;
    QPushButton* addButton;
    QPushButton* cancelButton;

    DBTypes::FoodDiaryItem& getFoodDiaryItem();
    void setFood(int foodId);
    void setFoodItem(const DBTypes::FoodDiaryItem& entry);
    void setAddButtonLabel(const QString& text);
    void setTitle(const QString& title);

private:
    void init();
    void languageChange();
};
