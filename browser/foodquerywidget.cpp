#include "browser/foodquerywidget.h"

#include "widgets/shownday.h"
#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/exercisewidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/recipeproxydb.h"
#include "catalogue/savedmealtree.h"
#include "core/brandengine.h"
#include "userdb/savedmealdb.h"
#include "widgets/expandingtabbar.h"
#include "widgets/searchlineedit.h"
#include "widgets/tabbodywidget.h"
#include "widgets/tabchildlabel.h"
#include "widgets/storeprompt.h"
#include "widgets/tabchildradiobutton.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// One tab of the panel: its label, its page's index in categoryStack, its list's flags and
// pixmap, and the code the panel reports for it.
struct TabInfo {
    const char* label;
    int flags;
    const char* pixmap;
    int code;
};

constexpr TabInfo TABS[] = {
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Foods"), FoodItemFlag, "graphics.icon.food",
     FoodQueryWidget::FoodsCode},
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Exercise"), ExerciseItemFlag, "graphics.icon.exercise",
     FoodQueryWidget::ExerciseCode},
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Custom Foods"), FoodItemFlag | CustomItemFlag,
     "graphics.icon.food", FoodQueryWidget::CustomFoodsCode},
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Custom Exercises"), ExerciseItemFlag | CustomItemFlag,
     "graphics.icon.exercise", FoodQueryWidget::CustomExercisesCode},
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Saved Meals"), SavedMealItemFlag, nullptr,
     FoodQueryWidget::SavedMealsCode},
    {QT_TRANSLATE_NOOP("FoodQueryWidget", "Recipes"), RecipeItemFlag, nullptr,
     FoodQueryWidget::RecipesCode},
};
constexpr int RECIPES_PAGE = 5;

constexpr const char* SAVE_MEAL_ITEMS[] = {
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Breakfast Menu"),
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Breakfast Snack Menu"),
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Lunch Menu"),
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Lunch Snack Menu"),
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Dinner Menu"),
    QT_TRANSLATE_NOOP("FoodQueryWidget", "Save Snacks Menu"),
};

FoodViewItem* selectedRow(const DragListView* list)
{
    return FoodViewItem::from(list->selectedItems().value(0));
}

// Builds a user's tree for the current user: a tree made now is built as it is made, one made
// before is built again, so that each is read once.
template <class Tree>
void buildOnce()
{
    if (Tree::exists())
        Tree::instance()->reload(0, false);
    else
        Tree::instance();
}

} // namespace

FoodQueryWidget::FoodQueryWidget(QWidget* parent, const char* name)
    : QFrame(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("FoodQueryWidget"));
    _buildForm();
    languageChange();
    _connectActions();
    setTabOrder(_searchLineEdit, categoryStack);
    setTabOrder(categoryStack, myFoodNewCat);
    setTabOrder(myFoodNewCat, myFoodNewItem);
    setTabOrder(myFoodNewItem, myFoodDelete);
    setTabOrder(myFoodDelete, myFoodEdit);
    setTabOrder(myFoodEdit, myExNewCat);
    setTabOrder(myExNewCat, myExNewItem);
    setTabOrder(myExNewItem, myExDelete);
    setTabOrder(myExDelete, myExEdit);
    init();
}

