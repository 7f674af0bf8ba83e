#pragma once

#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <QWidget>

class DiaryListView;

// The frame of the diary page that holds the diary list and passes the browser's additions
// on to it.
class DiaryView : public QWidget
{
    Q_OBJECT

public:
    DiaryView(QWidget* parent, const char* name);

    DiaryListView* mealView;

public slots:
    void dvAddFood(DBTypes::FoodDiaryItem& entry);
    void dvAddExercise(DBTypes::ExerciseDiaryItem& entry);
    void doExerciseDialog(qint64 exerciseId);
};
