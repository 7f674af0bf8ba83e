#include "browser/addexercisedialog.h"

#include "browser/exercisewidget.h"

#include <QPushButton>

#include <new>

AddExerciseDialog::AddExerciseDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : AddItemDialog(parent, name, modal, flags)
{
    exerciseWidget = new ExerciseWidget(this, "exerciseWidget");
    addPanel(exerciseWidget);
    languageChange();
    init();
}

AddExerciseDialog* AddExerciseDialog::construct(QWidget* parent)
{
    auto* dialog = new (std::nothrow) AddExerciseDialog(parent, nullptr, false, topLevelFlags());
    if (!dialog)
        qFatal("new AddExerciseDialog failed");
    return dialog;
}

void AddExerciseDialog::init()
{
    exerciseWidget->setAddButtonShown(false);
}

void AddExerciseDialog::languageChange()
{
    setWindowTitle(tr("Enter exercise"));
    translateButtons();
}

DBTypes::ExerciseDiaryItem& AddExerciseDialog::getExerciseDiaryItem()
{
    return exerciseWidget->getExerciseDiaryItem();
}

void AddExerciseDialog::setExerciseItem(const DBTypes::ExerciseDiaryItem& entry)
{
    exerciseWidget->setExerciseItem(entry);
}

void AddExerciseDialog::setExercise(int exerciseId, int, float)
{
    exerciseWidget->setExercise(exerciseId);
}

void AddExerciseDialog::setUserWeight(float weight)
{
    exerciseWidget->userWeightChanged(weight);
}
