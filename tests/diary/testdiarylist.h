#pragma once

#include "diary/diarylistview.h"

#include <QDropEvent>
#include <QMimeData>

#include <functional>

// A diary list whose dialogs answer from the test and whose drags come from where the test
// says (synthetic drag events carry no source).
class TestDiaryList : public DiaryListView
{
public:
    TestDiaryList() : DiaryListView(nullptr, "mealView") {}

    const QObject* source = nullptr;
    std::function<bool(DBTypes::FoodDiaryItem&, int foodId, bool editing)> foodDialog;
    std::function<bool(DBTypes::ExerciseDiaryItem&, int exerciseId, bool editing)> exerciseDialog;
    std::function<bool(DBTypes::FoodDiaryItem&, int recipeId)> recipe;
    int savedMeal = -1;
    int foodDialogs = 0;
    int exerciseDialogs = 0;

protected:
    const QObject* dropSource(const QDropEvent*) const override { return source; }

    bool runFoodDialog(DBTypes::FoodDiaryItem& entry, int foodId, bool editing) override
    {
        ++foodDialogs;
        return foodDialog && foodDialog(entry, foodId, editing);
    }

    bool runExerciseDialog(DBTypes::ExerciseDiaryItem& entry, int exerciseId,
                           bool editing) override
    {
        ++exerciseDialogs;
        return exerciseDialog && exerciseDialog(entry, exerciseId, editing);
    }

    bool loadRecipe(DBTypes::FoodDiaryItem& entry, int recipeId) override
    {
        return recipe && recipe(entry, recipeId);
    }

    int chooseSavedMeal() override { return savedMeal; }
};