void FoodQueryWidget::_buildForm()
{
    categoryBar = new ExpandingTabBar(this, "categoryBar");
    // Labels are never shortened: tabs that do not fit the panel scroll within it, so that
    // the panel never widens the page for them.
    categoryBar->setUsesScrollButtons(true);
    categoryBar->setElideMode(Qt::ElideNone);
    container = new TabBodyWidget(this, "container");

    const BrandEngine* brand = BrandEngine::instance();
    prettySearchEdit = new SearchLineEdit(container, "prettySearchEdit",
                                          brand->getPixmap("graphics.icon.search"),
                                          brand->getPixmap("graphics.icon.searchclear"));
    prettySearchEdit->setBackgroundRole(backgroundRole());
    _searchLineEdit = prettySearchEdit->lineEdit();

    showOptionLabel = new TabChildLabel(container, "showOptionLabel");
    showAllOption = new TabChildRadioButton(container, "showAllOption");
    showFavoritesOption = new TabChildRadioButton(container, "showFavoritesOption");
    showGenericOption = new TabChildRadioButton(container, "showGenericOption");
    showOptionGroup = new QButtonGroup(this);
    showOptionGroup->setObjectName(QStringLiteral("showOptionGroup"));
    showOptionGroup->addButton(showAllOption, 0);
    showOptionGroup->addButton(showFavoritesOption, 1);
    showOptionGroup->addButton(showGenericOption, 2);
    showAllOption->setChecked(true);
    auto* options = new QHBoxLayout;
    options->setSpacing(6);
    options->addWidget(showOptionLabel);
    options->addStretch(1);
    options->addWidget(showAllOption);
    options->addWidget(showFavoritesOption);
    options->addWidget(showGenericOption);

    categoryStack = new QStackedWidget(container);
    categoryStack->setObjectName(QStringLiteral("categoryStack"));
    categoryStack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    _buildButtonPages();

    displayStack = new QStackedWidget(container);
    displayStack->setObjectName(QStringLiteral("displayStack"));
    foodWidget = new FoodWidget(displayStack, "foodWidget");
    exerciseWidget = new ExerciseWidget(displayStack, "exerciseWidget");
    nothingSelectedLabel = new QLabel(displayStack);
    nothingSelectedLabel->setObjectName(QStringLiteral("nothingSelectedLabel"));
    nothingSelectedLabel->setAlignment(Qt::AlignCenter);
    nothingSelectedLabel->setWordWrap(true);
    nothingSelectedLabel->setAutoFillBackground(true);
    QPalette white = nothingSelectedLabel->palette();
    white.setColor(QPalette::Window, Qt::white);
    nothingSelectedLabel->setPalette(white);
    nothingSelectedLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    nothingSelectedLabel->setLineWidth(1);
    displayStack->insertWidget(FoodPage, foodWidget);
    displayStack->insertWidget(ExercisePage, exerciseWidget);
    displayStack->insertWidget(NothingPage, nothingSelectedLabel);

    auto* body = new QVBoxLayout(container);
    body->setContentsMargins(10, 10, 10, 10);
    body->setSpacing(6);
    body->addSpacing(10);
    body->addWidget(prettySearchEdit);
    body->addLayout(options);
    body->addWidget(categoryStack);
    body->addWidget(displayStack);
}

void FoodQueryWidget::_buildButtonPages()
{
    auto page = [this](const char* name) {
        auto* widget = new QWidget(categoryStack);
        widget->setObjectName(QString::fromLatin1(name));
        categoryStack->addWidget(widget);
        return widget;
    };
    tabFoods = page("tabFoods");
    tabExercises = page("tabExercises");
    tabMyFoods = page("tabMyFoods");
    tabMyExercises = page("tabMyExercises");
    tabSaveMeals = page("tabSaveMeals");
    tabRecipes = page("tabRecipes");

    foodView = _addList(tabFoods, "foodView");
    (new QVBoxLayout(tabFoods))->addWidget(foodView);
    exerciseView = _addList(tabExercises, "exerciseView");
    (new QVBoxLayout(tabExercises))->addWidget(exerciseView);
    recipesView = _addList(tabRecipes, "recipesView");
    (new QVBoxLayout(tabRecipes))->addWidget(recipesView);

    myfoodView = _addList(tabMyFoods, "myfoodView");
    myFoodNewCat = _addButton(tabMyFoods, "myFoodNewCat");
    myFoodNewItem = _addButton(tabMyFoods, "myFoodNewItem");
    myFoodDelete = _addButton(tabMyFoods, "myFoodDelete");
    myFoodEdit = _addButton(tabMyFoods, "myFoodEdit");
    myexerciseView = _addList(tabMyExercises, "myexerciseView");
    myExNewCat = _addButton(tabMyExercises, "myExNewCat");
    myExNewItem = _addButton(tabMyExercises, "myExNewItem");
    myExDelete = _addButton(tabMyExercises, "myExDelete");
    myExEdit = _addButton(tabMyExercises, "myExEdit");
    const std::pair<QWidget*, DragListView*> grids[] = {{tabMyFoods, myfoodView},
                                                        {tabMyExercises, myexerciseView}};
    for (const auto& [tab, list] : grids) {
        const QList<QPushButton*> buttons = tab->findChildren<QPushButton*>();
        auto* grid = new QGridLayout(tab);
        grid->addWidget(list, 0, 0, 1, 2);
        for (int i = 0; i < buttons.size(); ++i)
            grid->addWidget(buttons[i], 1 + i / 2, i % 2);
    }
    // Pressed only through the main window's Edit menu and the lists' keys.
    for (QPushButton* hidden : {myFoodDelete, myFoodEdit, myExDelete, myExEdit})
        hidden->hide();

    savedMealView = _addList(tabSaveMeals, "savedMealView");
    newSavedMeal = _addButton(tabSaveMeals, "newSavedMeal");
    savedMealDelete = _addButton(tabSaveMeals, "savedMealDelete");
    savedMealEdit = _addButton(tabSaveMeals, "savedMealEdit");
    savedMealDelete->setEnabled(false);
    savedMealEdit->setEnabled(false);
    auto* mealButtons = new QHBoxLayout;
    for (QPushButton* button : {newSavedMeal, savedMealDelete, savedMealEdit})
        mealButtons->addWidget(button);
    auto* mealPage = new QVBoxLayout(tabSaveMeals);
    mealPage->addWidget(savedMealView);
    mealPage->addLayout(mealButtons);
}

