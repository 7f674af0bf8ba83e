#pragma once

#include "core/exercisediaryitem.h"

#include <QDialog>

class ExerciseWidget;
class QPushButton;

// An exercise detail panel with Add and Cancel, through which the diary adds an exercise or
// changes the duration of an exercise entry.
class AddExerciseDialog : public QDialog
{
    Q_OBJECT

public:
    AddExerciseDialog(QWidget* parent, const char* name = nullptr, bool modal = false,
                      Qt::WindowFlags flags = {});

    // A top-level dialog with title bar and system menu; the caller runs and deletes it.
    static AddExerciseDialog* construct(QWidget* parent);

    ExerciseWidget* exerciseWidget;
    QPushButton* addButton;
    QPushButton* cancelButton;

    DBTypes::ExerciseDiaryItem& getExerciseDiaryItem();
    void setExerciseItem(const DBTypes::ExerciseDiaryItem& entry);
    void setAddButtonLabel(const QString& text);
    void setTitle(const QString& title);
    // Give the weight first: the exercise's rate is computed from it. The last two
    // arguments are not used.
    void setExercise(int exerciseId, int unused = 0, float unusedAmount = 1.0f);
    void setUserWeight(float weight);

private:
    void init();
    void languageChange();
};
