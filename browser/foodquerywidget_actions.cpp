// The browser panel's actions on the user's own data: custom foods, custom exercises and
// their categories, copies into them, favourites and saved meals.

#include "browser/foodquerywidget.h"

#include "widgets/shownday.h"
#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/editexdialog.h"
#include "browser/editfooddialog.h"
#include "browser/exercisewidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace {

const QString HELP_TOPIC = QStringLiteral("browser-myfoods.html");

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

FoodViewItem* selectedRow(const DragListView* list)
{
    return FoodViewItem::from(list->selectedItems().value(0));
}

// The name a list shows for a category: what the panel holds, with nothing read.
QString shownName(DragListView* list, qint64 category)
{
    const FoodViewItem* row = list->locateFvi(category, true, nullptr);
    return row ? row->text(0) : QString();
}

// Asks for a category name; empty optional when the user cancels.
std::optional<QString> askCategoryName(QWidget* parent, const QString& caption,
                                       const QString& text)
{
    bool ok = false;
    const QString name =
        Prompter::instance()->getText(parent, caption,
                                      FoodQueryWidget::tr("Enter a name for this category:"),
                                      text, &ok, HELP_TOPIC);
    if (!ok)
        return std::nullopt;
    return name;
}

} // namespace

bool FoodQueryWidget::_isRoot(qint64 categoryId)
{
    return categoryId >= DynamicDB::USER_ROOT_BASE;
}

void FoodQueryWidget::dynamicButtonPushed()
{
    const auto* button = qobject_cast<const QPushButton*>(sender());
    Q_ASSERT(button);
    const QWidget* page = button->parentWidget();
    DragListView* list = page->findChild<DragListView*>();
    Q_ASSERT_X(page == tabMyFoods || page == tabMyExercises || page == tabSaveMeals,
               "dynamicButtonPushed", "button on a page with a list");
    qint64 root = 0;
    if (page == tabMyFoods)
        root = FoodDBDynamic::instance()->getRootForUser(currentUser());
    else if (page == tabMyExercises)
        root = ExDBDynamic::instance()->getRootForUser(currentUser());
    const FoodViewItem* row = selectedRow(list);
    const bool cat = row && (row->type & CategoryItemFlag);
    const qint64 id = row ? row->id : 0;
    const qint64 target = cat ? id : root;

    if (button == myFoodNewCat)
        addCustomFoodCategory(target);
    else if (button == myFoodNewItem)
        addCustomFood(target);
    else if (button == myExNewCat)
        addCustomExCategory(target);
    else if (button == myExNewItem)
        addCustomEx(target);
    else if (row && button == myFoodEdit)
        cat ? editCustomFoodCategory(id) : editCustomFood(id);
    else if (row && button == myFoodDelete)
        cat ? removeCustomFoodCategory(id) : removeCustomFood(id);
    else if (row && button == myExEdit)
        cat ? editCustomExCategory(id) : editCustomEx(id);
    else if (row && button == myExDelete)
        cat ? removeCustomExCategory(id) : removeCustomEx(id);
    else if (row && !cat && button == savedMealDelete)
        deleteSavedMeal(id);
    else if (row && !cat && button == savedMealEdit)
        _renameSelectedMeal(row);

    if (row)
        list->keepExpanded(id);
    updateEditMenu();
}

void FoodQueryWidget::addCustomFood(qint64 category)
{
    QString name = tr("New food");
    QString servingName = tr("Serving");
    DBTypes::FoodItem values;
    const std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(this));
    dialog->bindToFood(name, servingName, values);
    if (dialog->exec() != 1)
        return;
    myfoodView->keepExpanded(category);
    _store([&] { return FoodDBDynamic::instance()->createFood(category, name, servingName, values) >= 0; });
}

void FoodQueryWidget::editCustomFood(qint64 id)
{
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    std::optional<DBTypes::FoodItem> values;
    std::vector<DBTypes::ServingItem> servings;
    QString name;
    if (!StorePrompt::read(this, [&] {
            values = foods->getFoodItem(id);
            servings = foods->getServingItemList(id);
            name = foods->getFoodName(id);
        }) || !values || servings.empty())
        return;
    QString servingName = servings.front().name;
    const std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(this));
    dialog->bindToFood(name, servingName, *values);
    if (dialog->exec() == 1)
        _store([&] { return foods->updateFood(id, name, servingName, *values); });
}

