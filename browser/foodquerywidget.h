#pragma once

#include "core/dbtypes.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <QFrame>

#include <functional>
#include <optional>
#include <vector>

class DragListView;
class ExerciseWidget;
class ExpandingTabBar;
class FoodViewItem;
class FoodWidget;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class SearchLineEdit;
class TabBodyWidget;
class TabChildLabel;
class TabChildRadioButton;

// Right-hand panel of the diary page. Tabs switch between the six lists (shipped foods and
// exercises, the user's own of each, saved meals, recipes); the search box and its filter
// buttons serve whichever tab is up. Below sit the create/edit/delete buttons for the user's
// own items and the detail view of the highlighted row.
class FoodQueryWidget : public QFrame
{
    Q_OBJECT

public:
    // The codes by which the panel names its current tab to the main window.
    enum TabCode { FoodsCode = 0, ExerciseCode = 2, CustomFoodsCode = 3, CustomExercisesCode = 4,
                   SavedMealsCode = 5, RecipesCode = -1 };
    // The pages of displayStack.
    enum DisplayPage { FoodPage = 0, ExercisePage = 1, NothingPage = 2 };

    // The object name is "FoodQueryWidget" when name is null.
    FoodQueryWidget(QWidget* parent, const char* name);

    ExpandingTabBar* categoryBar;
    TabBodyWidget* container;
    SearchLineEdit* prettySearchEdit;
    TabChildLabel* showOptionLabel;
    TabChildRadioButton* showAllOption;
    TabChildRadioButton* showFavoritesOption;
    TabChildRadioButton* showGenericOption;
    QButtonGroup* showOptionGroup;
    QStackedWidget* categoryStack;
    QWidget* tabFoods;
    QWidget* tabExercises;
    QWidget* tabMyFoods;
    QWidget* tabMyExercises;
    QWidget* tabSaveMeals;
    QWidget* tabRecipes;
    DragListView* foodView;
    DragListView* exerciseView;
    DragListView* myfoodView;
    DragListView* myexerciseView;
    DragListView* savedMealView;
    DragListView* recipesView;
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
    QStackedWidget* displayStack;
    FoodWidget* foodWidget;
    ExerciseWidget* exerciseWidget;
    QLabel* nothingSelectedLabel;

    // The list of the tab shown.
    DragListView* getCurrentListview() const;
    // The tab code of the tab shown.
    int currentTabCode() const;
    // Whether the Foods list shows every hit of its search instead of the ranked best.
    bool viewAll() const { return _viewAll; }
    // The save-meal menu: items 0 to 5 save the diary groups 1 to 6.
    QMenu* saveMealMenu() const { return _saveMealMenu; }
    // With apply, pushes the filter buttons into the visible list; either way the buttons and
    // the search box are then synced back from that list.
    void applyTerms(bool apply);
    // Room for every tab's whole label and the detail panel's whole names and figures.
    QSize sizeHint() const override;

signals:
    // The tab in front or its list's selected row changed: what editState() says may have.
    void editStateChanged();
    void addFoodSignal(DBTypes::FoodDiaryItem& entry);
    // A saved meal's foods, to be added to the diary as one change.
    void addMealSignal(std::vector<DBTypes::FoodDiaryItem>& entries);
    void addExerciseSignal(DBTypes::ExerciseDiaryItem& entry);
    void doExerciseDialog(qint64 exerciseId);

public slots:
    void updateSavedMealButtons(QTreeWidgetItem* item);
    // Shows the row in the detail area when the list of the tab up shows it selected; shows
    // nothing for any other row, for none and for a category.
    void displayItem(QTreeWidgetItem* item);
    // The user picked the tab of that index.
    void tabSwitch(int index);
    void fqAddFood(DBTypes::FoodDiaryItem& entry);
    void fqAddExercise(DBTypes::ExerciseDiaryItem& entry);
    void fqExerciseDialog(qint64 exerciseId);

    void editCustomFood(qint64 id);
    void addCustomFood(qint64 category);
    void addCustomFoodCategory(qint64 parent);
    void editCustomFoodCategory(qint64 id);
    void removeCustomFood(qint64 id);
    void removeCustomFoodCategory(qint64 id);
    void editCustomEx(qint64 id);
    void addCustomEx(qint64 category);
    void addCustomExCategory(qint64 parent);
    void editCustomExCategory(qint64 id);
    void removeCustomEx(qint64 id);
    void removeCustomExCategory(qint64 id);
    void dynamicButtonPushed();

