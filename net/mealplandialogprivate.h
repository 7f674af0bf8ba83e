#pragma once

#include "core/diaryday.h"

#include <QMap>
#include <QPixmap>
#include <QString>

#include <memory>

class AddFoodPopupMenu;
class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

// What the meal-plan dialog keeps about the plan day on show and the rows that present it.
class MealPlanDialogPrivate
{
public:
    std::unique_ptr<DBTypes::DiaryDay> planDay;
    // Each food row and the plan entry it shows (inside planDay).
    QMap<QTreeWidgetItem*, const DBTypes::FoodDiaryItem*> rows;
    // The meal rows by group: 1 breakfast, 3 lunch, 5 dinner, 6 snacks.
    QMap<int, QTreeWidgetItem*> groupRows;
    QPixmap addImage;
    QString dateCode;
    QTreeWidgetItem* pressedRow = nullptr;
    AddFoodPopupMenu* mealMenu = nullptr;
    QTreeWidgetItem* contextRow = nullptr;

    // Whether position (in the list's viewport) lies on the add image of a food row.
    bool buttonedItem(const QTreeWidget* list, QTreeWidgetItem* row, const QPoint& position) const;
};