void FoodQueryWidget::removeCustomFood(qint64 id)
{
    if (promptDelete())
        _store([&] { return FoodDBDynamic::instance()->deleteFood(id); });
}

void FoodQueryWidget::addCustomEx(qint64 category)
{
    DBTypes::ExerciseItem exercise;
    exercise.name = tr("New exercise");
    const std::unique_ptr<EditExDialog> dialog(EditExDialog::construct(this));
    dialog->bindToEx(exercise);
    if (dialog->exec() != 1)
        return;
    myexerciseView->keepExpanded(category);
    _store([&] { return ExDBDynamic::instance()->createExercise(category, exercise.name, exercise.offset) >= 0; });
}

void FoodQueryWidget::editCustomEx(qint64 id)
{
    std::optional<DBTypes::ExerciseItem> exercise;
    if (!StorePrompt::read(this, [&] { exercise = ExDBDynamic::instance()->getExercise(id); }) || !exercise)
        return;
    const std::unique_ptr<EditExDialog> dialog(EditExDialog::construct(this));
    dialog->bindToEx(*exercise);
    if (dialog->exec() == 1)
        _store([&] { return ExDBDynamic::instance()->updateExercise(id, exercise->name, exercise->offset); });
}

void FoodQueryWidget::removeCustomEx(qint64 id)
{
    if (promptDelete())
        _store([&] { return ExDBDynamic::instance()->deleteExercise(id); });
}

void FoodQueryWidget::addCustomFoodCategory(qint64 parent)
{
    const auto name = askCategoryName(this, tr("New category"), tr("New category"));
    if (!name)
        return;
    myfoodView->keepExpanded(parent);
    _store([&] { return FoodDBDynamic::instance()->createCategory(parent, *name, -1) >= 0; });
}

void FoodQueryWidget::addCustomExCategory(qint64 parent)
{
    const auto name = askCategoryName(this, tr("New category"), tr("New Category"));
    if (!name)
        return;
    myexerciseView->keepExpanded(parent);
    _store([&] { return ExDBDynamic::instance()->createCategory(parent, *name, -1) >= 0; });
}

void FoodQueryWidget::editCustomFoodCategory(qint64 id)
{
    if (_isRoot(id))
        return;
    if (const auto name = askCategoryName(this, tr("Edit Category Name"), shownName(myfoodView, id)))
        _store([&] { return FoodDBDynamic::instance()->updateCategory(id, *name); });
}

void FoodQueryWidget::editCustomExCategory(qint64 id)
{
    if (_isRoot(id))
        return;
    if (const auto name = askCategoryName(this, tr("Edit Category Name"), shownName(myexerciseView, id)))
        _store([&] { return ExDBDynamic::instance()->updateCategory(id, *name); });
}

void FoodQueryWidget::removeCustomFoodCategory(qint64 id)
{
    if (!_isRoot(id) && promptDelete())
        _store([&] { return FoodDBDynamic::instance()->deleteCategory(id, true); });
}

void FoodQueryWidget::removeCustomExCategory(qint64 id)
{
    if (_isRoot(id) || !promptDelete())
        return;
    ExDBDynamic* exercises = ExDBDynamic::instance();
    // The tree the panel holds tells whether anything is inside, so that the question comes
    // first and the deletion is one change. An empty category that another program filled
    // meanwhile is refused, and stays.
    const bool filled = exercises->hasChildren(id, 0, 0);
    if (filled
        && Prompter::instance()->choice(
               this, QMessageBox::Warning, tr("Delete category"),
               tr("Deleting this category will also delete any exercises and categories inside it.\n\n"
                  "Are you sure you want to do this?"),
               {tr("Yes"), tr("No")}, 1, 1)
            != 0)
        return;
    _store([&] { return exercises->deleteCategory(id, filled); });
}

bool FoodQueryWidget::promptDelete()
{
    const FoodViewItem* row = selectedRow(getCurrentListview());
    if (!row)
        return false;
    const bool category = row->type & CategoryItemFlag;
    const QString extra =
        category ? tr("\nDeleting this category will also delete any items inside.") : QString();
    const QString what = (row->type & FoodItemFlag) ? tr("food") : tr("exercise");
    const QString kind = category ? tr("category") : QString();
    return Prompter::instance()->message(this, QMessageBox::Question,
                                         tr("Delete %1 %2").arg(what, kind),
                                         tr("Are you sure you want to do this?%1").arg(extra),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                                         QMessageBox::No)
           == QMessageBox::Yes;
}

