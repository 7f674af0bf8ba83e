// The browser panel on a small catalogue and a real user database: search field and options,
// tabs, detail area, Edit-menu reports, and its actions on custom items, categories,
// favourites and saved meals.

#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/editexdialog.h"
#include "browser/editfooddialog.h"
#include "browser/edititemdialog.h"
#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "tests/support/storedmealname.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/savedmealdb.h"
#include "widgets/expandingtabbar.h"
#include "widgets/searchlineedit.h"
#include "widgets/tabchildlabel.h"
#include "widgets/tabchildradiobutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int APPLE = 100;
constexpr int RUNNING = 300;

FoodViewItem* findRow(QTreeWidget* list, const QString& text)
{
    for (QTreeWidgetItemIterator it(list); *it; ++it) {
        if ((*it)->text(0) == text)
            return FoodViewItem::from(*it);
    }
    return nullptr;
}

FoodViewItem* findId(QTreeWidget* list, int id, bool category)
{
    return static_cast<DragListView*>(list)->locateFvi(id, category, nullptr);
}

// Opens every category row, loading its children, to a depth of three.
void openAll(QTreeWidget* list)
{
    QList<QTreeWidgetItem*> level;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        level.append(list->topLevelItem(i));
    for (int depth = 0; depth < 3 && !level.isEmpty(); ++depth) {
        QList<QTreeWidgetItem*> next;
        for (QTreeWidgetItem* row : level) {
            row->setExpanded(true);
            for (int i = 0; i < row->childCount(); ++i)
                next.append(row->child(i));
        }
        level = next;
    }
}

void select(QTreeWidget* list, QTreeWidgetItem* row)
{
    QVERIFY(row);
    list->setCurrentItem(row);
    row->setSelected(true);
}

int count(const char* sql)
{
    BXSqlQuery query(sql);
    return query.exec() && query.next() ? query.value(0).toInt() : -1;
}

// Accepts the next modal dialog as it stands.
void acceptNextDialog()
{
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
}

int tabIndex(const FoodQueryWidget& panel, const QString& label)
{
    for (int i = 0; i < panel.categoryBar->count(); ++i) {
        if (panel.categoryBar->tabText(i) == label)
            return i;
    }
    return -1;
}

} // namespace

class TestFoodQueryWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static const CatalogueNode foods = BrowserFixture::smallFoods();
        BrowserFixture::startSession(&foods);
        _user = UserDB::instance()->getCurrentUser();
    }
    void cleanupTestCase() { BrowserFixture::endSession(); }

    void init()
    {
        _window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(_window.get());
        _panel = new FoodQueryWidget(_window.get(), nullptr);
        layout->addWidget(_panel);
        _mealView = new QTreeWidget(_window.get());
        _mealView->setObjectName(QStringLiteral("mealView"));
        layout->addWidget(_mealView);
        _window->resize(420, 760);
        _window->show();
        QVERIFY(QTest::qWaitForWindowExposed(_window.get()));
        _panel->refreshDynamic();
    }
    void cleanup()
    {
        _window.reset();
        BXSqlQuery("DELETE FROM custom_foods").exec();
        BXSqlQuery("DELETE FROM custom_exercises").exec();
        BXSqlQuery("DELETE FROM group_diary").exec();
        BXSqlQuery("DELETE FROM custom_food_cats WHERE name = 'Drinks'").exec();
        BXSqlQuery("DELETE FROM custom_exercise_cats WHERE name = 'Drinks'").exec();
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
    }

    void formAfterConstruction()
    {
        QCOMPARE(_panel->objectName(), QStringLiteral("FoodQueryWidget"));
        QCOMPARE(_panel->categoryBar->count(), 5); // no recipe program answers
        QCOMPARE(_panel->getCurrentListview(), _panel->foodView);
        QVERIFY(_panel->foodView->getRankedView());
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->nothingSelectedLabel);
        QVERIFY(_panel->showAllOption->isChecked());
        QVERIFY(_panel->myFoodEdit->isHidden() && _panel->myExDelete->isHidden());
        QVERIFY(!_panel->savedMealDelete->isEnabled() && !_panel->savedMealEdit->isEnabled());
        QCOMPARE(_panel->showFavoritesOption->text(), QStringLiteral("Favorites"));
    }

    void searchFieldSearchesFromThreeCharacters()
    {
        QLineEdit* field = _panel->prettySearchEdit->lineEdit();
        field->setText(QStringLiteral("ap"));
        QCOMPARE(_panel->foodView->getSearch(), QString());
        field->setText(QStringLiteral("app"));
        QCOMPARE(_panel->foodView->getSearch(), QStringLiteral("app"));
        QVERIFY(_panel->foodView->getRankedView());
        QVERIFY(findId(_panel->foodView, APPLE, false));
        QVERIFY(!findId(_panel->foodView, 102, false)); // Banana is no hit

        field->setText(QStringLiteral("ap"));
        QCOMPARE(_panel->foodView->getSearch(), QStringLiteral("app")); // kept
        field->clear();
        QCOMPARE(_panel->foodView->getSearch(), QString());
        QVERIFY(findRow(_panel->foodView, QStringLiteral("Fruit")));
    }

    void viewAllStaysUntilTypingOrEscape()
    {
        QLineEdit* field = _panel->prettySearchEdit->lineEdit();
        field->setText(QStringLiteral("apple"));
        emit _panel->foodView->viewAllClicked();
        QVERIFY(_panel->viewAll());
        QVERIFY(!_panel->foodView->getRankedView());
        _panel->applyTerms(true);
        QVERIFY(_panel->viewAll());

        field->setText(QStringLiteral("apple r"));
        QVERIFY(!_panel->viewAll());
        QVERIFY(_panel->foodView->getRankedView());

        emit _panel->foodView->viewAllClicked();
        QTest::keyClick(_panel, Qt::Key_Escape);
        QVERIFY(!_panel->viewAll());
        QCOMPARE(_panel->foodView->getSearch(), QString());
        QCOMPARE(field->text(), QString());
    }

    void searchCarriesBetweenTabsOfOneKind()
    {
        QLineEdit* field = _panel->prettySearchEdit->lineEdit();
        field->setText(QStringLiteral("apple"));
        _panel->showFavoritesOption->click();
        QVERIFY(_panel->foodView->getFavoritesOnly());

        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        QCOMPARE(_panel->myfoodView->getSearch(), QStringLiteral("apple"));
        QVERIFY(!_panel->myfoodView->getFavoritesOnly()); // options hidden there count as off
        QVERIFY(!_panel->showOptionLabel->isVisible() && !_panel->showAllOption->isVisible());
        QVERIFY(!_panel->showGenericOption->isVisible());
        QCOMPARE(field->text(), QStringLiteral("apple"));

        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Exercise")));
        QCOMPARE(_panel->getCurrentListview(), _panel->exerciseView);
        QCOMPARE(_panel->exerciseView->getSearch(), QString()); // not carried to exercises
        QCOMPARE(field->text(), QString());
        QVERIFY(_panel->showAllOption->isChecked()); // the Exercise list's own state
        QVERIFY(_panel->showOptionLabel->isVisible());

        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Foods")));
        QVERIFY(_panel->showFavoritesOption->isChecked()); // Foods kept favourites only

        // The next user starts without the search typed before.
        _panel->showCurrentUser();
        QCOMPARE(_panel->foodView->getSearch(), QString());
        QCOMPARE(_panel->myfoodView->getSearch(), QString());
        QCOMPARE(field->text(), QString());
    }

    void detailAreaFollowsTheRowType()
    {
        _panel->addFoodToFavorites(APPLE);
        QLineEdit* field = _panel->prettySearchEdit->lineEdit();
        field->setText(QStringLiteral("apple"));
        select(_panel->foodView, findId(_panel->foodView, APPLE, false));
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->foodWidget);
        QVERIFY(_panel->foodWidget->favoritesCheckBox->isChecked());
        QVERIFY(_panel->foodWidget->duplicateButton->isHidden());
        saveWidgetPicture(_panel, QStringLiteral("browser-panel-food"));
        // The diary page read again after a change of units: the food in the units now chosen.
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        _panel->refreshDynamic();
        QVERIFY(_panel->foodWidget->caloriesLabel->text().endsWith(QStringLiteral(" kJ")));

        field->clear();
        select(_panel->foodView, findRow(_panel->foodView, QStringLiteral("Fruit")));
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->nothingSelectedLabel);

        const qint64 custom = FoodDBDynamic::instance()->createFood(
            FoodDBDynamic::instance()->getRootForUser(_user), QStringLiteral("Toast"),
            QStringLiteral("slice"), DBTypes::FoodItem());
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        select(_panel->myfoodView, findId(_panel->myfoodView, custom, false));
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->foodWidget);
        QVERIFY(!_panel->foodWidget->duplicateButton->isHidden());
        QCOMPARE(_panel->foodWidget->duplicateButton->text(), QStringLiteral("Duplicate Food"));
        QVERIFY(!_panel->foodWidget->favoritesCheckBox->isEnabled()
                || _panel->foodWidget->favoritesCheckBox->isHidden());

        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Exercise")));
        openAll(_panel->exerciseView);
        select(_panel->exerciseView, findId(_panel->exerciseView, RUNNING, false));
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->exerciseWidget);
        saveWidgetPicture(_panel, QStringLiteral("browser-panel-exercise"));
        FavoritesDB(_user).removeFavorite(FavoritesDB::ItemFlags(FoodItemFlag),
                                          FavoritesDB::ItemId(APPLE));
    }

    // Whatever changes an item the panel shows, the area shows it as stored, its row stays
    // selected, and Add takes what is stored; an item gone is let go. What is made or renamed
    // is the row selected and shown (nothing for a category) whatever the shared search field
    // holds: a search that would hide it is let go, one that finds it stays.
    void detailAreaAndAddFollowTheStore_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("added"); // energy, or an exercise's rate; -1 nothing shown
        QTest::addColumn<QString>("search");
        QTest::newRow("food edited") << "Custom Foods" << "edit" << "Toast" << 300.0 << "";
        QTest::newRow("food renamed") << "Custom Foods" << "rename" << "Brown toast" << 280.0 << "";
        QTest::newRow("food renamed out of the search") << "Custom Foods" << "rename" << "Rye loaf" << 280.0 << "toast";
        QTest::newRow("food stored elsewhere") << "Custom Foods" << "other" << "Toast" << 300.0 << "";
        QTest::newRow("food deleted") << "Custom Foods" << "delete" << "" << -1.0 << "";
        QTest::newRow("food made, search hides it") << "Custom Foods" << "new" << "New food" << 300.0 << "banana";
        QTest::newRow("food made, search finds it") << "Custom Foods" << "new" << "New food" << 300.0 << "new";
        QTest::newRow("food made from the menu") << "Custom Foods" << "menu" << "New food" << 300.0 << "toast";
        QTest::newRow("food category made") << "Custom Foods" << "category" << "Drinks" << -1.0 << "banana";
        QTest::newRow("food category made, search without hits") << "Custom Foods" << "category" << "Drinks" << -1.0 << "zzzz";
        QTest::newRow("food made, the Foods tab up") << "Custom Foods" << "shipped" << "New food" << 300.0 << "banana";
        QTest::newRow("food category made, the Foods tab up") << "Custom Foods" << "shipped category" << "Drinks" << -1.0 << "banana";
        QTest::newRow("food copied from the Foods tab") << "Custom Foods" << "shipped copy" << "Banana" << 105.0 << "banana";
        QTest::newRow("food searched for without hits") << "Custom Foods" << "search" << "" << -1.0 << "";
        QTest::newRow("food, another tab up") << "Custom Foods" << "tab" << "Toast" << -1.0 << "";
        QTest::newRow("exercise edited") << "Custom Exercises" << "edit" << "Jog" << 10.0 << "";
        QTest::newRow("exercise stored elsewhere") << "Custom Exercises" << "other" << "Jog" << 10.0 << "";
        QTest::newRow("exercise deleted") << "Custom Exercises" << "delete" << "" << -1.0 << "";
        QTest::newRow("exercise made") << "Custom Exercises" << "new" << "New exercise" << 10.0 << "jog";
        QTest::newRow("exercise copied, Custom Foods up") << "Custom Exercises" << "copy" << "Run" << 0.5 << "";
        QTest::newRow("exercise made, the Exercise tab up") << "Custom Exercises" << "shipped" << "New exercise" << 10.0 << "running";
        QTest::newRow("meal renamed") << "Saved Meals" << "rename" << "Brown soup" << 120.0 << "";
        QTest::newRow("meal renamed out of the search") << "Saved Meals" << "rename" << "Stew" << 120.0 << "soup";
        QTest::newRow("meal deleted") << "Saved Meals" << "delete" << "" << -1.0 << "";
        QTest::newRow("meal made") << "Saved Meals" << "new" << "Porridge" << 100.0 << "soup";
    }
    void detailAreaAndAddFollowTheStore()
    {
        QFETCH(QString, tab);
        QFETCH(QString, change);
        QFETCH(QString, name);
        QFETCH(double, added);
        QFETCH(QString, search);
        const DBTypes::FoodItem values{-1.0f, 'B', 280.0f};
        const int food = tab == QLatin1String("Custom Foods") ? 0 : tab == QLatin1String("Saved Meals") ? 2 : 1;
        DragListView* list = std::array{_panel->myfoodView, _panel->myexerciseView, _panel->savedMealView}[food];
        const qint64 id = food == 0 ? FoodDBDynamic::instance()->createFood(FoodDBDynamic::instance()->getRootForUser(_user), QStringLiteral("Toast"), QStringLiteral("slice"), values)
                     : food == 1 ? ExDBDynamic::instance()->createExercise(ExDBDynamic::instance()->getRootForUser(_user), QStringLiteral("Jog"), 8.0f)
                                 : SavedMealDB::instance()->storeMeal(_user, -1, "Soup", {mealEntry()}, true);
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, tab));
        _panel->prettySearchEdit->lineEdit()->setText(search);
        openAll(list);
        list->setCurrentItem(change == QLatin1String("menu") ? findId(list, FoodDBDynamic::instance()->getRootForUser(_user), true) : findId(list, id, false));
        ScriptedPrompter prompter;
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* foodEditor = qobject_cast<EditFoodDialog*>(dialog)) {
                foodEditor->row(DBTypes::ENERGY).checkBox->setChecked(true);
                foodEditor->row(DBTypes::ENERGY).edit->setText(QStringLiteral("300"));
            }
            if (auto* exerciseEditor = qobject_cast<EditExDialog*>(dialog))
                exerciseEditor->rateEdit->setText(QStringLiteral("10"));
            if (dialog)
                static_cast<EditItemDialog*>(dialog)->okButton->click();
        });
        if (change == QLatin1String("edit")) {
            (food == 0 ? _panel->myFoodEdit : _panel->myExEdit)->click();
        } else if (change == QLatin1String("rename")) {
            list->commitRename(findId(list, id, false), name);
        } else if (change == QLatin1String("other")) {
            QVERIFY(BXSqlQuery("UPDATE custom_foods SET calories = 300").exec() && BXSqlQuery("UPDATE custom_exercises SET scale = 10").exec());
        } else if (change == QLatin1String("delete")) {
            prompter.answer(int(QMessageBox::Yes));
            std::array{_panel->myFoodDelete, _panel->myExDelete, _panel->savedMealDelete}[food]->click();
        } else if (change == QLatin1String("category")) {
            prompter.answer(name);
            (food == 0 ? _panel->myFoodNewCat : _panel->myExNewCat)->click();
        } else if (change == QLatin1String("search")) {
            _panel->prettySearchEdit->lineEdit()->setText(QStringLiteral("zzzz"));
        } else if (change == QLatin1String("tab")) {
            _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Saved Meals")));
        } else if (change.startsWith(QLatin1String("shipped"))) {
            // As the Edit menu and the detail panel do with the shipped list's tab up and a
            // row of its search selected.
            _panel->categoryBar->setCurrentIndex(food);
            list = _panel->getCurrentListview();
            openAll(list);
            select(list, findRow(list, food == 0 ? QStringLiteral("Banana") : QStringLiteral("Running")));
            list = std::array{_panel->myfoodView, _panel->myexerciseView}[food];
            prompter.answer(name);
            if (change.endsWith(QLatin1String("copy")))
                _panel->foodView->handleContextMenu(100); // Add food to My Foods
            else if (change.endsWith(QLatin1String("category")))
                _panel->myFoodNewCat->click();
            else
                (food == 0 ? _panel->myFoodNewItem : _panel->myExNewItem)->click();
        } else if (change == QLatin1String("copy")) {
            _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
            _panel->createCustomExerciseFromStatic(ExDBDynamic::instance()->getRootForUser(_user), QStringLiteral("Run"), 0.5f);
        } else if (change == QLatin1String("menu")) {
            list->handleContextMenu(0); // Create new food
        } else if (food == 2) {
            groupRow(1, {addEntry(1, QStringLiteral("oats"))});
            prompter.answer(QStringLiteral("Save Breakfast Menu"));
            prompter.answer(name);
            _panel->newSavedMeal->click();
        } else {
            list->clearSelection();
            (food == 0 ? _panel->myFoodNewItem : _panel->myExNewItem)->click();
        }
        _panel->refreshDynamic(); // as the diary page does when it is read again
        const QTreeWidgetItem* selected = list->selectedItems().value(0);
        QCOMPARE(selected ? selected->text(0) : QString(), name);
        QCOMPARE(_panel->getCurrentListview() == list, change != QLatin1String("tab"));
        if (!name.isEmpty()) {
            QCOMPARE(list->getSearch(), name.contains(search, Qt::CaseInsensitive) ? search : QString());
            QCOMPARE(_panel->prettySearchEdit->lineEdit()->text(), list->getSearch());
        }
        double taken = -1.0;
        connect(_panel, &FoodQueryWidget::addFoodSignal, [&](DBTypes::FoodDiaryItem& entry) { taken = entry.values.energy; });
        connect(_panel, &FoodQueryWidget::addExerciseSignal, [&](DBTypes::ExerciseDiaryItem& entry) { taken = entry.rate; });
        _panel->exerciseWidget->sizeLineEdit->setText(QStringLiteral("30"));
        food == 1 ? _panel->exerciseWidget->addButton->click() : _panel->foodWidget->addToMeal(6);
        QCOMPARE(taken, added);
        if (added < 0) {
            QCOMPARE(_panel->displayStack->currentWidget(), _panel->nothingSelectedLabel);
            return;
        }
        QCOMPARE(_panel->displayStack->currentIndex(), int(food == 1 ? FoodQueryWidget::ExercisePage : FoodQueryWidget::FoodPage));
        QVERIFY((food == 1 ? _panel->exerciseWidget->nameLabel : _panel->foodWidget->nameLabel)->text().contains(name));
        if (food == 0)
            QCOMPARE(_panel->foodWidget->caloriesLabel->text(), QStringLiteral("%1 cals").arg(added));
    }

    void editMenuValuePerTabAndRow_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("code");
        QTest::newRow("foods") << "Foods" << 0;
        QTest::newRow("exercise") << "Exercise" << 2;
        QTest::newRow("custom foods") << "Custom Foods" << 3;
        QTest::newRow("custom exercises") << "Custom Exercises" << 4;
        QTest::newRow("saved meals") << "Saved Meals" << 5;
    }
    void editMenuValuePerTabAndRow()
    {
        QFETCH(QString, tab);
        QFETCH(int, code);
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 category = foods->createCategory(foods->getRootForUser(_user), QStringLiteral("Bakery"));
        foods->createFood(category, QStringLiteral("Bun"), QStringLiteral("bun"), DBTypes::FoodItem());
        QSignalSpy reports(_panel, &FoodQueryWidget::editStateChanged);
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, tab));
        DragListView* list = _panel->getCurrentListview();
        list->clearSelection();
        QCOMPARE(_panel->editState(), code << 16);

        openAll(list);
        for (QTreeWidgetItemIterator it(list); *it; ++it) {
            const FoodViewItem* row = FoodViewItem::from(*it);
            if (!row || row->id < 0)
                continue;
            const qsizetype told = reports.size();
            select(list, *it);
            QVERIFY(reports.size() > told);
            const bool fixedRoot = row->rowKind() == FoodViewItem::FixedRow
                                   && (row->type & CategoryItemFlag)
                                   && (row->type & (CustomItemFlag | SavedMealItemFlag));
            QCOMPARE(_panel->editState(), (code << 16) | (fixedRoot ? 0 : row->type));
        }
        foods->deleteCategory(category, true);
    }

    void recipesTabReportsMinusOne()
    {
        _panel->categoryStack->setCurrentWidget(_panel->tabRecipes);
        QCOMPARE(_panel->editState() >> 16, -1);
        QCOMPARE(_panel->editState() & 0xFFFF, 0);
    }

    void rootsAreNeverEditedOrDeleted()
    {
        ScriptedPrompter prompter;
        prompter.answer(int(QMessageBox::Yes));
        const int before = count("SELECT COUNT(*) FROM custom_food_cats");
        const int exBefore = count("SELECT COUNT(*) FROM custom_exercise_cats");
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        for (const qint64 user : {_user, qint64(-1)}) {
            const qint64 root = FoodDBDynamic::instance()->getRootForUser(user);
            select(_panel->myfoodView, findId(_panel->myfoodView, root, true));
            _panel->myFoodEdit->click();
            _panel->myFoodDelete->click();
            QTest::keyClick(_panel->myfoodView, Qt::Key_Delete);
            QTest::qWait(250); // the key's animated click
        }
        _panel->removeCustomFoodCategory(DynamicDB::USER_ROOT_BASE + 3);
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Exercises")));
        const qint64 exRoot = ExDBDynamic::instance()->getRootForUser(_user);
        select(_panel->myexerciseView, findId(_panel->myexerciseView, exRoot, true));
        _panel->myExEdit->click();
        _panel->myExDelete->click();
        _panel->removeCustomExCategory(DynamicDB::USER_ROOT_BASE);
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(count("SELECT COUNT(*) FROM custom_food_cats"), before);
        QCOMPARE(count("SELECT COUNT(*) FROM custom_exercise_cats"), exBefore);
    }

    void newFoodGoesIntoTheSelectedCategoryOrTheRoot()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 root = foods->getRootForUser(_user);
        const qint64 category = foods->createCategory(root, QStringLiteral("Bakery"));
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        select(_panel->myfoodView, findId(_panel->myfoodView, category, true));
        acceptNextDialog();
        _panel->myFoodNewItem->click();
        QCOMPARE(count("SELECT COUNT(*) FROM custom_foods WHERE name = 'New food'"), 1);
        BXSqlQuery query("SELECT food_id, category_id FROM custom_foods WHERE name = 'New food'");
        QVERIFY(query.exec() && query.next());
        QCOMPARE(query.value(1).toInt(), category);
        // Shown selected in its opened category.
        const FoodViewItem* made = findId(_panel->myfoodView, query.value(0).toInt(), false);
        QVERIFY(made && made->parent()->isExpanded());
        QCOMPARE(_panel->myfoodView->currentItem(), made);

        const qint64 bread = foods->createFood(category, QStringLiteral("Bread"), QStringLiteral("slice"),
                                            DBTypes::FoodItem());
        openAll(_panel->myfoodView);
        select(_panel->myfoodView, findId(_panel->myfoodView, bread, false));
        acceptNextDialog();
        _panel->myFoodNewItem->click();
        BXSqlQuery second("SELECT category_id FROM custom_foods WHERE name = 'New food' "
                          "ORDER BY food_id DESC");
        QVERIFY(second.exec() && second.next());
        QCOMPARE(second.value(0).toInt(), root);
        foods->deleteCategory(category, true);
    }

    // A made item sorted below the rows in view, whose long name wraps in the detail panel, is
    // in sight once the panel has grown to show it and the list has shrunk.
    void madeItemStaysInSightAsThePanelGrows()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 root = foods->getRootForUser(_user);
        for (int n = 0; n < 30; ++n)
            foods->createFood(root, QStringLiteral("Food %1").arg(n, 2, 10, QLatin1Char('0')),
                              QStringLiteral("serving"), {});
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        DragListView* list = _panel->myfoodView;
        list->scrollToTop();
        const qint64 made = foods->createFood(root,
                                              QStringLiteral("Zucchini, courgette, marrow and summer squash baked with "
                                                             "roasted red peppers, garlic, shallots, thyme, rosemary and olive oil"),
                                              QStringLiteral("serving"), {});
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        const FoodViewItem* row = findId(list, made, false);
        QVERIFY(row && list->currentItem() == row);
        QVERIFY2(list->viewport()->rect().contains(list->visualItemRect(row)),
                 qPrintable(QStringLiteral("the row ends at %1 px in a list %2 px high")
                                .arg(list->visualItemRect(row).bottom())
                                .arg(list->viewport()->height())));
    }

    void deleteQuestionsNameWhatIsDeleted()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 root = foods->getRootForUser(_user);
        const qint64 category = foods->createCategory(root, QStringLiteral("Bakery"));
        const qint64 bread = foods->createFood(category, QStringLiteral("Bread"), QStringLiteral("slice"),
                                            DBTypes::FoodItem());
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        openAll(_panel->myfoodView);
        ScriptedPrompter prompter;
        select(_panel->myfoodView, findId(_panel->myfoodView, bread, false));
        prompter.answer(int(QMessageBox::No));
        _panel->myFoodDelete->click();
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Delete food "));
        QCOMPARE(prompter.lastText(), QStringLiteral("Are you sure you want to do this?"));
        QVERIFY(foods->getFoodItem(bread));

        select(_panel->myfoodView, findId(_panel->myfoodView, category, true));
        prompter.answer(int(QMessageBox::Yes));
        _panel->myFoodDelete->click();
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Delete food category"));
        QCOMPARE(prompter.lastText(), QStringLiteral("Are you sure you want to do this?\n"
                                                     "Deleting this category will also delete "
                                                     "any items inside."));
        QVERIFY(!foods->getFoodItem(bread)); // removed by force with its category
        QCOMPARE(foods->getCategoryName(category), QString());
    }

    void exerciseDeletesAskOnceAndNonEmptyCategoriesTwice()
    {
        ExDBDynamic* exercises = ExDBDynamic::instance();
        const qint64 root = exercises->getRootForUser(_user);
        const qint64 empty = exercises->createCategory(root, QStringLiteral("Empty"));
        const qint64 full = exercises->createCategory(root, QStringLiteral("Full"));
        const qint64 rowing = exercises->createExercise(full, QStringLiteral("Rowing"), 5.0f);
        const qint64 swim = exercises->createExercise(root, QStringLiteral("Swim"), 7.0f);
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Exercises")));
        openAll(_panel->myexerciseView);
        ScriptedPrompter prompter;

        select(_panel->myexerciseView, findId(_panel->myexerciseView, swim, false));
        prompter.answer(int(QMessageBox::Yes));
        emit _panel->myexerciseView->removeCustomEx(swim); // the context menu's road
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Delete exercise "));
        QVERIFY(!exercises->getExercise(swim));

        select(_panel->myexerciseView, findId(_panel->myexerciseView, empty, true));
        prompter.answer(int(QMessageBox::Yes));
        _panel->myExDelete->click();
        QCOMPARE(prompter.asked.size(), 2);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Delete exercise category"));
        QCOMPARE(exercises->getCategoryName(empty), QString());

        select(_panel->myexerciseView, findId(_panel->myexerciseView, full, true));
        prompter.answer(int(QMessageBox::Yes));
        prompter.answer(1); // No to the second question
        _panel->myExDelete->click();
        QCOMPARE(prompter.asked.size(), 4);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Delete category"));
        QVERIFY(exercises->getExercise(rowing));
        { // held whole by another program: both questions, then one wait for the one change
            OtherReader other(BXSqlDb::instance()->database().databaseName(), OtherReader::Exclusive);
            BusyWaits waits(10000);
            prompter.answer(int(QMessageBox::Yes));
            prompter.answer(0);
            _panel->myExDelete->click();
            QCOMPARE(waits.count(), 1);
        }
        QVERIFY(exercises->getExercise(rowing));

        select(_panel->myexerciseView, findId(_panel->myexerciseView, full, true));
        prompter.answer(int(QMessageBox::Yes));
        prompter.answer(0);
        _panel->myExDelete->click();
        QVERIFY(!exercises->getExercise(rowing));
        QCOMPARE(exercises->getCategoryName(full), QString());
    }

    void categoriesAreCreatedAndRenamed()
    {
        ScriptedPrompter prompter;
        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Custom Foods")));
        _panel->myfoodView->clearSelection();
        prompter.answer(QStringLiteral("Drinks"));
        _panel->myFoodNewCat->click();
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("New category"));
        BXSqlQuery query("SELECT category_id FROM custom_food_cats WHERE name = 'Drinks'");
        QVERIFY(query.exec() && query.next());
        const int drinks = query.value(0).toInt();
        QCOMPARE(FoodViewItem::from(_panel->myfoodView->currentItem()), findId(_panel->myfoodView, drinks, true));

        // Inside a closed category, through the list's menu: shown selected in it, opened.
        prompter.answer(QStringLiteral("Juice"));
        emit _panel->myfoodView->addCustomFoodCategory(drinks);
        const FoodViewItem* juice = FoodViewItem::from(_panel->myfoodView->currentItem());
        QVERIFY(juice && juice->text(0) == QStringLiteral("Juice"));
        QCOMPARE(juice->parent(), findId(_panel->myfoodView, drinks, true));

        select(_panel->myfoodView, findId(_panel->myfoodView, drinks, true));
        prompter.answer(QStringLiteral("Cold drinks"));
        _panel->myFoodEdit->click();
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Edit Category Name"));
        QCOMPARE(FoodDBDynamic::instance()->getCategoryName(drinks), QStringLiteral("Cold drinks"));
        FoodDBDynamic::instance()->deleteCategory(drinks, true);
    }

    void inPlaceRenamesKeepValuesAndRefuseBlanks()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        DBTypes::FoodItem values;
        values.setNutrient(DBTypes::ENERGY, 250.0f);
        const qint64 toast = foods->createFood(foods->getRootForUser(_user), QStringLiteral("Toast"),
                                            QStringLiteral("slice"), values);
        const qint64 jog = ExDBDynamic::instance()->createExercise(
            ExDBDynamic::instance()->getRootForUser(_user), QStringLiteral("Jog"), 8.5f);

        FoodViewItem* row = findId(_panel->myfoodView, toast, false);
        QVERIFY(row);
        _panel->myfoodView->commitRename(row, QStringLiteral("Brown toast"));
        QCOMPARE(foods->getFoodName(toast), QStringLiteral("Brown toast"));
        QCOMPARE(foods->getFoodItem(toast)->getNutrient(DBTypes::ENERGY), 250.0f);
        QCOMPARE(foods->getServingItemList(toast).front().name, QStringLiteral("slice"));

        row = findId(_panel->myfoodView, toast, false);
        _panel->myfoodView->commitRename(row, QStringLiteral("   "));
        QCOMPARE(row->text(0), QStringLiteral("Brown toast"));
        QCOMPARE(foods->getFoodName(toast), QStringLiteral("Brown toast"));

        row = findId(_panel->myexerciseView, jog, false);
        _panel->myexerciseView->commitRename(row, QStringLiteral("Slow jog"));
        QCOMPARE(ExDBDynamic::instance()->getExercise(jog)->name, QStringLiteral("Slow jog"));
        QCOMPARE(ExDBDynamic::instance()->getExercise(jog)->offset, 8.5f);
    }

    void copiesAnnounceOnlyWhatWasStored()
    {
        ScriptedPrompter prompter;
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        _panel->createCustomFoodFromStatic(foods->getRootForUser(_user), QStringLiteral("Apple, raw"),
                                           QStringLiteral("cup"), DBTypes::FoodItem());
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Food added"));
        QCOMPARE(prompter.lastText(), QStringLiteral("Apple, raw has been added to My Foods"));
        _panel->createCustomExerciseFromStatic(ExDBDynamic::instance()->getRootForUser(_user),
                                               QStringLiteral("Running"), 0.1f);
        QCOMPARE(prompter.lastText(), QStringLiteral("Running has been added to My Exercises"));

        QVERIFY(BXSqlQuery("CREATE TEMP TRIGGER refuse BEFORE INSERT ON custom_foods "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END").exec());
        _panel->createCustomFoodFromStatic(foods->getRootForUser(_user), QStringLiteral("Pear"),
                                           QStringLiteral("cup"), DBTypes::FoodItem());
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Not added"));
        QVERIFY(!prompter.lastText().contains(QStringLiteral("has been added")));
        const qint64 meal = SavedMealDB::instance()->storeMeal(_user, -1, "Soup", {mealEntry()}, true);
        openAll(_panel->savedMealView);
        FoodViewItem* row = findId(_panel->savedMealView, meal, false);
        QVERIFY(row);
        _panel->addCustomFoodFromMeal(row);
        QVERIFY(BXSqlQuery("DROP TRIGGER refuse").exec());
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Not added"));
        _panel->addCustomFoodFromMeal(row);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Saved meal added"));
        QCOMPARE(count("SELECT COUNT(*) FROM custom_foods WHERE name = 'Soup' AND serv_name = 'Meal'"), 1);
        SavedMealDB::instance()->deleteMeal(meal, _user);
        // Every id given: the user is told why.
        QVERIFY(BXSqlQuery("INSERT INTO food_diary(user_id, ref_id) VALUES (0, 0x2FFFFFF)").exec());
        _panel->createCustomFoodFromStatic(foods->getRootForUser(_user), QStringLiteral("Pear"),
                                           QStringLiteral("cup"), DBTypes::FoodItem());
        QVERIFY(BXSqlQuery("DELETE FROM food_diary WHERE ref_id = 0x2FFFFFF").exec());
        QCOMPARE(prompter.lastText(), QStringLiteral("The change was not saved: every number for a new food has "
                                                     "been given, so no new food can be made. Change one of "
                                                     "your foods instead."));
    }

    // A meal whose id is also the number of its owner's root category: a meal all the same,
    // with nothing under it when its row is opened.
    void savedMealWithTheRootsIdListsNoMeals()
    {
        const qint64 root = SavedMealDB::instance()->getRootForUser(_user);
        const qint64 soup = SavedMealDB::instance()->storeMeal(_user, -1, "Soup", {mealEntry()}, true);
        // An earlier case may have used the number already: that meal is brought back.
        BXSqlQuery taken("UPDATE group_diary SET status = 1, user_id = ?, name = 'Stew' "
                         "WHERE group_id = ?");
        taken.bindValue(0, _user);
        taken.bindValue(1, root);
        QVERIFY(taken.exec());
        const int stew = taken.statement()->numRowsAffected() == 1
            ? root
            : SavedMealDB::instance()->storeMeal(_user, root, "Stew", {mealEntry()}, false);
        QCOMPARE(stew, root);
        SavedMealTree::instance()->reload(0, false);
        openAll(_panel->savedMealView);
        FoodViewItem* row = findId(_panel->savedMealView, stew, false);
        QVERIFY(row);
        QCOMPARE(row->childCount(), 0);
        QVERIFY(findId(_panel->savedMealView, soup, false));
        QCOMPARE(findId(_panel->savedMealView, soup, false)->parent(),
                 findId(_panel->savedMealView, root, true));
        SavedMealDB::instance()->deleteMeal(stew, _user);
        SavedMealDB::instance()->deleteMeal(soup, _user);
    }

    void savedMealsFromTheDiaryGroups()
    {
        ScriptedPrompter prompter;
        QTreeWidgetItem* breakfast = groupRow(1, {addEntry(1, QStringLiteral("oats"))});
        groupRow(3, {}); // lunch: only its hint row
        prompter.answer(QString()); // no menu entry chosen
        _panel->newSavedMeal->click();
        const QList<QAction*> items = _panel->saveMealMenu()->actions();
        QVERIFY(items[0]->isEnabled());
        QVERIFY(!items[2]->isEnabled() && !items[4]->isEnabled());

        _panel->setSnackDisplay(0);
        emit _panel->saveMealMenu()->aboutToShow();
        QVERIFY(!items[1]->isVisible() && !items[3]->isVisible());
        _panel->setSnackDisplay(1);
        emit _panel->saveMealMenu()->aboutToShow();
        QVERIFY(items[1]->isVisible() && items[3]->isVisible());

        prompter.answer(QStringLiteral("   "));
        _panel->handleContextMenu(0);
        QCOMPARE(count("SELECT COUNT(*) FROM group_diary WHERE status = 1"), 0);
        prompter.answer(QStringLiteral(" Porridge "));
        _panel->handleContextMenu(0);
        BXSqlQuery query("SELECT group_id FROM group_diary WHERE name = ' Porridge '");
        QVERIFY(query.exec() && query.next());
        const int meal = query.value(0).toInt();
        QVERIFY(BXSqlQuery("CREATE TEMP TRIGGER refuse BEFORE INSERT ON group_diary "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END").exec());
        prompter.answer(QStringLiteral("Lost"));
        _panel->handleContextMenu(0);
        QVERIFY(BXSqlQuery("DROP TRIGGER refuse").exec());
        QCOMPARE(prompter.asked.last().kind, QStringLiteral("message"));
        // The rule that refused the meal, in SQLite's words.
        QCOMPARE(prompter.lastText(), QStringLiteral("The change was not saved: refused."));
        const int asked = int(prompter.asked.size());
        _panel->handleContextMenu(2); // a group without entries asks nothing
        QCOMPARE(prompter.asked.size(), asked);
        Q_UNUSED(breakfast);

        _panel->categoryBar->setCurrentIndex(tabIndex(*_panel, QStringLiteral("Saved Meals")));
        openAll(_panel->savedMealView);
        // The roots' ids are those of the first meals: a root row never renames or deletes one.
        select(_panel->savedMealView, findId(_panel->savedMealView, _user + 2, true));
        QVERIFY(!_panel->savedMealDelete->isEnabled());
        _panel->savedMealDelete->setEnabled(true);
        _panel->savedMealEdit->setEnabled(true);
        _panel->savedMealDelete->click();
        _panel->savedMealEdit->click();
        QCOMPARE(count("SELECT COUNT(*) FROM group_diary WHERE status = 1"), 1);
        QCOMPARE(storedMealName(_user, meal), QStringLiteral(" Porridge "));

        select(_panel->savedMealView, findId(_panel->savedMealView, meal, false));
        QVERIFY(_panel->savedMealEdit->isEnabled());
        saveWidgetPicture(_panel, QStringLiteral("browser-panel-saved-meal"));
        prompter.answer(QStringLiteral("Oats"));
        _panel->savedMealEdit->click();
        QCOMPARE(storedMealName(_user, meal), QStringLiteral("Oats"));

        select(_panel->savedMealView, findId(_panel->savedMealView, meal, false));
        _panel->savedMealDelete->click();
        QVERIFY(!findId(_panel->savedMealView, meal, false));
        QCOMPARE(count("SELECT COUNT(*) FROM group_diary WHERE status = 1"), 0);
    }

    void noSelectedMealIsSaidSo()
    {
        ScriptedPrompter prompter;
        _panel->savedMealView->setCurrentItem(nullptr);
        _panel->renameSavedMeal(5, QStringLiteral("x"));
        QCOMPARE(prompter.lastCaption(), QStringLiteral("No items selected"));
        QCOMPARE(prompter.lastText(), QStringLiteral("You must select a meal first"));
    }

    void favouriteBoxAndListShowWhatIsStored()
    {
        _panel->addFoodToFavorites(APPLE);
        _panel->showFavoritesOption->click();
        FoodViewItem* apple = findId(_panel->foodView, APPLE, false);
        // Selected while another program holds the diary: the mark is the one the list holds.
        {
            OtherReader other(BXSqlDb::instance()->database().databaseName(), OtherReader::Exclusive);
            BusyWaits waits(10000);
            ScriptedPrompter prompter;
            select(_panel->foodView, apple);
            QCOMPARE(waits.count(), 0);
        }
        QVERIFY(_panel->foodWidget->favoritesCheckBox->isChecked());
        saveWidgetPicture(_panel, QStringLiteral("browser-panel-favourites"));
        QCheckBox* box = _panel->foodWidget->favoritesCheckBox;
        const auto stored = [this] {
            return FavoritesDB(_user).isFavorite(FavoritesDB::ItemFlags(FoodItemFlag),
                                                 FavoritesDB::ItemId(APPLE)).value();
        };
        // Un-ticked while another program holds the diary: the box shows what is stored.
        {
            OtherReader other(BXSqlDb::instance()->database().databaseName(), OtherReader::Exclusive);
            QVERIFY(other.reading());
            BusyWaits waits(10000);
            ScriptedPrompter prompter;
            box->click();
            // One wait, then the choice to try again (not taken).
            QCOMPARE(waits.count(), 1);
            QCOMPARE(prompter.asked.size(), 1);
            QVERIFY(prompter.lastText().startsWith(
                QStringLiteral("The diary is in use by another program")));
        }
        QVERIFY(stored());
        QVERIFY(box->isChecked());
        QVERIFY(findId(_panel->foodView, APPLE, false));

        box->click();
        QVERIFY(!findId(_panel->foodView, APPLE, false));
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->nothingSelectedLabel);
        QVERIFY(!stored());
        QVERIFY(!box->isChecked());
        // Ticked again, in the whole list, while the diary is held: still no favourite, and the
        // box says so.
        _panel->showAllOption->click();
        openAll(_panel->foodView);
        select(_panel->foodView, findId(_panel->foodView, APPLE, false));
        {
            OtherReader other(BXSqlDb::instance()->database().databaseName(), OtherReader::Exclusive);
            BusyWaits waits(10000);
            ScriptedPrompter prompter;
            box->click();
            QCOMPARE(waits.count(), 1);
        }
        QVERIFY(!stored());
        QVERIFY(!box->isChecked());
    }

private:
    static DBTypes::FoodDiaryItem mealEntry()
    {
        DBTypes::FoodDiaryItem entry;
        entry.desc = QStringLiteral("soup");
        entry.servingDesc = QStringLiteral("bowl");
        entry.values.kind = 'F';
        entry.values.energy = 120.0f;
        return entry;
    }
    int addEntry(int meal, const QString& name)
    {
        DBTypes::FoodDiaryItem entry;
        entry.desc = name;
        entry.servingDesc = QStringLiteral("cup");
        entry.refId = 0;
        entry.meal = meal;
        entry.userId = _user;
        entry.values.kind = 'F';
        entry.values.energy = 100.0f;
        entry.setDate("20240305");
        return DiaryDB::instance()->addFoodEntry(entry, true);
    }
    // A group row of the stand-in diary list with entry rows of these ids, or its hint row.
    QTreeWidgetItem* groupRow(int group, const QList<int>& ids)
    {
        auto* row = new QTreeWidgetItem(_mealView);
        row->setData(0, Qt::UserRole, -group);
        for (const int id : ids)
            (new QTreeWidgetItem(row))->setData(0, Qt::UserRole, id);
        if (ids.isEmpty())
            (new QTreeWidgetItem(row))->setData(0, Qt::UserRole, -9999);
        return row;
    }

    qint64 _user = -1;
    std::unique_ptr<QWidget> _window;
    FoodQueryWidget* _panel = nullptr;
    QTreeWidget* _mealView = nullptr;
};

QTEST_MAIN(TestFoodQueryWidget)
#include "tst_foodquerywidget.moc"