    void searchEdit_textChanged(const QString& text);
    void showOptionPressed(int id);
    void listItemRenamed(QTreeWidgetItem* item, int column, const QString& newName);
    void createCustomFoodFromStatic(const qint64 category, const QString& name,
                                    const QString& servingName, const DBTypes::FoodItem& values);
    void createCustomExerciseFromStatic(const qint64 category, const QString& name, const float rate);
    void addFoodToFavorites(qint64 id);
    void removeFoodFromFavorites(qint64 id);
    void addExerciseToFavorites(qint64 id);
    void removeExerciseFromFavorites(qint64 id);
    void renameSavedMeal(const qint64 mealId, const QString& newName);
    void deleteSavedMeal(const qint64 mealId);
    void addCustomFoodFromMeal(FoodViewItem* row);
    // Offers the save-meal menu for the diary groups that hold entries.
    void createSavedMeal();
    // Saves the foods listed under the diary list's row of meal group id + 1 (id 0 to 5)
    // as a new saved meal, asking its name; nothing for an empty group.
    void handleContextMenu(int id);
    // Rebuild the user-made lists / the shipped lists.
    void refreshDynamic();
    void refreshStatic();
    // After a switch of user: empties the detail panels and rebuilds every list for the user
    // now current, so that nothing of the user shown before stays shown or selected.
    void showCurrentUser();
    void escapePressed();
    // Tells the main window that the tab in front or its selected row may have changed.
    void updateEditMenu();
    // The tab code of the tab in front (high word) with the flags of its list's selected row
    // (low word; 0 for none and for a category the user may not change).
    int editState() const;
    // Selects the search text and gives the field the focus; an empty field is left alone.
    void focusSearchEdit();
    // Shows the snack items of the save-meal menu as the user's snack layout asks.
    void addMenuAboutToShow();
    // The snack layout the diary shows (read with the user, kept as it changes), which the
    // panel's menus follow: opening them never reads the diary.
    void setSnackDisplay(int snackDisplay);

protected:
    void languageChange();
    void viewAllClicked();
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The body's minimum follows what the detail panel shows.
    bool event(QEvent* event) override;

private:
    void _reloadDynamic();
    void init();
    void _buildForm();
    void _buildButtonPages();
    void _addTabs();
    void _connectLists();
    void _connectActions();
    void _buildSaveMealMenu();
    void _placeChildren();
    // Where the body starts below the tab bar, which it overlaps.
    int _bodyTop() const;
    QPushButton* _addButton(QWidget* parent, const char* name);
    DragListView* _addList(QWidget* page, const char* name);
    void _selectSearchText();
    // Brings the tab of the list in front with the list's own search, which its reload let go
    // where it hid the row just made, moved or renamed; the detail area shows that row.
    void _bringForward(DragListView* list);
    // The list's search kind: true for the food lists, false for the exercise lists.
    bool _isFoodSearch(const DragListView* list) const;
    // Shows an item of `list` in the detail area: nothing when it was not read, false when it
    // is no longer stored.
    std::optional<bool> _show(DragListView* list, unsigned char type, qint64 id, const QString& name);
    std::optional<bool> _showSavedMeal(qint64 mealId, const QString& name);
    std::optional<bool> _showRecipe(qint64 recipeId);
    std::optional<bool> _showFood(const DragListView* list, unsigned char type, qint64 id);
    std::optional<bool> _showExercise(const DragListView* list, unsigned char type, qint64 id);
    // The detail area shows nothing and holds nothing of what it showed.
    void _letGo();
    // Whether the item is a favourite, as the list holds it; nothing when it holds none.
    static std::optional<bool> _heldFavorite(const DragListView* list, qint64 id);
    // Runs `show` for a selected row. A row of My Foods or My Exercises lives in the diary and
    // is shown through the reading prompt: one that could not be read is told, never shown as
    // missing from the catalogue. False when it was not read.
    bool _readRow(bool custom, const std::function<void()>& show);
    // The user's answer to deleting the current list's selected row.
    bool promptDelete();
    void _renameSelectedMeal(const FoodViewItem* row);
    // Tells the user of a stored copy (storedId 0 or more), or warns that it was not stored.
    // Makes a copy with `create` (its new id, or -1) and says where it went.
    void _announceCopy(const std::function<int()>& create, const QString& caption,
                       const QString& text);
    // Makes a change to the user's own lists; false, after telling why, when it was not stored.
    bool _store(const std::function<bool()>& change);
    void _favoritesChanged(int listType, qint64 id, bool add);
    // A custom catalogue's root category: it is never edited or deleted from the panel.
    static bool _isRoot(qint64 categoryId);
    // The diary list of this panel's window (the list named "mealView"), or null.
    QTreeWidget* _diaryList() const;
    // The row of a meal group in the diary list, or null.
    QTreeWidgetItem* _diaryGroupRow(int group) const;
    static qint64 _rowId(const QTreeWidgetItem* row);

    QLineEdit* _searchLineEdit;
    QMenu* _saveMealMenu = nullptr;
    int _snackDisplay = 0;
    bool _viewAll = false;
    // While a tab comes in front for a row just changed: its list keeps its own search rather
    // than taking the one shown before.
    bool _ownSearch = false;
};