DragListView* FoodQueryWidget::_addList(QWidget* page, const char* name)
{
    auto* list = new DragListView(page, name);
    list->setMinimumHeight(50);
    list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return list;
}

QPushButton* FoodQueryWidget::_addButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void FoodQueryWidget::languageChange()
{
    setWindowTitle(tr("Foods"));
    const std::pair<QPushButton*, QString> texts[] = {
        {myFoodNewCat, tr("New &Category")}, {myExNewCat, tr("New &Category")},
        {myFoodNewItem, tr("Ne&w Food")},     {myExNewItem, tr("Ne&w Exercise")},
        {myFoodEdit, tr("&Edit")},            {myExEdit, tr("&Edit")},
        {myFoodDelete, tr("&Delete")},        {myExDelete, tr("&Delete")},
        {savedMealDelete, tr("&Delete")},     {newSavedMeal, tr("&New")},
        {savedMealEdit, tr("&Rename")},
    };
    for (const auto& [button, text] : texts)
        button->setText(text);
    nothingSelectedLabel->setText(tr("Please select a food or exercise from above"));
    showOptionLabel->setText(tr("Show:"));
    showAllOption->setText(tr("All"));
    QString favorite = BrandEngine::instance()->getString("spelling_favorite");
    if (!favorite.isEmpty())
        favorite[0] = favorite[0].toUpper();
    showFavoritesOption->setText(favorite + QStringLiteral("s"));
    showGenericOption->setText(tr("Generics"));
}

void FoodQueryWidget::init()
{
    const QSignalBlocker quiet(this);
    categoryBar->raise();
    _placeChildren();
    _addTabs();
    for (int page = 0; page < categoryStack->count(); ++page) {
        auto* list = categoryStack->widget(page)->findChild<DragListView*>();
        const char* pixmap = TABS[page].pixmap;
        list->setup(pixmap ? BrandEngine::instance()->getPixmap(pixmap) : QPixmap(),
                    TABS[page].flags);
    }
    refreshStatic();
    _connectLists();
    displayStack->setCurrentIndex(NothingPage);
    _buildSaveMealMenu();
}

void FoodQueryWidget::_addTabs()
{
    const bool recipes = RecipeProxyDB::instance(true) != nullptr;
    for (int page = 0; page < categoryStack->count(); ++page) {
        if (page == RECIPES_PAGE && !recipes)
            continue;
        const int index = categoryBar->addTab(tr(TABS[page].label));
        categoryBar->setTabData(index, page);
    }
    categoryBar->setCurrentIndex(0);
    categoryStack->setCurrentIndex(0);
}