void FoodQueryWidget::listItemRenamed(QTreeWidgetItem* item, int, const QString& newName)
{
    const FoodViewItem* row = FoodViewItem::from(item);
    Q_ASSERT_X(row, "listItemRenamed", "fvi");
    auto* list = static_cast<DragListView*>(item->treeWidget());
    const qint64 id = row->id;
    const bool category = row->type & CategoryItemFlag;
    bool stored = false;
    if (list == savedMealView) {
        if (!category)
            renameSavedMeal(id, newName);
        return;
    }
    if (list == myfoodView) {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        // The food is read inside the change, which then waits once.
        stored = category ? _store([&] { return foods->updateCategory(id, newName); }) : _store([&] {
            const auto values = foods->getFoodItem(id);
            const std::vector<DBTypes::ServingItem> servings = foods->getServingItemList(id);
            return values && !servings.empty() && foods->updateFood(id, newName, servings.front().name, *values);
        });
    } else if (list == myexerciseView) {
        ExDBDynamic* exercises = ExDBDynamic::instance();
        stored = category ? _store([&] { return exercises->updateCategory(id, newName); }) : _store([&] {
            const auto exercise = exercises->getExercise(id);
            return exercise && exercises->updateExercise(id, newName, exercise->offset);
        });
    }
    // The row shows the name once it is stored; the store's reload may have rebuilt the list.
    if (FoodViewItem* renamed = stored ? list->locateFvi(id, category, nullptr) : nullptr)
        renamed->setText(0, newName);
}

bool FoodQueryWidget::_store(const std::function<bool()>& change)
{
    return StorePrompt::change(this, QString(), change, tr("The change could not be stored."));
}

void FoodQueryWidget::_announceCopy(const std::function<int()>& create, const QString& caption,
                                    const QString& text)
{
    if (StorePrompt::change(this, tr("Not added"), [&create] { return create() >= 0; },
                            tr("Sorry, it could not be stored.")))
        Prompter::information(this, caption, text);
}

void FoodQueryWidget::createCustomFoodFromStatic(const qint64 category, const QString& name,
                                                 const QString& servingName,
                                                 const DBTypes::FoodItem& values)
{
    _announceCopy([&] { return FoodDBDynamic::instance()->createFood(category, name, servingName, values); },
                  tr("Food added"), tr("%1 has been added to My Foods").arg(name));
}

void FoodQueryWidget::createCustomExerciseFromStatic(const qint64 category, const QString& name,
                                                     const float rate)
{
    _announceCopy([&] { return ExDBDynamic::instance()->createExercise(category, name, rate); },
                  tr("Exercise added"), tr("%1 has been added to My Exercises").arg(name));
}

void FoodQueryWidget::addCustomFoodFromMeal(FoodViewItem* row)
{
    if (!row)
        return;
    const qint64 mealId = row->id;
    const QString name = row->text(0);
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    // The meal is read inside the change: a meal that could not be read makes no food.
    _announceCopy(
        [&] {
            const std::optional<DBTypes::FoodItem> values =
                SavedMealDB::instance()->getSavedMealAsFoodItem(mealId);
            return values ? foods->createFood(foods->getRootForUser(currentUser()), name,
                                              tr("Meal"), *values)
                          : -1;
        },
        tr("Saved meal added"), tr("%1 has been added to My Foods").arg(name));
}

void FoodQueryWidget::_favoritesChanged(int listType, qint64 id, bool add)
{
    FavoritesDB favorites(currentUser());
    const FavoritesDB::ItemFlags flags(listType);
    const FavoritesDB::ItemId item(id);
    bool changed = false;
    StorePrompt::change(this, tr("Favorites"), [&] {
        changed = add ? favorites.addFavorite(flags, item) : favorites.removeFavorite(flags, item);
        return changed;
    }, tr("Sorry, your favorites could not be changed."));
    // The box shows what is stored, whatever the click asked for: a refused change left the
    // favourites, and so the list, as they were.
    const bool stored = changed == add;
    if (listType == FoodItemFlag)
        foodWidget->setIsFavorite(!stored);
    else
        exerciseWidget->setIsFavorite(!stored);
    if (changed) {
        getCurrentListview()->keepFavorite(id, add);
        getCurrentListview()->applyTerms(false);
    }
}

void FoodQueryWidget::addFoodToFavorites(qint64 id)
{
    _favoritesChanged(FoodItemFlag, id, true);
}

void FoodQueryWidget::removeFoodFromFavorites(qint64 id)
{
    _favoritesChanged(FoodItemFlag, id, false);
}

