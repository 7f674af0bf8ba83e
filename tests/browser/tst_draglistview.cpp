#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/fixedviewitem.h"
#include "browser/foodviewitem.h"
#include "browser/moreviewitem.h"
#include "browser/rankedviewitem.h"
#include "catalogue/dynamicdb.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/savedmealtree.h"
#include "core/clock.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "tests/support/storedmealname.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/savedmealdb.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

CatalogueNode food(quint32 id, quint32 group, const QByteArray& searchName,
                   const QByteArray& displayName, quint32 word)
{
    return CatalogueNode::makeItem(id, searchName, word,
                                   BrowserFixture::foodRecord(group, displayName, 'M', 100.0f));
}

// Pasta (10): 45 hits of "zzq", words 0 to 44. Rice (20): 31 hits of "yyk", the first at the
// most negative word, the others at 7. Noodles (25): 31 hits of "ttie", all at word 7.
// Cheese (30) and Cheese (31), one name for two groups, and Fruit (40): hits of "wwv".
CatalogueNode listFoods()
{
    CatalogueNode pasta = CatalogueNode::makeCategory(10, "Pasta");
    for (int i = 0; i < 45; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        pasta.children.push_back(food(1000 + i, 10, "Pasta zzq " + n, "Pasta, zzq " + n, quint32(i)));
    }
    CatalogueNode rice = CatalogueNode::makeCategory(20, "Rice");
    rice.children.push_back(food(2000, 20, "Rice yyk negative", "Rice, yyk negative", 0x80000000u));
    for (int i = 1; i < 31; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        rice.children.push_back(food(2000 + i, 20, "Rice yyk " + n, "Rice, yyk " + n, 7));
    }
    CatalogueNode noodles = CatalogueNode::makeCategory(25, "Noodles");
    for (int i = 0; i < 31; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        noodles.children.push_back(food(2500 + i, 25, "Noodles ttie " + n, "Noodles ttie " + n, 7));
    }
    CatalogueNode cheese = CatalogueNode::makeCategory(30, "Cheese");
    cheese.children.push_back(food(3000, 30, "Cheese cheddar wwv", "Cheese, cheddar wwv", 50));
    CatalogueNode plainCheese = CatalogueNode::makeCategory(31, "Cheese");
    plainCheese.children.push_back(food(3100, 31, "Cheese wwv", "Cheese", 20));
    CatalogueNode fruit = CatalogueNode::makeCategory(40, "Fruit");
    fruit.children.push_back(food(4000, 40, "Apple raw wwv", "Fruit, apple wwv", 90));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    for (CatalogueNode* category : {&pasta, &rice, &noodles, &cheese, &plainCheese, &fruit})
        root.children.push_back(*category);
    return root;
}

QStringList texts(const QTreeWidgetItem* parent)
{
    QStringList result;
    for (int i = 0; i < parent->childCount(); ++i)
        result << parent->child(i)->text(0);
    return result;
}

QStringList topTexts(const QTreeWidget& list)
{
    QStringList result;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        result << list.topLevelItem(i)->text(0);
    return result;
}

int countRows(const QTreeWidgetItem* header)
{
    return header->childCount();
}

} // namespace

