#include "browser/addfooddialog.h"

#include "browser/foodwidget.h"

#include <QPushButton>


AddFoodDialog::AddFoodDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : AddItemDialog(parent, name, modal, flags)
{
    foodWidget = new FoodWidget(this, "foodWidget");
    addPanel(foodWidget);
    languageChange();
    init();
}

AddFoodDialog* AddFoodDialog::construct(QWidget* parent)
{
    return new AddFoodDialog(parent, nullptr, false, topLevelFlags());
}

void AddFoodDialog::init()
{
    foodWidget->setAddButtonShown(false);
    foodWidget->setCustomButtonShown(false, QString());
    connect(foodWidget, &FoodWidget::servingFormat, addButton, &QPushButton::setEnabled);
}

void AddFoodDialog::languageChange()
{
    setWindowTitle(tr("Enter food"));
    translateButtons();
}

DBTypes::FoodDiaryItem& AddFoodDialog::getFoodDiaryItem()
{
    return foodWidget->getFoodDiaryItem();
}

void AddFoodDialog::setFood(qint64 foodId)
{
    foodWidget->setFood(foodId);
}

void AddFoodDialog::setFoodItem(const DBTypes::FoodDiaryItem& entry)
{
    foodWidget->setFoodItem(entry);
}