void FoodQueryWidget::addExerciseToFavorites(qint64 id)
{
    _favoritesChanged(ExerciseItemFlag, id, true);
}

void FoodQueryWidget::removeExerciseFromFavorites(qint64 id)
{
    _favoritesChanged(ExerciseItemFlag, id, false);
}

void FoodQueryWidget::_renameSelectedMeal(const FoodViewItem* row)
{
    bool ok = false;
    const QString name = Prompter::instance()->getText(
        this, tr("Rename meal"), tr("What would you like to rename %1 to?").arg(row->text(0)),
        QString(), &ok);
    if (ok && !name.trimmed().isEmpty())
        renameSavedMeal(row->id, name);
}

void FoodQueryWidget::renameSavedMeal(const qint64 mealId, const QString& newName)
{
    QTreeWidgetItem* current = savedMealView->currentItem();
    if (!current) {
        Prompter::information(this, tr("No items selected"), tr("You must select a meal first"));
        return;
    }
    // The store's reload may have rebuilt the list already.
    if (_store([&] { return SavedMealDB::instance()->renameMeal(mealId, currentUser(), newName.toStdString()); })) {
        if (QTreeWidgetItem* renamed = savedMealView->locateFvi(mealId, false, nullptr))
            renamed->setText(0, newName);
    }
    displayItem(savedMealView->currentItem());
}

void FoodQueryWidget::deleteSavedMeal(const qint64 mealId)
{
    QTreeWidgetItem* current = savedMealView->currentItem();
    if (!current) {
        Prompter::information(this, tr("No items selected"), tr("You must select a meal first"));
        return;
    }
    if (!_store([mealId] { return SavedMealDB::instance()->deleteMeal(mealId, currentUser()); }))
        return;
    // The store's reload may have rebuilt the list already.
    delete savedMealView->locateFvi(mealId, false, nullptr);
    displayItem(savedMealView->currentItem());
}

QTreeWidget* FoodQueryWidget::_diaryList() const
{
    return window()->findChild<QTreeWidget*>(QStringLiteral("mealView"));
}

qint64 FoodQueryWidget::_rowId(const QTreeWidgetItem* row)
{
    return row->data(0, Qt::UserRole).toLongLong();
}

QTreeWidgetItem* FoodQueryWidget::_diaryGroupRow(int group) const
{
    const QTreeWidget* diaryList = _diaryList();
    if (!diaryList)
        return nullptr;
    for (int i = 0; i < diaryList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = diaryList->topLevelItem(i);
        if (_rowId(row) == -group)
            return row;
    }
    return nullptr;
}

void FoodQueryWidget::createSavedMeal()
{
    const QList<QAction*> items = _saveMealMenu->actions();
    for (const int n : {0, 2, 4, 5}) {
        const QTreeWidgetItem* group = _diaryGroupRow(n + 1);
        items[n]->setEnabled(group && group->childCount() > 0 && _rowId(group->child(0)) > 0);
    }
    if (QAction* chosen = Prompter::instance()->popup(_saveMealMenu, QCursor::pos()))
        handleContextMenu(chosen->data().toInt());
}

void FoodQueryWidget::handleContextMenu(int id)
{
    if (id < 0 || id > 5)
        return;
    const QTreeWidgetItem* group = _diaryGroupRow(id + 1);
    if (!group)
        return;
    std::vector<qint64> entryIds;
    for (int i = 0; i < group->childCount() && _rowId(group->child(i)) >= 1; ++i)
        entryIds.push_back(_rowId(group->child(i)));
    if (entryIds.empty())
        return;
    bool ok = false;
    const QString name = Prompter::instance()->getText(
        this, tr("Save Meal"), tr("Please choose a name for your new saved meal"), QString(), &ok);
    if (!ok || name.trimmed().isEmpty())
        return;
    // The entries are read inside the change: a meal is stored with all of its foods or not
    // at all.
    StorePrompt::change(this, tr("Save Meal"), [&] {
        std::vector<DBTypes::FoodDiaryItem> entries;
        for (const qint64 entryId : entryIds) {
            const auto entry = DiaryDB::instance()->getFoodEntry(currentUser(), entryId);
            if (!entry)
                return false;
            entries.push_back(*entry);
        }
        return SavedMealDB::instance()->storeMeal(currentUser(), -1, name.toStdString(), entries,
                                                  true) >= 0;
    }, tr("Sorry, the meal could not be stored."));
}