void FoodQueryWidget::_connectActions()
{
    connect(prettySearchEdit, &SearchLineEdit::rightIconClicked, this,
            &FoodQueryWidget::escapePressed);
    connect(_searchLineEdit, &QLineEdit::textChanged, this,
            &FoodQueryWidget::searchEdit_textChanged);
    connect(showOptionGroup, &QButtonGroup::idClicked, this, &FoodQueryWidget::showOptionPressed);
    connect(newSavedMeal, &QPushButton::clicked, this, &FoodQueryWidget::createSavedMeal);
    for (QPushButton* button : {myFoodNewCat, myFoodNewItem, myFoodDelete, myFoodEdit, myExNewCat,
                                myExNewItem, myExDelete, myExEdit, savedMealDelete, savedMealEdit})
        connect(button, &QPushButton::clicked, this, &FoodQueryWidget::dynamicButtonPushed);
    connect(foodWidget, &FoodWidget::addContextFood, this, &FoodQueryWidget::fqAddFood);
    connect(foodWidget, &FoodWidget::addToCustomFoodDB, this,
            &FoodQueryWidget::createCustomFoodFromStatic);
    connect(foodWidget, &FoodWidget::addToFavorites, this, &FoodQueryWidget::addFoodToFavorites);
    connect(foodWidget, &FoodWidget::removeFromFavorites, this,
            &FoodQueryWidget::removeFoodFromFavorites);
    connect(exerciseWidget, &ExerciseWidget::addExItem, this, &FoodQueryWidget::fqAddExercise);
    connect(exerciseWidget, &ExerciseWidget::addToCustomExDB, this,
            &FoodQueryWidget::createCustomExerciseFromStatic);
    connect(exerciseWidget, &ExerciseWidget::addToFavorites, this,
            &FoodQueryWidget::addExerciseToFavorites);
    connect(exerciseWidget, &ExerciseWidget::removeFromFavorites, this,
            &FoodQueryWidget::removeExerciseFromFavorites);
}

void FoodQueryWidget::_connectLists()
{
    connect(categoryBar, &QTabBar::currentChanged, this, &FoodQueryWidget::tabSwitch);
    for (DragListView* list :
         {foodView, exerciseView, myfoodView, myexerciseView, savedMealView, recipesView}) {
        // The lists of the other tabs never change the detail area.
        connect(list, qOverload<QTreeWidgetItem*>(&DragListView::selectionChanged), this,
                [this, list](QTreeWidgetItem* row) {
                    if (list == getCurrentListview())
                        displayItem(row);
                });
        // A reload may have let the list's search go, to show what was just made.
        connect(list, &DragListView::reloaded, this, [this, list] {
            if (list == getCurrentListview())
                applyTerms(false);
        });
        connect(list, &DragListView::changedRowShown, this, [this, list] { _bringForward(list); });
    }
    connect(savedMealView, qOverload<QTreeWidgetItem*>(&DragListView::selectionChanged), this,
            &FoodQueryWidget::updateSavedMealButtons);
    for (DragListView* list : {foodView, exerciseView})
        connect(list, &DragListView::viewAllClicked, this, &FoodQueryWidget::viewAllClicked);
    for (DragListView* list : {foodView, myfoodView, savedMealView, recipesView})
        connect(list, &DragListView::addContextFood, this, &FoodQueryWidget::fqAddFood);
    connect(savedMealView, &DragListView::addContextMeal, this, &FoodQueryWidget::addMealSignal);
    for (DragListView* list : {exerciseView, myexerciseView})
        connect(list, &DragListView::doExerciseDialog, this, &FoodQueryWidget::fqExerciseDialog);

    connect(myfoodView, &DragListView::addCustomFood, this, &FoodQueryWidget::addCustomFood);
    connect(myfoodView, &DragListView::editCustomFood, this, &FoodQueryWidget::editCustomFood);
    connect(myfoodView, &DragListView::removeCustomFood, this, &FoodQueryWidget::removeCustomFood);
    connect(myfoodView, &DragListView::addCustomFoodCategory, this,
            &FoodQueryWidget::addCustomFoodCategory);
    connect(myfoodView, &DragListView::editCustomFoodCategory, this,
            &FoodQueryWidget::editCustomFoodCategory);
    connect(myfoodView, &DragListView::removeCustomFoodCategory, this,
            &FoodQueryWidget::removeCustomFoodCategory);
    connect(myexerciseView, &DragListView::addCustomEx, this, &FoodQueryWidget::addCustomEx);
    connect(myexerciseView, &DragListView::editCustomEx, this, &FoodQueryWidget::editCustomEx);
    connect(myexerciseView, &DragListView::removeCustomEx, this, &FoodQueryWidget::removeCustomEx);
    connect(myexerciseView, &DragListView::addCustomExCategory, this,
            &FoodQueryWidget::addCustomExCategory);
    connect(myexerciseView, &DragListView::editCustomExCategory, this,
            &FoodQueryWidget::editCustomExCategory);
    connect(myexerciseView, &DragListView::removeCustomExCategory, this,
            &FoodQueryWidget::removeCustomExCategory);
    for (DragListView* list : {myfoodView, myexerciseView, savedMealView})
        connect(list, &DragListView::itemRenamed, this, &FoodQueryWidget::listItemRenamed);
    connect(savedMealView, &DragListView::renameSavedMeal, this, &FoodQueryWidget::renameSavedMeal);
    connect(savedMealView, qOverload<const qint64>(&DragListView::deleteSavedMeal), this,
            &FoodQueryWidget::deleteSavedMeal);
    connect(savedMealView, &DragListView::addCustomFoodFromMeal, this,
            &FoodQueryWidget::addCustomFoodFromMeal);
    connect(foodView, &DragListView::addToCustomFoodDB, this,
            &FoodQueryWidget::createCustomFoodFromStatic);
    connect(exerciseView, &DragListView::addToCustomExDB, this,
            &FoodQueryWidget::createCustomExerciseFromStatic);

    // The lists' keys press the buttons, so that they take the buttons' road.
    const std::pair<void (DragListView::*)(), QPushButton*> keys[] = {
        {&DragListView::insertNewFoodItem, myFoodNewItem},
        {&DragListView::insertNewFoodCat, myFoodNewCat},
        {&DragListView::removeFood, myFoodDelete},
        {&DragListView::editFood, myFoodEdit},
        {&DragListView::insertNewExerciseItem, myExNewItem},
        {&DragListView::insertNewExerciseCat, myExNewCat},
        {&DragListView::removeExercise, myExDelete},
        {&DragListView::editExercise, myExEdit},
        {&DragListView::editSavedMeal, savedMealEdit},
        {qOverload<>(&DragListView::deleteSavedMeal), savedMealDelete},
    };
    for (const auto& key : keys) {
        QPushButton* button = key.second;
        DragListView* list = button->parentWidget()->findChild<DragListView*>();
        connect(list, key.first, button, [button] { button->animateClick(); });
    }
}

