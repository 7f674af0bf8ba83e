#include "browser/addexercisedialog.h"

#include "browser/exercisewidget.h"

#include <QPushButton>


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
    return new AddExerciseDialog(parent, nullptr, false, topLevelFlags());
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

void AddExerciseDialog::setExercise(qint64 exerciseId, int, float)
{
    exerciseWidget->setExercise(exerciseId);
}

void AddExerciseDialog::setUserWeight(float weight)
{
    exerciseWidget->userWeightChanged(weight);
}
