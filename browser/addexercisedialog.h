#pragma once

#include "browser/additemdialog.h"
#include "core/exercisediaryitem.h"

class ExerciseWidget;

// An exercise detail panel with Add and Cancel, through which the diary adds an exercise or
// changes the duration of an exercise entry.
class AddExerciseDialog : public AddItemDialog
{
    Q_OBJECT

public:
    AddExerciseDialog(QWidget* parent, const char* name = nullptr, bool modal = false,
                      Qt::WindowFlags flags = {});

    // A top-level dialog with title bar and system menu; the caller runs and deletes it.
    static AddExerciseDialog* construct(QWidget* parent);

    ExerciseWidget* exerciseWidget;

    DBTypes::ExerciseDiaryItem& getExerciseDiaryItem();
    void setExerciseItem(const DBTypes::ExerciseDiaryItem& entry);
    // Give the weight first: the exercise's rate is computed from it. The last two
    // arguments are not used.
    void setExercise(qint64 exerciseId, int unused = 0, float unusedAmount = 1.0f);
    void setUserWeight(float weight);

private:
    void init();
    void languageChange();
};