void FoodQueryWidget::_buildSaveMealMenu()
{
    _saveMealMenu = new QMenu(this);
    _saveMealMenu->setObjectName(QStringLiteral("saveMealMenu"));
    for (int n = 0; n < 6; ++n)
        _saveMealMenu->addAction(tr(SAVE_MEAL_ITEMS[n]))->setData(n);
    connect(_saveMealMenu, &QMenu::aboutToShow, this, &FoodQueryWidget::addMenuAboutToShow);
}

DragListView* FoodQueryWidget::getCurrentListview() const
{
    const QWidget* page = categoryStack->currentWidget();
    Q_ASSERT_X(page, "getCurrentListview", "page");
    const QList<DragListView*> lists = page->findChildren<DragListView*>();
    Q_ASSERT_X(lists.size() == 1, "getCurrentListview", "wl->count() == 1");
    return lists.first();
}

int FoodQueryWidget::currentTabCode() const
{
    return TABS[categoryStack->currentIndex()].code;
}

bool FoodQueryWidget::_isFoodSearch(const DragListView* list) const
{
    return list != exerciseView && list != myexerciseView;
}

void FoodQueryWidget::refreshStatic()
{
    foodView->setDb(FoodDBStatic::instance());
    exerciseView->setDb(ExDBStatic::instance());
    foodView->setRankedView(true);
}

void FoodQueryWidget::refreshDynamic()
{
    // The user's own lists stay as they were until the diary can be read. Then the row
    // selected is shown again as stored, in the units now chosen.
    if (StorePrompt::read(this, [this] { _reloadDynamic(); }))
        displayItem(selectedRow(getCurrentListview()));
}

void FoodQueryWidget::_reloadDynamic()
{
    buildOnce<FoodDBDynamic>();
    buildOnce<ExDBDynamic>();
    buildOnce<SavedMealTree>();
    myfoodView->setDb(FoodDBDynamic::instance());
    myexerciseView->setDb(ExDBDynamic::instance());
    savedMealView->setDb(SavedMealTree::instance());
    if (RecipeProxyDB::instance(false))
        recipesView->setDb(RecipeProxyDB::instance(true));
}

