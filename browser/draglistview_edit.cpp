// The user actions of the browser lists: keys, the context menu and its actions, dragging
// rows out, moving rows within a list, and diary entries dropped on a list.

#include "browser/draglistview.h"

#include "widgets/shownday.h"
#include "browser/addfooddialog.h"
#include "browser/browseritemflags.h"
#include "browser/foodviewitem.h"
#include "catalogue/browsabledb.h"
#include "catalogue/dynamicdb.h"
#include "catalogue/exdb.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/recipeproxydb.h"
#include "catalogue/savedmealtree.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/numberparser.h"
#include "core/plausiblerange.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>

#include <memory>

namespace {

// Keys closer together than this only move through the list.
constexpr qint64 KEY_REPEAT_MS = 30;

// Menu ids of the actions.
enum MenuId {
    CreateFood = 0, CreateExercise = 1, EditFood = 2, EditExercise = 3, DeleteFood = 4,
    DeleteExercise = 5, CreateFoodCategory = 6, CreateExerciseCategory = 7,
    FoodToBreakfast = 10, FoodToSnack2 = 21, FoodToSnack6 = 25, AddExercise = 30,
    RemoveFoodCategory = 40, RemoveExerciseCategory = 41, RenameFoodCategory = 42,
    RenameExerciseCategory = 43, MealToBreakfast = 60, MealToSnack6 = 65, RenameMeal = 80,
    DeleteMeal = 81, MealToMyFoods = 82, FoodToMyFoods = 100, ExerciseToMyExercises = 101,
    MarkFavorite = 102, UnmarkFavorite = 110, RecipeToBreakfast = 120, RecipeToSnack6 = 125
};

// The texts of the six add-to-meal entries of a menu, by meal group 1 to 6, and the snack
// texts: one group (display 0), evening snack (display 1), numbered (display 2).
struct MealTexts
{
    const char* meals[6];
    const char* snack;
    const char* numbered[3];
};

constexpr MealTexts FOOD_TEXTS = {
    {QT_TRANSLATE_NOOP("DragListView", "Add food to breakfast"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to morning snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to lunch"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to afternoon snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to dinner"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to evening snack")},
    QT_TRANSLATE_NOOP("DragListView", "Add food to snack"),
    {QT_TRANSLATE_NOOP("DragListView", "Add food to snack #1"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to snack #2"),
     QT_TRANSLATE_NOOP("DragListView", "Add food to snack #3")}};

constexpr MealTexts MEAL_TEXTS = {
    {QT_TRANSLATE_NOOP("DragListView", "Add meal to breakfast"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to morning snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to lunch"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to afternoon snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to dinner"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to evening snack")},
    QT_TRANSLATE_NOOP("DragListView", "Add meal to snack"),
    {QT_TRANSLATE_NOOP("DragListView", "Add meal to snack #1"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to snack #2"),
     QT_TRANSLATE_NOOP("DragListView", "Add meal to snack #3")}};

constexpr MealTexts RECIPE_TEXTS = {
    {QT_TRANSLATE_NOOP("DragListView", "Add recipe to breakfast"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to morning snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to lunch"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to afternoon snack"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to dinner"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to evening snack")},
    QT_TRANSLATE_NOOP("DragListView", "Add recipe to snack"),
    {QT_TRANSLATE_NOOP("DragListView", "Add recipe to snack #1"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to snack #2"),
     QT_TRANSLATE_NOOP("DragListView", "Add recipe to snack #3")}};

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

// The meal group (1 to 6) of a menu id of a block of six that starts at first.
int mealOfId(int id, int first)
{
    return id - first + 1;
}

// Adds the add-to-meal entries of a snack display through add(text, meal group).
template <typename Add>
void addMealEntries(const MealTexts& texts, int snackDisplay, Add add)
{
    const bool between = snackDisplay == DBTypes::SNACKS_BETWEEN_MEALS;
    add(texts.meals[0], 1);
    if (between)
        add(texts.meals[1], 2);
    add(texts.meals[2], 3);
    if (between)
        add(texts.meals[3], 4);
    add(texts.meals[4], 5);
    if (snackDisplay == DBTypes::SNACKS_TOGETHER) {
        add(texts.snack, 6);
    } else if (between) {
        add(texts.meals[5], 6);
    } else if (snackDisplay == DBTypes::SNACKS_NUMBERED) {
        add(texts.numbered[0], 2);
        add(texts.numbered[1], 4);
        add(texts.numbered[2], 6);
    }
}

// A food's values for a custom food: kind and quantity are the store's own.
DBTypes::FoodItem eatenValues(const DBTypes::FoodDiaryItem& entry)
{
    DBTypes::FoodItem values = entry.values;
    values.quantity = 0.0f;
    values.kind = 'B';
    return values;
}

} // namespace

// ---- keys -------------------------------------------------------------------------------

void DragListView::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    const qint64 now = Clock::now().toMSecsSinceEpoch();
    // A key that the in-place rename's editor passed on (Return ending the rename, say) is the
    // editor's, never a command on the row.
    if (state() != EditingState && now - _lastKeyMs > KEY_REPEAT_MS)
        _handleKey(event->key());
    QTreeWidget::keyPressEvent(event);
    _lastKeyMs = now;
}

void DragListView::_handleKey(int key)
{
    const bool foods = _parentName == QLatin1String("tabMyFoods");
    const bool exercises = _parentName == QLatin1String("tabMyExercises");
    const bool meals = _parentName == QLatin1String("tabSaveMeals");
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (foods)
            emit removeFood();
        else if (exercises)
            emit removeExercise();
        else if (meals)
            emit deleteSavedMeal();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (foods)
            emit editFood();
        else if (exercises)
            emit editExercise();
        else if (meals)
            emit editSavedMeal();
        break;
    case Qt::Key_Insert:
        if (foods || exercises)
            _askCreate(foods);
        break;
    default:
        break;
    }
}

void DragListView::_askCreate(bool food)
{
    const QStringList buttons = food ? QStringList{tr("New Food Item"), tr("New Food Category"), tr("Cancel")}
                                     : QStringList{tr("New Exercise"), tr("New Exercise Category"), tr("Cancel")};
    const int answer = Prompter::instance()->choice(this, QMessageBox::Question, tr("Create Entry"),
                                                    tr("Which item do you wish to create?"),
                                                    buttons, 0, 2);
    if (answer == 0)
        food ? emit insertNewFoodItem() : emit insertNewExerciseItem();
    else if (answer == 1)
        food ? emit insertNewFoodCat() : emit insertNewExerciseCat();
}

// ---- context menu -----------------------------------------------------------------------

void DragListView::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* row = itemAt(event->pos());
    emit contextMenuRequested(row, event->globalPos(), 0);
}

void DragListView::showContextMenu(QTreeWidgetItem* item, const QPoint& globalPos, int /*column*/)
{
    FoodViewItem* row = FoodViewItem::from(item);
    if (!row || row->type == (SavedMealItemFlag | CategoryItemFlag))
        return;
    setCurrentItem(row);
    _contextMenu->clear();
    // The menu is built from what the list holds: opening it never reads the diary.
    _fillMenu(row, _snackDisplay);
    if (_contextMenu->actions().isEmpty())
        return;
    QAction* chosen = Prompter::instance()->popup(_contextMenu, globalPos);
    if (chosen && !chosen->isSeparator())
        handleContextMenu(chosen->data().toInt());
}

void DragListView::_addMenuEntry(const QString& text, int id)
{
    QAction* action = _contextMenu->addAction(text);
    action->setData(id);
}

void DragListView::_addFavoriteEntry(const FoodViewItem* row)
{
    // Nothing is offered to mark or unmark while the list does not hold the user's favourites.
    const std::optional<bool> held = heldFavorite(row->id);
    if (!held)
        return;
    const bool favorite = *held;
    QAction* action = _contextMenu->addAction(
        tr("Marked as %1").arg(BrandEngine::instance()->getString("spelling_favorite")));
    action->setCheckable(true);
    action->setChecked(favorite);
    action->setData(favorite ? UnmarkFavorite : MarkFavorite);
}

void DragListView::_fillMenu(const FoodViewItem* row, int snackDisplay)
{
    const unsigned char type = row->type;
    const bool category = type & CategoryItemFlag;
    const bool custom = type & CustomItemFlag;
    // Roots cannot be renamed or removed: each user's own root and the shared root.
    const bool root = row->id >= DynamicDB::USER_ROOT_BASE;
    if (type & SavedMealItemFlag) {
        addMealEntries(MEAL_TEXTS, snackDisplay, [this](const char* text, int meal) {
            _addMenuEntry(tr(text), MealToBreakfast + meal - 1);
        });
        _contextMenu->addSeparator();
        _addMenuEntry(tr("Create in My Foods"), MealToMyFoods);
        _contextMenu->addSeparator();
        _addMenuEntry(tr("Rename Meal"), RenameMeal);
        _addMenuEntry(tr("Delete Meal"), DeleteMeal);
    } else if (type & RecipeItemFlag) {
        addMealEntries(RECIPE_TEXTS, snackDisplay, [this](const char* text, int meal) {
            _addMenuEntry(tr(text), RecipeToBreakfast + meal - 1);
        });
    } else if ((type & FoodItemFlag) && !category) {
        addMealEntries(FOOD_TEXTS, snackDisplay, [this](const char* text, int meal) {
            _addMenuEntry(tr(text), meal == 1 ? FoodToBreakfast : FoodToSnack2 + meal - 2);
        });
        _contextMenu->addSeparator();
        if (custom) {
            _addMenuEntry(tr("&Edit food"), EditFood);
            _addMenuEntry(tr("&Delete food"), DeleteFood);
        } else {
            _addMenuEntry(tr("Add food to My Foods"), FoodToMyFoods);
            _addFavoriteEntry(row);
        }
    } else if ((type & ExerciseItemFlag) && !category) {
        _addMenuEntry(tr("Add exercise"), AddExercise);
        _contextMenu->addSeparator();
        if (custom) {
            _addMenuEntry(tr("Edit exercise"), EditExercise);
            _addMenuEntry(tr("Delete exercise"), DeleteExercise);
        } else {
            _addMenuEntry(tr("Add exercise to My Exercises"), ExerciseToMyExercises);
            _addFavoriteEntry(row);
        }
    } else if (category && custom) {
        const bool food = type & FoodItemFlag;
        _addMenuEntry(food ? tr("Create new food") : tr("Create new exercise"),
                      food ? CreateFood : CreateExercise);
        _addMenuEntry(tr("Create new category"), food ? CreateFoodCategory : CreateExerciseCategory);
        if (!root) {
            _addMenuEntry(tr("Rename category"), food ? RenameFoodCategory : RenameExerciseCategory);
            _addMenuEntry(tr("Remove category"), food ? RemoveFoodCategory : RemoveExerciseCategory);
        }
    }
}

void DragListView::handleContextMenu(int id)
{
    FoodViewItem* row = FoodViewItem::from(currentItem());
    if (!row)
        return;
    // The action may delete the row (a deleted meal reloads the list): read it first.
    const qint64 rowId = row->id;
    const unsigned char rowType = row->type;
    const QString rowText = row->text(0);
    if (_runAction(id, rowId, rowType, rowText))
        applyTerms(false);
}

// Runs a menu action on the row of that id, type and text; false when the list is to stay
// as it is.
bool DragListView::_runAction(int id, qint64 rowId, unsigned char rowType, const QString& rowText)
{
    if (_emitRowSignal(id, rowId))
        return true;
    const qint64 user = currentUser();
    if (id == FoodToBreakfast || (id >= FoodToSnack2 && id <= FoodToSnack6))
        return _addFoodThroughDialog(rowId, id == FoodToBreakfast ? 1 : id - FoodToSnack2 + 2);
    if (id >= MealToBreakfast && id <= MealToSnack6) {
        _addSavedMeal(rowId, rowType, mealOfId(id, MealToBreakfast));
    } else if (id >= RecipeToBreakfast && id <= RecipeToSnack6) {
        _addRecipe(rowId, mealOfId(id, RecipeToBreakfast));
    } else if (id == RenameMeal) {
        bool ok = false;
        const QString name = Prompter::instance()->getText(
            this, tr("Rename meal"), tr("What would you like to rename %1 to?").arg(rowText),
            QString(), &ok);
        if (ok && !name.trimmed().isEmpty())
            emit renameSavedMeal(rowId, name);
    } else if (id == MealToMyFoods) {
        emit addCustomFoodFromMeal(FoodViewItem::from(currentItem()));
    } else if (id == FoodToMyFoods) {
        // A food of My Foods that could not be read is told, never taken for a missing one.
        DBTypes::FoodDiaryItem entry;
        bool found = false;
        if (!StorePrompt::read(this, [&] { found = entry.changeFood(rowId); }) || !found)
            return true;
        emit addToCustomFoodDB(FoodDBDynamic::instance()->getRootForUser(user), entry.getDesc(),
                               entry.getServingDesc(), entry.values);
    } else if (id == ExerciseToMyExercises) {
        char today[DBTypes::DATE_CODE_SIZE] = {};
        DateToCode4(Clock::today(), today);
        // The exercise and the weight are read in one reading: the rate is never stored from a
        // weight that could not be read, nor is an exercise that could not be read let go unsaid.
        std::optional<DBTypes::ExerciseItem> exercise;
        std::optional<float> weight;
        if (!StorePrompt::read(this, [&] {
                exercise = ExDB::instance()->getExercise(rowId);
                weight = UserDB::instance()->weightForDay(user, today);
            }) || !exercise || !weight)
            return true;
        emit addToCustomExDB(ExDBDynamic::instance()->getRootForUser(user), exercise->name,
                             DBTypes::ExerciseDiaryItem::rateFor(*exercise, *weight));
    } else if (id == MarkFavorite || id == UnmarkFavorite) {
        FavoritesDB favorites(user);
        const FavoritesDB::ItemFlags flags(rowType);
        const FavoritesDB::ItemId item(rowId);
        bool marked = false;
        const bool stored = StorePrompt::change(this, tr("Favorites"), [&] {
            if (id == UnmarkFavorite)
                return favorites.removeFavorite(flags, item);
            marked = favorites.canBeFavorite(flags, item);
            return !marked || favorites.addFavorite(flags, item);
        });
        if (stored)
            keepFavorite(rowId, marked);
        emit selectionChanged(currentItem());
    }
    return true;
}

bool DragListView::_emitRowSignal(int id, qint64 rowId)
{
    switch (id) {
    case CreateFood: emit addCustomFood(rowId); return true;
    case CreateExercise: emit addCustomEx(rowId); return true;
    case EditFood: emit editCustomFood(rowId); return true;
    case EditExercise: emit editCustomEx(rowId); return true;
    case DeleteFood: emit removeCustomFood(rowId); return true;
    case DeleteExercise: emit removeCustomEx(rowId); return true;
    case CreateFoodCategory: emit addCustomFoodCategory(rowId); return true;
    case CreateExerciseCategory: emit addCustomExCategory(rowId); return true;
    case AddExercise: emit doExerciseDialog(rowId); return true;
    case RemoveFoodCategory: emit removeCustomFoodCategory(rowId); return true;
    case RemoveExerciseCategory: emit removeCustomExCategory(rowId); return true;
    case RenameFoodCategory: emit editCustomFoodCategory(rowId); return true;
    case RenameExerciseCategory: emit editCustomExCategory(rowId); return true;
    case DeleteMeal: emit deleteSavedMeal(rowId); return true;
    default: return false;
    }
}

bool DragListView::_addFoodThroughDialog(qint64 foodId, int meal)
{
    std::unique_ptr<AddFoodDialog> dialog(AddFoodDialog::construct(this));
    dialog->setFood(foodId);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    DBTypes::FoodDiaryItem entry = dialog->getFoodDiaryItem();
    entry.meal = meal;
    emit addContextFood(entry);
    return true;
}

void DragListView::_addSavedMeal(qint64 mealId, unsigned char rowType, int meal)
{
    const PlausibleRange servings = PlausibleRange::of(PlausibleRange::MealServings);
    bool ok = false;
    const double factor = Prompter::instance()->getDouble(
        this, tr("Number of serves"), tr("Please select number of servings"), 1.0,
        servings.bottom(), servings.top(), 2, &ok, QString(), tr("Servings"));
    if (!ok || !servings.contains(factor) || !(rowType & SavedMealItemFlag))
        return;
    std::optional<std::vector<DBTypes::FoodDiaryItem>> entries;
    if (!StorePrompt::read(this, [&] { entries = SavedMealDB::instance()->getSavedMealItems(mealId); })
        || !entries)
        return;
    for (DBTypes::FoodDiaryItem& entry : *entries) {
        entry.meal = meal;
        entry.values.scaleValues(float(factor));
        entry.size *= float(factor);
    }
    emit addContextMeal(*entries);
}

void DragListView::_addRecipe(qint64 recipeId, int meal)
{
    DBTypes::FoodDiaryItem entry;
    RecipeProxyDB* recipes = RecipeProxyDB::instance(true);
    if (!recipes || !recipes->loadRecipeIntoFDI(entry, recipeId)) {
        Prompter::warning(this, tr("Add recipe - error"),
                          tr("Sorry, we couldn't fetch recipe details for that recipe."));
        return;
    }
    std::unique_ptr<AddFoodDialog> dialog(AddFoodDialog::construct(this));
    dialog->setFoodItem(entry);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    entry = dialog->getFoodDiaryItem();
    dialog.reset();
    if (!accepted)
        return;
    entry.meal = meal;
    emit addContextFood(entry);
}

// ---- dragging and dropping --------------------------------------------------------------

FoodViewItem* DragListView::startDragRow()
{
    FoodViewItem* row = FoodViewItem::from(selectedItems().value(0));
    if (row && (row->flags() & Qt::ItemIsDragEnabled))
        _dragItem = row;
    else
        row = nullptr;
    return row;
}

void DragListView::startDrag(Qt::DropActions /*supportedActions*/)
{
    FoodViewItem* row = startDragRow();
    if (!row)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(new ItemDrag(row->id, row->type));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

bool DragListView::dragDestIsNotChild(QTreeWidgetItem* target) const
{
    if (!_dragItem || !target)
        return true;
    for (QTreeWidgetItem* above = target->parent(); above; above = above->parent()) {
        if (above == _dragItem)
            return false;
    }
    return true;
}

bool DragListView::_catalogueTakes(unsigned char payloadType) const
{
    const bool customFoods = dynamic_cast<FoodDBDynamic*>(_db);
    const bool customExercises = dynamic_cast<ExDBDynamic*>(_db);
    const bool savedMeals = dynamic_cast<SavedMealTree*>(_db);
    if (payloadType & FoodItemFlag)
        return customFoods || savedMeals;
    if (payloadType & ExerciseItemFlag)
        return customExercises;
    if (payloadType & SavedMealItemFlag)
        return savedMeals;
    return false;
}

bool DragListView::canDrop(const QMimeData* mime, const QObject* source, QTreeWidgetItem* target)
{
    // Only this list's rows and the diary list's entries may be dropped here.
    const bool local = source == this;
    const bool fromDiary = source && source->objectName() == QLatin1String("mealView");
    if (!local && !fromDiary)
        return false;
    if (!ItemDrag::decode(mime, _payload))
        return false;
    FoodViewItem* row = FoodViewItem::from(target);
    if (!row || !(row->type & CategoryItemFlag) || !dragDestIsNotChild(row))
        return false;
    if (local && row == _dragItem)
        return false;
    return _catalogueTakes(_payload.type);
}

bool DragListView::dropPayload(const QMimeData* mime, const QObject* source, QTreeWidgetItem* target)
{
    if (!canDrop(mime, source, target))
        return false;
    FoodViewItem* row = FoodViewItem::from(target);
    if (source == this)
        _doLocalItemDrag(row);
    else
        _doDiaryItemDrag(row);
    return true;
}

void DragListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() && event->mimeData()->hasFormat(ItemDrag::mimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DragListView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint position = event->position().toPoint();
    QTreeWidgetItem* target = itemAt(position);
    if (!target && topLevelItemCount() > 0)
        target = topLevelItem(topLevelItemCount() - 1);
    if (!target) {
        QTreeWidget::dragMoveEvent(event);
        return;
    }
    QTreeWidget::dragMoveEvent(event);
    if (canDrop(event->mimeData(), event->source(), target))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DragListView::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    if (!target && topLevelItemCount() > 0)
        target = topLevelItem(topLevelItemCount() - 1);
    if (dropPayload(event->mimeData(), event->source(), target))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DragListView::_doLocalItemDrag(FoodViewItem* target)
{
    const FoodViewItem* dragged = locateFvi(_payload.id, _payload.type & CategoryItemFlag, nullptr);
    const QString draggedName = dragged ? dragged->text(0).toHtmlEscaped() : QString();
    const QString targetName = target ? target->text(0).toHtmlEscaped() : tr("[ROOT]");
    // A meal that holds private foods is of no use to another owner: say so before the move.
    QStringList privateFoods;
    if ((_payload.type & SavedMealItemFlag) && target && !StorePrompt::read(this, [&] {
            privateFoods = SavedMealDB::instance()
                               ->foodsPrivateFrom(_payload.id, target->id)
                               .value_or(QStringList());
        }))
        return;
    const QString text = privateFoods.isEmpty()
        ? tr("Are you sure you want to move <b>%1</b> to <b>%2</b>?").arg(draggedName, targetName)
        : tr("<b>%1</b> holds private foods (%3) that other users cannot add to their diaries, "
             "so they will not be able to add this meal. Move it to <b>%2</b> anyway?")
              .arg(draggedName, targetName, privateFoods.join(QStringLiteral(", ")).toHtmlEscaped());
    const QMessageBox::StandardButton answer = Prompter::instance()->message(
        this, privateFoods.isEmpty() ? QMessageBox::Question : QMessageBox::Warning,
        tr("Move here?"), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
        QMessageBox::No);
    if (answer == QMessageBox::No)
        return;
    auto* store = dynamic_cast<DynamicDB*>(_db);
    if (!store || !target)
        return;
    _expanded.insert(target->id);
    const bool category = _payload.type & CategoryItemFlag;
    StorePrompt::change(
        this, tr("Move here?"),
        [&] {
            return category ? store->reparentItemCategory(_payload.id, target->id)
                            : store->reparentItem(_payload.id, target->id);
        },
        category ? tr("<b>%1</b> cannot be moved into <b>%2</b>: a category cannot go into "
                      "itself or one of its own categories.")
                       .arg(draggedName, targetName)
                 : tr("<b>%1</b> could not be moved to <b>%2</b>.").arg(draggedName, targetName));
}

void DragListView::_doDiaryItemDrag(FoodViewItem* target)
{
    if (_payload.type & FoodItemFlag)
        _diaryFoodDrop(target);
    else
        _diaryExerciseDrop(target);
}

void DragListView::_diaryFoodDrop(FoodViewItem* target)
{
    std::optional<DBTypes::FoodDiaryItem> entry;
    if (!StorePrompt::read(this, [&] { entry = DiaryDB::instance()->getFoodEntry(currentUser(), _payload.id); })
        || !entry)
        return;
    const qint64 user = currentUser();
    const QString label = tr("What do you like to call this new item?");
    bool ok = false;
    if (_parentName == QLatin1String("tabMyFoods")) {
        const QString proposed =
            QStringLiteral("%1 x %2").arg(NumberParser::write(entry->size, 1), entry->getDesc());
        const QString name = Prompter::instance()
                                 ->getText(this, tr("Creating new MyFood Item"), label, proposed, &ok)
                                 .trimmed();
        if (!ok || name.isEmpty())
            return;
        qint64 category = FoodDBDynamic::instance()->getRootForUser(user);
        if (target) {
            category = target->id;
            _expanded.insert(category);
        }
        StorePrompt::change(this, tr("Creating new MyFood Item"), [&] {
            return FoodDBDynamic::instance()->createFood(category, name, QStringLiteral("serving"),
                                                         eatenValues(*entry))
                >= 0;
        }, tr("%1 could not be added to My Foods.").arg(name));
        return;
    }
    // A diary food on the saved meals makes a new meal, whichever row it was dropped on:
    // category rows are roots, whose ids are no meals.
    const QString name = Prompter::instance()
                             ->getText(this, tr("Creating new Saved Meal Item"), label, entry->getDesc(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    DBTypes::FoodDiaryItem item = *entry;
    item.entryId = -1;
    StorePrompt::change(this, tr("Creating new Saved Meal Item"), [&] {
        return SavedMealDB::instance()->storeMeal(user, -1, name.toStdString(), {item}, true) >= 0;
    }, tr("%1 could not be added to the saved meals.").arg(name));
}

void DragListView::_diaryExerciseDrop(FoodViewItem* target)
{
    std::optional<DBTypes::ExerciseDiaryItem> entry;
    if (!StorePrompt::read(this, [&] { entry = DiaryDB::instance()->getExerciseEntry(currentUser(), _payload.id); })
        || !entry)
        return;
    bool ok = false;
    const QString name = Prompter::instance()
                             ->getText(this, tr("Creating new MyExercise Item"),
                                       tr("What do you like to call this new item?"), entry->name, &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    qint64 category = ExDBDynamic::instance()->getRootForUser(currentUser());
    if (target) {
        category = target->id;
        _expanded.insert(category);
    }
    StorePrompt::change(this, tr("Creating new MyExercise Item"), [&] {
        return ExDBDynamic::instance()->createExercise(category, name, entry->rate) >= 0;
    }, tr("%1 could not be added to My Exercises.").arg(name));
}
