#include "diary/diaryview.h"

#include "diary/diarylistview.h"

#include <QVBoxLayout>

DiaryView::DiaryView(QWidget* parent, const char* name)
    : QWidget(parent), mealView(new DiaryListView(this, "mealView"))
{
    setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mealView);
}

void DiaryView::dvAddFood(DBTypes::FoodDiaryItem& entry)
{
    mealView->addContextFood(entry);
}

void DiaryView::dvAddExercise(DBTypes::ExerciseDiaryItem& entry)
{
    mealView->addContextExercise(entry);
}

void DiaryView::doExerciseDialog(qint64 exerciseId)
{
    mealView->doExerciseDialog(exerciseId);
}