void FoodQueryWidget::showCurrentUser()
{
    // A search and a selection belong to the user who made them: the next one starts on
    // whole lists.
    for (DragListView* list :
         {foodView, exerciseView, myfoodView, myexerciseView, savedMealView, recipesView}) {
        list->setSearch(QString(), false);
        list->clearSelection();
    }
    _letGo();
    refreshDynamic();
    refreshStatic();
    applyTerms(false);
    updateEditMenu();
}

void FoodQueryWidget::fqAddFood(DBTypes::FoodDiaryItem& entry)
{
    emit addFoodSignal(entry);
    _searchLineEdit->selectAll();
    _searchLineEdit->activateWindow();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::fqAddExercise(DBTypes::ExerciseDiaryItem& entry)
{
    emit addExerciseSignal(entry);
    _searchLineEdit->selectAll();
    _searchLineEdit->activateWindow();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::fqExerciseDialog(qint64 exerciseId)
{
    emit doExerciseDialog(exerciseId);
}

void FoodQueryWidget::focusSearchEdit()
{
    if (_searchLineEdit->text().isEmpty())
        return;
    _selectSearchText();
}

void FoodQueryWidget::_selectSearchText()
{
    _searchLineEdit->selectAll();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::searchEdit_textChanged(const QString&)
{
    DragListView* list = getCurrentListview();
    const QString text = _searchLineEdit->text();
    const bool ok = text.isEmpty() ? !list->getSearch().isEmpty() : list->setSearch(text, true);
    if (!ok)
        return;
    list->setSearch(text, false);
    _viewAll = false;
    applyTerms(true);
}

void FoodQueryWidget::applyTerms(bool apply)
{
    DragListView* list = getCurrentListview();
    if (apply) {
        const bool ranked = list == foodView && !list->getSearch().isEmpty() && !_viewAll;
        const auto chosen = [](const QAbstractButton* option) {
            return option->isVisible() && option->isChecked();
        };
        const bool favorites = chosen(showFavoritesOption);
        const bool generic = !favorites && chosen(showGenericOption);
        list->setGenericOnly(generic);
        list->setRankedView(!favorites && ranked);
        list->setFavoritesOnly(favorites);
        list->applyTerms(true);
    }

    const QSignalBlocker quietAll(showAllOption);
    const QSignalBlocker quietFavorites(showFavoritesOption);
    const QSignalBlocker quietGeneric(showGenericOption);
    const QSignalBlocker quietSearch(_searchLineEdit);
    const bool optionsShown = list == foodView || list == exerciseView;
    for (QWidget* option : {static_cast<QWidget*>(showOptionLabel), static_cast<QWidget*>(showAllOption),
                            static_cast<QWidget*>(showFavoritesOption)})
        option->setVisible(optionsShown);
    showGenericOption->hide();
    if (list->getFavoritesOnly()) {
        showFavoritesOption->setChecked(true);
        _viewAll = false;
    } else {
        (list->getGenericOnly() ? showGenericOption : showAllOption)->setChecked(true);
        _viewAll = list == foodView && !list->getSearch().isEmpty() && !list->getRankedView();
    }
    const int cursor = _searchLineEdit->cursorPosition();
    _searchLineEdit->setText(list->getSearch());
    _searchLineEdit->setCursorPosition(cursor);
    if (!_searchLineEdit->hasFocus())
        _searchLineEdit->selectAll();
}

void FoodQueryWidget::tabSwitch(int index)
{
    const int page = categoryBar->tabData(index).toInt();
    DragListView* old = getCurrentListview();
    const QString oldSearch = old->getSearch();
    categoryStack->setCurrentIndex(page);
    DragListView* list = getCurrentListview();
    if (!_ownSearch && _isFoodSearch(old) == _isFoodSearch(list) && !oldSearch.isEmpty()
        && list->setSearch(oldSearch, true)) {
        applyTerms(false);
        list->setSearch(oldSearch, false);
        applyTerms(true);
    } else {
        applyTerms(false);
    }
    _selectSearchText();
    displayItem(selectedRow(list));
}

void FoodQueryWidget::_bringForward(DragListView* list)
{
    // The list's own reload showed the row when its tab is up.
    if (list == getCurrentListview())
        return;
    const int page = categoryStack->indexOf(list->parentWidget());
    for (int index = 0; index < categoryBar->count(); ++index) {
        if (categoryBar->tabData(index).toInt() == page) {
            const QScopedValueRollback own(_ownSearch, true);
            categoryBar->setCurrentIndex(index);
        }
    }
}

void FoodQueryWidget::showOptionPressed(int)
{
    _viewAll = false;
    applyTerms(true);
}

void FoodQueryWidget::viewAllClicked()
{
    _viewAll = true;
    applyTerms(true);
}

void FoodQueryWidget::escapePressed()
{
    getCurrentListview()->setSearch(QString(), false);
    _viewAll = false;
    applyTerms(true);
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FoodQueryWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    _placeChildren();
    update();
}

bool FoodQueryWidget::event(QEvent* event)
{
    // The body asks for more room when a figure of the detail panel grows: it gets it, so
    // that no figure is cut.
    if (event->type() == QEvent::LayoutRequest)
        _placeChildren();
    return QFrame::event(event);
}

int FoodQueryWidget::_bodyTop() const
{
    const int overlap = frameWidth() + container->lineWidth()
                        + style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, categoryBar);
    return categoryBar->sizeHint().height() - overlap;
}

QSize FoodQueryWidget::sizeHint() const
{
    const QSize body = container->sizeHint();
    return {std::max(body.width(), categoryBar->naturalWidth()), body.height() + _bodyTop()};
}

void FoodQueryWidget::_placeChildren()
{
    const int top = _bodyTop();
    categoryBar->setGeometry(0, 0, width(), categoryBar->sizeHint().height());
    container->setGeometry(0, top, width(), height() - top);
    const QSize body = container->minimumSizeHint();
    setMinimumSize(std::max(body.width(), categoryBar->minimumSizeHint().width()), body.height() + top);
}

void FoodQueryWidget::displayItem(QTreeWidgetItem* item)
{
    updateEditMenu();
    DragListView* list = getCurrentListview();
    const FoodViewItem* row = FoodViewItem::from(item);
    const unsigned char type = row ? row->type : 0;
    const int shown = SavedMealItemFlag | RecipeItemFlag | FoodItemFlag | ExerciseItemFlag;
    if (!row || row != selectedRow(list) || (type & CategoryItemFlag) || !(type & shown)) {
        _letGo();
        return;
    }
    // An item that could not be read is not shown, nor is the one shown before kept instead.
    if (!_show(list, type, row->id, row->text(0)))
        _letGo();
}

std::optional<bool> FoodQueryWidget::_show(DragListView* list, unsigned char type, qint64 id,
                                           const QString& name)
{
    // Only what lives in the diary is read (one wait, then Retry or Cancel while another
    // program holds it): an item of the shipped catalogue and its favourite mark are known
    // without it.
    if (type & SavedMealItemFlag)
        return _showSavedMeal(id, name);
    if (type & RecipeItemFlag)
        return _showRecipe(id);
    if (type & FoodItemFlag)
        return _showFood(list, type, id);
    return _showExercise(list, type, id);
}

void FoodQueryWidget::_letGo()
{
    foodWidget->clear();
    exerciseWidget->clear();
    displayStack->setCurrentIndex(NothingPage);
}

std::optional<bool> FoodQueryWidget::_showSavedMeal(qint64 mealId, const QString& name)
{
    using namespace DBTypes;
    // A meal that could not be read leaves the panel as it was.
    std::optional<FoodItem> read;
    if (!StorePrompt::read(this, [&] { read = SavedMealDB::instance()->getSavedMealAsFoodItem(mealId); }))
        return std::nullopt;
    if (!read) {
        _letGo();
        return false;
    }
    const FoodItem& values = *read;
    const auto value = [&values](NutType nut) { return double(values.getNutrient(nut)); };
    foodWidget->setCustomButtonShown(true, tr("Copy To My Foods"));
    foodWidget->setFavoritesEnabled(false);
    foodWidget->setSavedMeal(name, value(ENERGY), value(FAT), value(PROTEIN), value(CARBS),
                             value(FIBER), value(SUGAR), value(SATFAT), value(CHOLESTEROL),
                             value(SODIUM), value(CALCIUM), mealId);
    displayStack->setCurrentIndex(FoodPage);
    return true;
}

std::optional<bool> FoodQueryWidget::_showRecipe(qint64 recipeId)
{
    RecipeProxyDB* recipes = RecipeProxyDB::instance(true);
    DBTypes::FoodDiaryItem entry;
    if (!recipes || !recipes->loadRecipeIntoFDI(entry, recipeId))
        return std::nullopt;
    foodWidget->setCustomButtonShown(false, QString());
    foodWidget->setFavoritesEnabled(false);
    foodWidget->setFoodItem(entry);
    displayStack->setCurrentIndex(FoodPage);
    return true;
}

std::optional<bool> FoodQueryWidget::_showFood(const DragListView* list, unsigned char type, qint64 id)
{
    const bool custom = type & CustomItemFlag;
    bool found = false;
    if (!_readRow(custom, [&] { found = foodWidget->setFood(id); }))
        return std::nullopt;
    foodWidget->setCustomButtonShown(custom, tr("Duplicate Food"));
    const std::optional<bool> favorite = _heldFavorite(list, id);
    // Not offered while the list does not hold whether the food is a favourite.
    foodWidget->setFavoritesEnabled(!custom && favorite);
    foodWidget->setIsFavorite(!favorite.value_or(false));
    displayStack->setCurrentIndex(FoodPage);
    return found;
}

std::optional<bool> FoodQueryWidget::_heldFavorite(const DragListView* list, qint64 id)
{
    return list ? list->heldFavorite(id) : std::nullopt;
}

bool FoodQueryWidget::_readRow(bool custom, const std::function<void()>& show)
{
    if (!custom) {
        show();
        return true;
    }
    return StorePrompt::read(this, show);
}

std::optional<bool> FoodQueryWidget::_showExercise(const DragListView* list, unsigned char type, qint64 id)
{
    const bool custom = type & CustomItemFlag;
    bool found = false;
    if (!_readRow(custom, [&] { found = exerciseWidget->setExercise(id); }))
        return std::nullopt;
    exerciseWidget->setDuplicateButtonShown(custom);
    const std::optional<bool> favorite = _heldFavorite(list, id);
    exerciseWidget->setFavoritesEnabled(!custom && favorite);
    exerciseWidget->setIsFavorite(!favorite.value_or(false));
    displayStack->setCurrentIndex(ExercisePage);
    return found;
}

void FoodQueryWidget::updateEditMenu()
{
    emit editStateChanged();
}

int FoodQueryWidget::editState() const
{
    const FoodViewItem* row = selectedRow(getCurrentListview());
    int type = row ? row->type : 0;
    const bool userCategory =
        (type & CategoryItemFlag) && (type & (CustomItemFlag | SavedMealItemFlag));
    if (userCategory && !(row->flags() & Qt::ItemIsDragEnabled))
        type = 0;
    const int code = currentTabCode();
    return int((quint32(quint16(code)) << 16) | quint32(type));
}

void FoodQueryWidget::updateSavedMealButtons(QTreeWidgetItem* item)
{
    const FoodViewItem* row = FoodViewItem::from(item);
    if (!row || (row->type & CategoryItemFlag)) {
        savedMealDelete->setEnabled(false);
        savedMealEdit->setEnabled(false);
    } else if (row->type & SavedMealItemFlag) {
        savedMealDelete->setEnabled(true);
        savedMealEdit->setEnabled(true);
    } else {
        qDebug("Error: updateSavedMealButtons() - Being passed an item that is not a saved meal?");
    }
}

void FoodQueryWidget::setSnackDisplay(int snackDisplay)
{
    _snackDisplay = snackDisplay;
    foodWidget->setSnackDisplay(snackDisplay);
    for (DragListView* list :
         {foodView, exerciseView, myfoodView, myexerciseView, savedMealView, recipesView})
        list->setSnackDisplay(snackDisplay);
}

void FoodQueryWidget::addMenuAboutToShow()
{
    const bool snacks = _snackDisplay != 0;
    const QList<QAction*> items = _saveMealMenu->actions();
    items[1]->setVisible(snacks);
    items[3]->setVisible(snacks);
}