class TestDragListView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static const CatalogueNode foods = listFoods();
        BrowserFixture::startSession(&foods);
        _user = UserDB::instance()->getCurrentUser();
    }
    void cleanupTestCase() { BrowserFixture::endSession(); }
    void cleanup() { Clock::reset(); }

    void rowsWithoutAfterComeFirst()
    {
        QTreeWidget list;
        new FoodViewItem(&list, QStringLiteral("b"), 2);
        new FoodViewItem(&list, QStringLiteral("c"), 3);
        auto* first = new FoodViewItem(&list, QStringLiteral("a"), 1);
        QCOMPARE(topTexts(list), (QStringList{"a", "c", "b"}));
        new FoodViewItem(&list, first, QStringLiteral("after a"), 4);
        QCOMPARE(list.topLevelItem(1)->text(0), QStringLiteral("after a"));
        auto* child = new RankedViewItem(first, QStringLiteral("x"), 5);
        new RankedViewItem(first, QStringLiteral("y"), 6);
        QCOMPARE(texts(first), (QStringList{"y", "x"}));
        QVERIFY(!child->font(0).bold());
        QVERIFY(RankedViewItem(&list, QStringLiteral("h"), -1).font(0).bold());
        QVERIFY(FixedViewItem(&list, QStringLiteral("root"), 9).font(0).bold());
    }

    void searchAcceptance_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("two and one") << "ab c" << false;
        QTest::newRow("three") << "abc" << true;
        QTest::newRow("three after a word") << "a bcd" << true;
        QTest::newRow("blanks") << "     " << false;
        QTest::newRow("any script") << "жир" << true;
    }

    void searchAcceptance()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        DragListView list;
        list.setSearch(QStringLiteral("old"), false);
        QCOMPARE(list.setSearch(text, true), accepted);
        QCOMPARE(list.getSearch(), QStringLiteral("old"));
        QCOMPARE(list.setSearch(text, false), accepted);
        QCOMPARE(list.getSearch(), accepted ? text : QStringLiteral("old"));
    }

    void rankedKeepsTheBestThirty_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("more");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<QString>("absent");
        QTest::newRow("45 hits") << "zzq" << "Pasta" << "15 more results" << "zzq 44" << "zzq 15" << "zzq 14";
        QTest::newRow("31 hits, signed words") << "yyk" << "Rice" << "1 more result" << "yyk 30" << "yyk 01"
                                               << "yyk negative";
        QTest::newRow("31 ties") << "ttie" << "Noodles" << "1 more result" << "ttie 29" << "ttie 00"
                                 << "ttie 30";
    }

    void rankedKeepsTheBestThirty()
    {
        QFETCH(QString, search);
        QFETCH(QString, header);
        QFETCH(QString, more);
        QFETCH(QString, firstRow);
        QFETCH(QString, lastRow);
        QFETCH(QString, absent);
        DragListView list = DragListView(nullptr, "foods");
        // Scrolled to the foot of another search, the list opens on this one's best rows.
        list.resize(240, 160);
        list.show();
        _showFoods(list, QStringLiteral("zzq"));
        list.scrollToBottom();
        QVERIFY(list.verticalScrollBar()->value() > 0);
        _showFoods(list, search);
        QCOMPARE(list.verticalScrollBar()->value(), 0);
        QCOMPARE(topTexts(list), (QStringList{header, more}));
        QTreeWidgetItem* rows = list.topLevelItem(0);
        QCOMPARE(countRows(rows), DragListView::RANKED_HITS);
        QCOMPARE(rows->child(0)->text(0), firstRow);
        QCOMPARE(rows->child(29)->text(0), lastRow);
        QVERIFY(!texts(rows).contains(absent));
        QVERIFY(list.moreRow());
        QVERIFY(list.moreRow()->isDisabled());
        QCOMPARE(list.emptyText(), QString());
    }

    void rankedHeadersCutNamesAndFavourites()
    {
        FavoritesDB(_user).addFavorite(FavoritesDB::ItemFlags(FoodItemFlag), FavoritesDB::ItemId(3000));
        DragListView list;
        _showFoods(list, QStringLiteral("wwv"));
        // Headers by their best hit, the two Cheese groups under one; favourites first.
        QCOMPARE(topTexts(list), (QStringList{"Favorites", "Fruit", "Cheese"}));
        QVERIFY(!list.moreRow());
        QCOMPARE(texts(list.topLevelItem(0)), QStringList{"Cheese, cheddar wwv"});
        QCOMPARE(texts(list.topLevelItem(1)), QStringList{"apple wwv"});
        QCOMPARE(texts(list.topLevelItem(2)), (QStringList{"cheddar wwv", ""}));
        QVERIFY(list.topLevelItem(2)->isExpanded());
        list.resize(260, 200);
        QVERIFY(saveWidgetPicture(&list, "draglistview-headers"));

        // Closing a header opens it again.
        list.topLevelItem(2)->setExpanded(false);
        QVERIFY(list.topLevelItem(2)->isExpanded());

        list.setFavoritesOnly(true);
        list.applyTerms(true);
        QCOMPARE(topTexts(list), QStringList{"Favorites"});
        QCOMPARE(texts(list.topLevelItem(0)), QStringList{"Cheese, cheddar wwv"});
        // A change stored behind the list's back shows once it is given its catalogue again.
        FavoritesDB(_user).removeFavorite(FavoritesDB::ItemFlags(FoodItemFlag), FavoritesDB::ItemId(3000));
        list.setDb(FoodDBStatic::instance());
        QCOMPARE(list.topLevelItemCount(), 0);
        QCOMPARE(list.emptyText(), QStringLiteral("Sorry, no items\nmatched your search term."));
        list.setSearch(QString(), false);
        list.applyTerms(true);
        QVERIFY(list.emptyText().startsWith(QStringLiteral("You can mark an item as a\nfavorite by")));
    }

    void unusableSearchFindsNothing()
    {
        DragListView list;
        _showFoods(list, QStringLiteral("-zzq"));
        QCOMPARE(list.topLevelItemCount(), 0);
        QCOMPARE(list.emptyText(), QStringLiteral("Sorry, no items\nmatched your search term."));
    }

    void treeLoadsCategoriesWhenOpened()
    {
        DragListView list;
        list.setup(QPixmap(), FoodItemFlag);
        list.setDb(FoodDBStatic::instance());
        QCOMPARE(topTexts(list), (QStringList{"Pasta", "Rice", "Noodles", "Cheese", "Cheese", "Fruit"}));
        QTreeWidgetItem* fruit = list.topLevelItem(5);
        QCOMPARE(fruit->childCount(), 0);
        QCOMPARE(fruit->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        QCOMPARE(int(FoodViewItem::from(fruit)->type), FoodItemFlag | CategoryItemFlag);
        fruit->setExpanded(true);
        QCOMPARE(texts(fruit), QStringList{"Apple raw wwv"});
        QCOMPARE(int(FoodViewItem::from(fruit->child(0))->type), int(FoodItemFlag));
        QVERIFY(list.expandedCategories().count(40));

        list.applyTerms(false);
        QVERIFY(list.topLevelItem(5)->isExpanded());
        QCOMPARE(list.topLevelItem(5)->childCount(), 1);
        QVERIFY(list.locateFvi(4000, false, nullptr));
        QVERIFY(!list.locateFvi(4000, true, nullptr));
        QCOMPARE(list.locateFvi(40, true, nullptr), FoodViewItem::from(list.topLevelItem(5)));

        list.topLevelItem(5)->setExpanded(false);
        QCOMPARE(list.topLevelItem(5)->childCount(), 0);
        QVERIFY(!list.expandedCategories().count(40));
        list.topLevelItem(5)->setExpanded(true);
        list.applyTerms(true);
        QVERIFY(!list.topLevelItem(5)->isExpanded());

        // A search without ranking opens every category above a hit.
        list.setSearch(QStringLiteral("wwv"), false);
        list.applyTerms(true);
        QCOMPARE(topTexts(list), (QStringList{"Cheese", "Cheese", "Fruit"}));
        QVERIFY(list.topLevelItem(2)->isExpanded());
        QCOMPARE(texts(list.topLevelItem(2)), QStringList{"Apple raw wwv"});
    }

    void customListShowsRootsAndReloadsOnlyItself()
    {
        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView custom(&page, "customFoods");
        custom.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        FoodDBDynamic* store = FoodDBDynamic::instance();
        const qint64 root = store->getRootForUser(_user);
        store->getRootForUser(-1);
        custom.setDb(store);
        QCOMPARE(topTexts(custom), (QStringList{"Shared Foods", "My Foods"}));
        QCOMPARE(custom.topLevelItem(0)->type(), int(FoodViewItem::FixedRow));
        QCOMPARE(custom.topLevelItem(1)->type(), int(FoodViewItem::FixedRow));
        QVERIFY(custom.topLevelItem(0)->isExpanded());
        QVERIFY(custom.emptyText().startsWith(QStringLiteral("You have not yet\ncreated any items.")));

        DragListView foods;
        _showFoods(foods, QStringLiteral("wwv"));
        QTreeWidgetItem* firstFoodRow = foods.topLevelItem(0);

        const qint64 category = store->createCategory(root, QStringLiteral("Snäcks"));
        QVERIFY(category > 0);
        QVERIFY(custom.locateFvi(category, true, nullptr));
        custom.locateFvi(category, true, nullptr)->setExpanded(true);
        const qint64 id = store->createFood(category, QStringLiteral("Rågbröd 🍞"), QStringLiteral("slice"), DBTypes::FoodItem());
        QVERIFY(id > 0);
        QCOMPARE(foods.topLevelItem(0), firstFoodRow); // the other list is left alone
        FoodViewItem* row = custom.locateFvi(id, false, nullptr);
        QVERIFY(row);
        QCOMPARE(row->text(0), QStringLiteral("Rågbröd 🍞"));
        QCOMPARE(custom.currentItem(), row);
        QCOMPARE(custom.emptyText(), QString());
        QVERIFY(row->flags() & Qt::ItemIsEditable);

        // A rename is reported from the editor's commit only.
        QSignalSpy renamed(&custom, &DragListView::itemRenamed);
        row->setText(0, QStringLiteral("changed by code"));
        QCOMPARE(renamed.count(), 0);
        custom.editItem(row, 0);
        auto* editor = custom.findChild<QLineEdit*>(QStringLiteral("qt_renamebox"));
        QVERIFY(editor);
        editor->setText(QStringLiteral("Dark bread"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(renamed.count(), 1);
        QCOMPARE(renamed.at(0).at(2).toString(), QStringLiteral("Dark bread"));
        store->deleteCategory(category, true);

        // A search opens the categories above its hit, however deep; the top one goes whole.
        BXSqlQuery chain("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 59999) INSERT INTO custom_food_cats SELECT 0x1800000 + i, "
                         "CASE i WHEN 0 THEN ? ELSE 0x17FFFFF + i END, 'Level ' || i FROM n");
        chain.bindValue(0, root);
        QVERIFY(chain.exec());
        custom.setSearch(QStringLiteral("level 59999"), false);
        QVERIFY(store->reload(0, false));
        QVERIFY(custom.locateFvi(0x1800000 + 50, true, nullptr)->isExpanded());
        custom.setSearch(QString(), false);
        QVERIFY(store->deleteCategory(0x1800000, true));
        QCOMPARE(texts(custom.topLevelItem(1)), QStringList());
    }

    // A level of any width goes into the list in one insertion, in the tree's order.
    void wideLevelIsInsertedAtOnce()
    {
        FoodDBDynamic* store = FoodDBDynamic::instance();
        BXSqlQuery wide("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 99999) INSERT INTO custom_food_cats SELECT 0x1800000 + i, ?, "
                        "printf('Wide %06d', i) FROM n");
        wide.bindValue(0, store->getRootForUser(_user));
        QVERIFY(wide.exec());
        QVERIFY(store->reload(0, false));
        DragListView custom;
        custom.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        QSignalSpy inserted(custom.model(), &QAbstractItemModel::rowsInserted);
        custom.setDb(store);
        // The roots, then the level below the user's root.
        QCOMPARE(inserted.count(), 2);
        const QTreeWidgetItem* mine = custom.topLevelItem(1);
        QCOMPARE(mine->childCount(), 100000);
        QCOMPARE(mine->child(0)->text(0), QStringLiteral("Wide 000000"));
        QCOMPARE(mine->child(99999)->text(0), QStringLiteral("Wide 099999"));
        BXSqlQuery remove("DELETE FROM custom_food_cats WHERE category_id >= 0x1800000");
        QVERIFY(remove.exec());
        QVERIFY(store->reload(0, false));
    }

    void emptyTexts()
    {
        DragListView recipes;
        recipes.setup(QPixmap(), RecipeItemFlag);
        recipes.setDb(FoodDBStatic::instance());
        recipes.setSearch(QStringLiteral("nothing like it"), false);
        recipes.applyTerms(true);
        QCOMPARE(recipes.emptyText(), QStringLiteral("Sorry, no items\nmatched your search term."));
        recipes.setSearch(QString(), false);
        recipes.clear();
        QVERIFY(!recipes.emptyText().isEmpty());

        // The box is drawn only where it fits below the rows.
        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView custom(&page, "customFoods");
        custom.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        custom.setDb(FoodDBDynamic::instance());
        page.resize(240, 300);
        custom.resize(240, 300);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        custom.repaint();
        QVERIFY(custom.emptyTextBox().width() > 1);
        QVERIFY(saveWidgetPicture(&custom, "draglistview-empty"));
        custom.resize(120, 60);
        custom.applyTerms(false);
        custom.repaint();
        QCOMPARE(custom.emptyTextBox(), QRect(0, 0, 1, 1));
    }

    void viewAllButton()
    {
        DragListView list;
        _showFoods(list, QStringLiteral("zzq"));
        list.resize(300, 400);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        MoreViewItem* more = list.moreRow();
        list.scrollToItem(more);
        const QRect row = list.visualItemRect(more);
        QVERIFY(row.height() >= more->minimumHeight());
        const QRect button = more->buttonRect(QSize(list.viewport()->width(), row.height()));
        QCOMPARE(button.right() + (row.height() - button.height()) / 2 + 1, list.viewport()->width());
        const QPoint inside = button.center() + QPoint(0, row.top());
        QSignalSpy viewAll(&list, &DragListView::viewAllClicked);
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, inside);
        QVERIFY(more->isDepressed());
        QMouseEvent away(QEvent::MouseMove, QPointF(5, row.top() + 2), QPointF(), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(list.viewport(), &away);
        QVERIFY(!more->isDepressed());
        QMouseEvent back(QEvent::MouseMove, QPointF(inside), QPointF(), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(list.viewport(), &back);
        QVERIFY(more->isDepressed());
        QVERIFY(saveWidgetPicture(&list, "draglistview-ranked"));
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, inside);
        QVERIFY(!more->isDepressed());
        QCOMPARE(viewAll.count(), 1);
    }

    void keysActOnlyWhenApart()
    {
        QDateTime now(QDate(2026, 1, 5), QTime(9, 0));
        Clock::setNow(now);
        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView list(&page, "customFoods");
        QSignalSpy removed(&list, &DragListView::removeFood);
        QSignalSpy edited(&list, &DragListView::editFood);
        const auto press = [&](int key, int laterMs) {
            now = now.addMSecs(laterMs);
            Clock::setNow(now);
            QTest::keyClick(&list, Qt::Key(key));
        };
        press(Qt::Key_Delete, 1000);
        press(Qt::Key_Delete, 20);
        QCOMPARE(removed.count(), 1);
        press(Qt::Key_Backspace, 40);
        QCOMPARE(removed.count(), 2);
        press(Qt::Key_Return, 40);
        QCOMPARE(edited.count(), 1);
        // Return or Enter ending an in-place rename is the editor's, never Edit.
        auto* row = new QTreeWidgetItem(&list, {QStringLiteral("Rye bread")});
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            list.editItem(row, 0);
            auto* editor = list.findChild<QLineEdit*>(QStringLiteral("qt_renamebox"));
            QVERIFY(editor);
            now = now.addMSecs(1000);
            Clock::setNow(now);
            QTest::keyClick(editor, key);
            QTRY_VERIFY(!list.findChild<QLineEdit*>(QStringLiteral("qt_renamebox")));
        }
        QCOMPARE(edited.count(), 1);

        ScriptedPrompter prompter;
        QSignalSpy newItem(&list, &DragListView::insertNewFoodItem);
        QSignalSpy newCategory(&list, &DragListView::insertNewFoodCat);
        prompter.answer(1);
        press(Qt::Key_Insert, 40);
        prompter.answer(2);
        press(Qt::Key_Insert, 40);
        QCOMPARE(newItem.count(), 0);
        QCOMPARE(newCategory.count(), 1);
        QCOMPARE(prompter.asked.first().caption, QStringLiteral("Create Entry"));
        QCOMPARE(prompter.asked.first().options,
                 (QStringList{"New Food Item", "New Food Category", "Cancel"}));
    }

    void contextMenus_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("snackDisplay");
        QTest::addColumn<QStringList>("entries");
        const QString favorite = QStringLiteral("Marked as favorite");
        QTest::newRow("food, numbered snacks")
            << int(FoodItemFlag) << 1000 << 2
            << QStringList{"Add food to breakfast", "Add food to lunch", "Add food to dinner",
                           "Add food to snack #1", "Add food to snack #2", "Add food to snack #3",
                           "Add food to My Foods", favorite};
        QTest::newRow("custom food, snacks between meals")
            << int(FoodItemFlag | CustomItemFlag) << 0x1000001 << 1
            << QStringList{"Add food to breakfast", "Add food to morning snack", "Add food to lunch",
                           "Add food to afternoon snack", "Add food to dinner", "Add food to evening snack",
                           "&Edit food", "&Delete food"};
        QTest::newRow("exercise") << int(ExerciseItemFlag) << 300 << 0
                                  << QStringList{"Add exercise", "Add exercise to My Exercises", favorite};
        QTest::newRow("custom exercise") << int(ExerciseItemFlag | CustomItemFlag) << 0x1000002 << 0
                                         << QStringList{"Add exercise", "Edit exercise", "Delete exercise"};
        QTest::newRow("saved meal, one snack group")
            << int(SavedMealItemFlag) << 7 << 0
            << QStringList{"Add meal to breakfast", "Add meal to lunch", "Add meal to dinner",
                           "Add meal to snack", "Create in My Foods", "Rename Meal", "Delete Meal"};
        QTest::newRow("recipe, numbered snacks")
            << int(RecipeItemFlag) << 4 << 2
            << QStringList{"Add recipe to breakfast", "Add recipe to lunch", "Add recipe to dinner",
                           "Add recipe to snack #1", "Add recipe to snack #2", "Add recipe to snack #3"};
        const QStringList rootEntries{"Create new food", "Create new category"};
        const QStringList categoryEntries = rootEntries + QStringList{"Rename category", "Remove category"};
        const int category = int(FoodItemFlag | CustomItemFlag | CategoryItemFlag);
        QTest::newRow("own root of user 0") << category << DynamicDB::USER_ROOT_BASE << 0 << rootEntries;
        QTest::newRow("own root of user 3") << category << DynamicDB::USER_ROOT_BASE + 3 << 0 << rootEntries;
        QTest::newRow("shared root") << category << DynamicDB::SHARED_ROOT << 0 << rootEntries;
        QTest::newRow("custom category") << category << 0x1000005 << 0 << categoryEntries;
        QTest::newRow("exercise category")
            << int(ExerciseItemFlag | CustomItemFlag | CategoryItemFlag) << 0x1000005 << 0
            << QStringList{"Create new exercise", "Create new category", "Rename category", "Remove category"};
        QTest::newRow("static category") << int(FoodItemFlag | CategoryItemFlag) << 10 << 0 << QStringList();
        QTest::newRow("saved-meal root") << int(SavedMealItemFlag | CategoryItemFlag) << 2 << 0 << QStringList();
    }

    void contextMenus()
    {
        QFETCH(int, type);
        QFETCH(int, id);
        QFETCH(int, snackDisplay);
        QFETCH(QStringList, entries);
        DragListView list;
        list.setup(QPixmap(), type & ~CategoryItemFlag);
        // The menu follows the layout and the favourites the list holds.
        list.setSnackDisplay(snackDisplay);
        list.setDb(FoodDBStatic::instance());
        auto* row = new FoodViewItem(&list, QStringLiteral("row"), id);
        row->type = static_cast<unsigned char>(type);
        ScriptedPrompter prompter;
        list.showContextMenu(row, QPoint(), 0);
        if (entries.isEmpty()) {
            QCOMPARE(prompter.asked.size(), 0);
        } else {
            QCOMPARE(prompter.asked.size(), 1);
            QCOMPARE(prompter.asked.first().options, entries);
        }
    }

    void menuActionsEmitWithTheRowsId_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("signal");
        const int customCategory = int(FoodItemFlag | CustomItemFlag | CategoryItemFlag);
        QTest::newRow("create food") << customCategory << "Create new food" << QByteArray(SIGNAL(addCustomFood(qint64)));
        QTest::newRow("rename category") << customCategory << "Rename category"
                                         << QByteArray(SIGNAL(editCustomFoodCategory(qint64)));
        QTest::newRow("remove exercise category")
            << int(ExerciseItemFlag | CustomItemFlag | CategoryItemFlag) << "Remove category"
            << QByteArray(SIGNAL(removeCustomExCategory(qint64)));
        QTest::newRow("edit food") << int(FoodItemFlag | CustomItemFlag) << "&Edit food"
                                   << QByteArray(SIGNAL(editCustomFood(qint64)));
        QTest::newRow("add exercise") << int(ExerciseItemFlag) << "Add exercise"
                                      << QByteArray(SIGNAL(doExerciseDialog(qint64)));
    }

    void menuActionsEmitWithTheRowsId()
    {
        QFETCH(int, type);
        QFETCH(QString, entry);
        QFETCH(QByteArray, signal);
        DragListView list;
        list.setup(QPixmap(), type & ~CategoryItemFlag);
        list.setDb(FoodDBStatic::instance());
        list.clear();
        auto* row = new FoodViewItem(&list, QStringLiteral("row"), 0x1000007);
        row->type = static_cast<unsigned char>(type);
        QSignalSpy spy(&list, signal.constData());
        ScriptedPrompter prompter;
        prompter.answer(entry);
        list.showContextMenu(row, QPoint(), 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0x1000007);
    }

    void favouriteEntryMarksAndUnmarks()
    {
        DragListView list;
        list.setup(QPixmap(), FoodItemFlag);
        list.setDb(FoodDBStatic::instance());
        list.topLevelItem(5)->setExpanded(true);
        FoodViewItem* apple = list.locateFvi(4000, false, nullptr);
        QSignalSpy selection(&list, qOverload<QTreeWidgetItem*>(&DragListView::selectionChanged));
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Marked as favorite"));
        list.showContextMenu(apple, QPoint(), 0);
        const FavoritesDB favorites(_user);
        QVERIFY(favorites.isFavorite(FavoritesDB::ItemFlags(FoodItemFlag), FavoritesDB::ItemId(4000)).value());
        QVERIFY(selection.count() >= 1);
        apple = list.locateFvi(4000, false, nullptr);
        QVERIFY(!apple->icon(0).isNull());
        QMenu* menu = list.findChild<QMenu*>();
        prompter.answer(QStringLiteral("Marked as favorite"));
        list.showContextMenu(apple, QPoint(), 0);
        QVERIFY(menu->actions().last()->isChecked());
        QCOMPARE(menu->actions().last()->data().toInt(), 110);
        QVERIFY(!favorites.isFavorite(FavoritesDB::ItemFlags(FoodItemFlag), FavoritesDB::ItemId(4000)).value());
    }

    void savedMealActions()
    {
        SavedMealTree* tree = SavedMealTree::instance();
        DBTypes::FoodDiaryItem toast;
        toast.desc = QStringLiteral("Toast");
        toast.servingDesc = QStringLiteral("slice");
        toast.refId = 0;
        toast.size = 2.0f;
        toast.values.kind = 'F';
        toast.values.energy = 80.0f;
        const qint64 meal = SavedMealDB::instance()->storeMeal(_user, -1, "Lunch box", {toast}, true);
        QVERIFY(meal > 0);
        QWidget page;
        page.setObjectName(QStringLiteral("tabSaveMeals"));
        DragListView list(&page, "savedMeals");
        list.setup(QPixmap(), SavedMealItemFlag);
        list.setDb(tree);
        FoodViewItem* row = list.locateFvi(meal, false, nullptr);
        QVERIFY(row);

        std::vector<DBTypes::FoodDiaryItem> added;
        connect(&list, &DragListView::addContextMeal,
                [&added](std::vector<DBTypes::FoodDiaryItem>& entries) { added = entries; });
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Add meal to lunch"));
        prompter.answer(2.5);
        list.showContextMenu(row, QPoint(), 0);
        QCOMPARE(added.size(), size_t(1));
        QCOMPARE(added.front().meal, 3);
        QCOMPARE(added.front().size, 5.0f);
        QCOMPARE(added.front().values.energy, 200.0f);
        QVERIFY(!DBTypes::isPresent(added.front().values.fat));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Number of serves"));

        // Out of range or cancelled: nothing.
        prompter.answer(QStringLiteral("Add meal to lunch"));
        prompter.answer(5000.0);
        added.clear();
        list.showContextMenu(list.locateFvi(meal, false, nullptr), QPoint(), 0);
        QVERIFY(added.empty());

        QSignalSpy renamed(&list, &DragListView::renameSavedMeal);
        prompter.answer(QStringLiteral("Rename Meal"));
        prompter.answer(QStringLiteral("   "));
        list.showContextMenu(list.locateFvi(meal, false, nullptr), QPoint(), 0);
        QCOMPARE(renamed.count(), 0);
        QCOMPARE(prompter.asked.last().text, QStringLiteral("What would you like to rename Lunch box to?"));

        // Deleting the meal rebuilds the list under the action: the row is gone afterwards.
        connect(&list, qOverload<const qint64>(&DragListView::deleteSavedMeal),
                [this](const qint64 id) { SavedMealDB::instance()->deleteMeal(id, _user); });
        prompter.answer(QStringLiteral("Delete Meal"));
        list.showContextMenu(list.locateFvi(meal, false, nullptr), QPoint(), 0);
        QVERIFY(!list.locateFvi(meal, false, nullptr));
    }

    void dropAcceptance()
    {
        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView list(&page, "customFoods");
        list.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        FoodDBDynamic* store = FoodDBDynamic::instance();
        const qint64 root = store->getRootForUser(_user);
        const qint64 outer = store->createCategory(root, QStringLiteral("Outer"));
        const qint64 inner = store->createCategory(outer, QStringLiteral("Inner"));
        list.setDb(store);
        list.applyTerms(false);
        FoodViewItem* outerRow = list.locateFvi(outer, true, nullptr);
        outerRow->setExpanded(true);
        FoodViewItem* innerRow = list.locateFvi(inner, true, nullptr);
        FoodViewItem* rootRow = list.locateFvi(root, true, nullptr);
        QVERIFY(outerRow && innerRow && rootRow);

        QWidget diary;
        diary.setObjectName(QStringLiteral("mealView"));
        QWidget otherList;
        otherList.setObjectName(QStringLiteral("foods"));
        ItemDrag food(12, FoodItemFlag);
        ItemDrag exercise(12, ExerciseItemFlag);
        QMimeData shortPayload;
        shortPayload.setData(ItemDrag::mimeType(), QByteArray("\x0c\0\0", 3));

        QVERIFY(list.canDrop(&food, &diary, rootRow));
        QVERIFY(!list.canDrop(&food, nullptr, rootRow));      // from another program
        QVERIFY(!list.canDrop(&food, &otherList, rootRow));   // another browser list
        QVERIFY(!list.canDrop(&shortPayload, &diary, rootRow));
        QVERIFY(!list.canDrop(&exercise, &diary, rootRow));   // the wrong catalogue

        // Moves within the list: only onto categories outside the dragged row.
        list.setCurrentItem(outerRow);
        QCOMPARE(list.startDragRow(), outerRow);
        ItemDrag move(outer, outerRow->type);
        QVERIFY(!list.canDrop(&move, &list, outerRow));
        QVERIFY(!list.canDrop(&move, &list, innerRow));
        QVERIFY(list.canDrop(&move, &list, rootRow));

        // The move asks, then files the category under the target, which stays open.
        list.setCurrentItem(innerRow);
        list.startDragRow();
        ItemDrag moveInner(inner, innerRow->type);
        ScriptedPrompter prompter;
        prompter.answer(int(QMessageBox::No));
        QVERIFY(list.dropPayload(&moveInner, &list, rootRow));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Move here?"));
        QCOMPARE(prompter.asked.last().text,
                 QStringLiteral("Are you sure you want to move <b>Inner</b> to <b>My Foods</b>?"));
        QVERIFY(list.locateFvi(outer, true, nullptr)->child(0));
        prompter.answer(int(QMessageBox::Yes));
        QVERIFY(list.dropPayload(&moveInner, &list, list.locateFvi(root, true, nullptr)));
        FoodViewItem* movedRoot = list.locateFvi(root, true, nullptr);
        QVERIFY(movedRoot->isExpanded());
        QVERIFY(list.locateFvi(inner, true, movedRoot));
        QCOMPARE(list.locateFvi(inner, true, movedRoot)->parent(), movedRoot);
        QCOMPARE(list.currentItem(), list.locateFvi(inner, true, movedRoot));
        // Into a closed category, which opens on the moved row.
        list.locateFvi(outer, true, nullptr)->setExpanded(false);
        QCOMPARE(list.startDragRow(), list.currentItem());
        prompter.answer(int(QMessageBox::Yes));
        QVERIFY(list.dropPayload(&moveInner, &list, list.locateFvi(outer, true, nullptr)));
        const FoodViewItem* moved = list.locateFvi(inner, true, list.locateFvi(outer, true, nullptr));
        QVERIFY(moved && moved == list.currentItem());
        // Made in a closed category by whatever path: the categories above it open.
        const qint64 soup = store->createFood(inner, QStringLiteral("Soup"), QStringLiteral("bowl"), {});
        QVERIFY(list.currentItem() && list.currentItem() == list.locateFvi(soup, false, nullptr));
        store->deleteCategory(outer, true);
        store->deleteCategory(inner, true);
    }

    void diaryEntriesDroppedOnCustomLists()
    {
        DBTypes::FoodDiaryItem entry;
        entry.desc = QStringLiteral("Porridge");
        entry.servingDesc = QStringLiteral("bowl");
        entry.refId = 0;
        entry.size = 1.5f;
        entry.meal = 1;
        entry.userId = _user;
        entry.values.kind = 'F';
        entry.values.energy = 240.0f;
        entry.setDate("20260105");
        const int entryId = DiaryDB::instance()->addFoodEntry(entry, false);
        QVERIFY(entryId > 0);
        QWidget diary;
        diary.setObjectName(QStringLiteral("mealView"));
        ItemDrag drag(entryId, FoodItemFlag);

        QWidget foodsPage;
        foodsPage.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView foods(&foodsPage, "customFoods");
        foods.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        FoodDBDynamic* store = FoodDBDynamic::instance();
        const qint64 root = store->getRootForUser(_user);
        foods.setDb(store);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("  Porridge bowl "));
        QVERIFY(foods.dropPayload(&drag, &diary, foods.locateFvi(root, true, nullptr)));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Creating new MyFood Item"));
        QCOMPARE(prompter.asked.last().text, QStringLiteral("What do you like to call this new item?"));
        FoodViewItem* created = foods.locateFvi(0, false, nullptr);
        for (QTreeWidgetItemIterator it(&foods); *it && !created; ++it) {
            if ((*it)->text(0) == QStringLiteral("Porridge bowl"))
                created = FoodViewItem::from(*it);
        }
        QVERIFY(created);
        QCOMPARE(store->getFoodItem(created->id)->energy, 240.0f);
        QCOMPARE(store->getServingItemList(created->id).front().name, QStringLiteral("serving"));
        store->deleteFood(created->id);

        // On the saved meals, a new meal, even over a root whose id is also a meal's.
        QWidget mealsPage;
        mealsPage.setObjectName(QStringLiteral("tabSaveMeals"));
        DragListView meals(&mealsPage, "savedMeals");
        meals.setup(QPixmap(), SavedMealItemFlag);
        SavedMealTree* tree = SavedMealTree::instance();
        meals.setDb(tree);
        const qint64 ownRoot = tree->getRootForUser(_user);
        int filler = 0;
        while (filler < ownRoot) {
            filler = SavedMealDB::instance()->storeMeal(_user, -1, "Filler", {entry}, true);
            QVERIFY(filler > 0);
        }
        QCOMPARE(filler, ownRoot);
        FoodViewItem* mealRoot = meals.locateFvi(ownRoot, true, nullptr);
        QVERIFY(mealRoot);
        const size_t before = SavedMealDB::instance()->getSavedMealItems(ownRoot).value().size();
        QCOMPARE(before, size_t(1));
        prompter.answer(QStringLiteral("Breakfast bowl"));
        QVERIFY(meals.dropPayload(&drag, &diary, mealRoot));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Creating new Saved Meal Item"));
        QCOMPARE(SavedMealDB::instance()->getSavedMealItems(ownRoot).value().size(), before);
        bool found = false;
        for (QTreeWidgetItemIterator it(&meals); *it; ++it)
            found = found || (*it)->text(0) == QStringLiteral("Breakfast bowl");
        QVERIFY(found);

        // An exercise entry becomes a custom exercise at the entry's rate.
        DBTypes::ExerciseDiaryItem run;
        run.userId = _user;
        run.exerciseId = 300;
        run.name = QStringLiteral("Running");
        run.duration = 30.0f;
        run.rate = 6.5f;
        run.status = 1;
        run.setDate("20260105");
        const int runId = DiaryDB::instance()->addExEntry(run, false);
        QVERIFY(runId > 0);
        QWidget exercisesPage;
        exercisesPage.setObjectName(QStringLiteral("tabMyExercises"));
        DragListView exercises(&exercisesPage, "customExercises");
        exercises.setup(QPixmap(), ExerciseItemFlag | CustomItemFlag);
        ExDBDynamic* exerciseStore = ExDBDynamic::instance();
        const qint64 exerciseRoot = exerciseStore->getRootForUser(_user);
        exercises.setDb(exerciseStore);
        ItemDrag exerciseDrag(runId, ExerciseItemFlag);
        QVERIFY(!foods.canDrop(&exerciseDrag, &diary, foods.locateFvi(root, true, nullptr)));
        prompter.answer(QStringLiteral("Jogging"));
        QVERIFY(exercises.dropPayload(&exerciseDrag, &diary, exercises.locateFvi(exerciseRoot, true, nullptr)));
        QCOMPARE(prompter.asked.last().text, QStringLiteral("What do you like to call this new item?"));
        FoodViewItem* jogging = nullptr;
        for (QTreeWidgetItemIterator it(&exercises); *it; ++it) {
            if ((*it)->text(0) == QStringLiteral("Jogging"))
                jogging = FoodViewItem::from(*it);
        }
        QVERIFY(jogging);
        QCOMPARE(exerciseStore->getExercise(jogging->id)->offset, 6.5f);
    }

    // Moving a meal that holds the user's own foods to Shared Meals warns first, naming them;
    // a meal of shipped foods, or a move within the user's tree, only asks.
    void sharingAMealWithPrivateFoodsWarnsFirst()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        DBTypes::FoodItem values;
        values.energy = 300.0f;
        const qint64 creme = foods->createFood(foods->getRootForUser(_user),
                                            QStringLiteral("Crème brûlée maison"),
                                            QStringLiteral("ramekin"), values);
        QVERIFY(creme > 0);
        DBTypes::FoodDiaryItem own;
        own.desc = QStringLiteral("Crème brûlée maison");
        own.refId = creme;
        DBTypes::FoodDiaryItem shipped;
        shipped.desc = QStringLiteral("Tea");
        shipped.refId = 0;
        SavedMealDB* meals = SavedMealDB::instance();
        const qint64 dessert = meals->storeMeal(_user, -1, "Dessert", {shipped, own}, true);
        const qint64 tea = meals->storeMeal(_user, -1, "Tea time", {shipped}, true);
        QVERIFY(dessert > 0 && tea > 0);
        QWidget page;
        page.setObjectName(QStringLiteral("tabSaveMeals"));
        DragListView list(&page, "savedMeals");
        list.setup(QPixmap(), SavedMealItemFlag);
        list.setDb(SavedMealTree::instance());
        const auto moveTo = [&list](int meal, int root) {
            FoodViewItem* row = list.locateFvi(meal, false, nullptr);
            list.setCurrentItem(row);
            list.startDragRow();
            ItemDrag move(meal, row->type);
            return list.dropPayload(&move, &list, list.locateFvi(root, true, nullptr));
        };
        const int shared = 1;
        const qint64 ownRoot = meals->getRootForUser(_user);

        ScriptedPrompter prompter;
        prompter.answer(int(QMessageBox::No));
        QVERIFY(moveTo(dessert, shared));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Move here?"));
        QCOMPARE(prompter.asked.last().text,
                 QStringLiteral("<b>Dessert</b> holds private foods (Crème brûlée maison) that "
                                "other users cannot add to their diaries, so they will not be "
                                "able to add this meal. Move it to <b>Shared Meals</b> anyway?"));
        QCOMPARE(storedMealName(_user, dessert), QStringLiteral("Dessert"));

        prompter.answer(int(QMessageBox::Yes));
        QVERIFY(moveTo(dessert, ownRoot));
        QVERIFY(prompter.asked.last().text.startsWith(QStringLiteral("Are you sure")));
        prompter.answer(int(QMessageBox::Yes));
        QVERIFY(moveTo(tea, shared));
        QCOMPARE(prompter.asked.last().text,
                 QStringLiteral("Are you sure you want to move <b>Tea time</b> to <b>Shared Meals</b>?"));
        QVERIFY(storedMealName(_user, tea).isEmpty());
        prompter.answer(int(QMessageBox::Yes));
        QVERIFY(moveTo(dessert, shared));
        QVERIFY(storedMealName(_user, dessert).isEmpty());
        meals->deleteMeal(dessert, _user);
        meals->deleteMeal(tea, _user);
        foods->deleteFood(creme);
    }

private:
    void _showFoods(DragListView& list, const QString& search)
    {
        list.setup(QPixmap(), FoodItemFlag);
        list.setRankedView(true);
        list.setDb(FoodDBStatic::instance());
        QVERIFY(list.setSearch(search, false));
        list.applyTerms(true);
    }

    qint64 _user = -1;
};

QTEST_MAIN(TestDragListView)
#include "tst_draglistview.moc"
