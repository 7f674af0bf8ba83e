#pragma once

#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <QFrame>

class QLineEdit;
class QPushButton;
class SearchLineEdit;
class QTreeWidgetItem;
class TabBodyWidget;

// The food and exercise browser panel: the search field above the browser's lists and the
// buttons that create, edit and delete the user's own foods, exercises, categories and
// saved meals.
class FoodQueryWidget : public QFrame
{
    Q_OBJECT

public:
    // The object name is "FoodQueryWidget" when name is null.
    FoodQueryWidget(QWidget* parent, const char* name);

    SearchLineEdit* prettySearchEdit;
    QPushButton* myFoodNewCat;
    QPushButton* myFoodNewItem;
    QPushButton* myFoodEdit;
    QPushButton* myFoodDelete;
    QPushButton* myExNewCat;
    QPushButton* myExNewItem;
    QPushButton* myExEdit;
    QPushButton* myExDelete;
    QPushButton* newSavedMeal;
    QPushButton* savedMealEdit;
    QPushButton* savedMealDelete;

signals:
    // Context 1; state: the list kind in the upper 16 bits, the selected row's
    // BrowserItemFlags in the lower 16 bits.
    void requestEditMenuRefresh(const int context, const int state);
    void addFoodSignal(DBTypes::FoodDiaryItem& entry);
    void addExerciseSignal(DBTypes::ExerciseDiaryItem& entry);
    void doExerciseDialog(int exerciseId);

public slots:
    // Saves the foods listed under the diary list's row of meal group id + 1 (id 0 to 5)
    // as a new saved meal, asking its name; nothing for an empty group.
    void handleContextMenu(int id);
    // Reload the lists of the user's own items and of the static catalogue.
    void refreshDynamic();
    void refreshStatic();
    // Selects the search text and gives the field the focus; an empty field is left alone.
    void focusSearchEdit();
    void fqAddFood(DBTypes::FoodDiaryItem& entry);
    void fqAddExercise(DBTypes::ExerciseDiaryItem& entry);
    void fqExerciseDialog(int exerciseId);

private slots:
    void escapePressed();
    void dynamicButtonPushed();

private:
    QPushButton* _addButton(QWidget* parent, const char* name, const QString& text);
    // The row of a meal group in the diary list of this panel's window (the list named
    // "mealView", whose rows keep their id under Qt::UserRole), or null.
    QTreeWidgetItem* _diaryGroupRow(int group) const;

    TabBodyWidget* _container;
    QLineEdit* _searchLineEdit;
};
