// The diary page's browser panel end to end on the shipped catalogue and a real user
// database: typed searches, adding a food and an exercise to the day, a custom food and a
// saved breakfast.

#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbdynamic.h"
#include "core/unitcollection.h"
#include "diary/diarylistview.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "widgets/expandingtabbar.h"
#include "widgets/searchlineedit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// The first row of that exact type in the list, in the order shown.
FoodViewItem* firstOfType(QTreeWidget* list, unsigned char type)
{
    for (QTreeWidgetItemIterator it(list); *it; ++it) {
        FoodViewItem* row = FoodViewItem::from(*it);
        if (row && row->id >= 0 && row->type == type)
            return row;
    }
    return nullptr;
}

std::optional<DBTypes::FoodDiaryItem> firstEntry(const QTreeWidgetItem* group)
{
    if (!group || group->childCount() == 0)
        return std::nullopt;
    return DiaryDB::instance()->getFoodEntry(UserDB::instance()->getCurrentUser(), DiaryListView::rowId(group->child(0)));
}

} // namespace

class TestBrowserPanelEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        CatalogueServices::install();
        DBTypes::CheckinItem checkin;
        checkin.userId = UserDB::instance()->getCurrentUser();
        qstrcpy(checkin.date, QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd")).toLatin1());
        checkin.weight = 80.0f;
        checkin.hasWeight = true;
        QVERIFY(UserDB::instance()->addCheckin(checkin, false));
        _page = std::make_unique<DiaryWidget>(nullptr, "diaryWidget");
        _page->resize(1100, 760);
        _page->show();
        QVERIFY(QTest::qWaitForWindowExposed(_page.get()));
        _list = _page->diaryView1->mealView;
        _list->setViewMode(DBTypes::SNACKS_TOGETHER);
        _list->showToday();
        _page->reload(); // hands the check-in's weight on
        _browser = _page->foodQueryWidget3;
    }
    void cleanupTestCase()
    {
        _page.reset();
        CatalogueServices::cleanUp();
        SavedMealDB::cleanUp();
        DiaryDB::cleanUp();
        UnitCollection::cleanUp();
        endSession();
    }

    void typedSearchAddsAFoodToBreakfast()
    {
        QLineEdit* field = _browser->prettySearchEdit->lineEdit();
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("coffee brewed"));
        QCOMPARE(_browser->foodView->getSearch(), QStringLiteral("coffee brewed"));
        QVERIFY(_browser->foodView->getRankedView());
        FoodViewItem* hit = firstOfType(_browser->foodView, FoodItemFlag);
        QVERIFY(hit);
        _browser->foodView->setCurrentItem(hit);
        QCOMPARE(_browser->displayStack->currentWidget(), _browser->foodWidget);

        _browser->foodWidget->sizeLineEdit->setText(QStringLiteral("2"));
        const float energy = _browser->foodWidget->getFoodDiaryItem().getNutrient(DBTypes::ENERGY);
        QVERIFY(energy >= 0.0f);
        _browser->foodWidget->addToMeal(DBTypes::DiaryDay::BREAKFAST);

        const auto entry = firstEntry(_list->groupRow(DBTypes::DiaryDay::BREAKFAST));
        QVERIFY(entry);
        QCOMPARE(entry->refId, hit->id);
        QCOMPARE(entry->size, 2.0f);
        QVERIFY(std::fabs(entry->getNutrient(DBTypes::ENERGY) - energy) < 0.01f);
        QVERIFY(field->hasFocus() || field->selectedText() == field->text()); // back in the field
    }

    void exerciseBurnsAtTheUsersWeight()
    {
        _browser->categoryBar->setCurrentIndex(1); // Exercise
        QLineEdit* field = _browser->prettySearchEdit->lineEdit();
        field->clear();
        QTest::keyClicks(field, QStringLiteral("walking"));
        DragListView* list = _browser->exerciseView;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setExpanded(true);
        FoodViewItem* walking = firstOfType(list, ExerciseItemFlag);
        QVERIFY(walking);
        list->setCurrentItem(walking);
        QCOMPARE(_browser->displayStack->currentWidget(), _browser->exerciseWidget);
        _browser->exerciseWidget->sizeLineEdit->setText(QStringLiteral("30"));
        _browser->exerciseWidget->addButton->click();
        const QTreeWidgetItem* exercises = _list->groupRow(8);
        QVERIFY(exercises && exercises->childCount() > 0);
        const auto entry =
            DiaryDB::instance()->getExerciseEntry(UserDB::instance()->getCurrentUser(), DiaryListView::rowId(exercises->child(0)));
        QVERIFY(entry);
        QCOMPARE(entry->duration, 30.0f);
        QVERIFY(entry->rate > 0.0f); // the page hands the user's weight to the panel
    }

    // Made while the Foods tab is up with a banana of its search shown: the new food is shown
    // selected on its own tab, and Add puts it, not the banana, into the day. So is a saved
    // meal on the Saved Meals tab. Whatever the lists behind do, the panel offers what the
    // list in front shows selected.
    void customFoodAndSavedBreakfast()
    {
        _browser->categoryBar->setCurrentIndex(0);
        _browser->prettySearchEdit->lineEdit()->setText(QStringLiteral("banana"));
        _browser->foodView->setCurrentItem(firstOfType(_browser->foodView, FoodItemFlag));
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        _browser->myFoodNewItem->click();
        QCOMPARE(_browser->getCurrentListview(), _browser->myfoodView);
        FoodViewItem* food = FoodViewItem::from(_browser->myfoodView->currentItem());
        QVERIFY(food && food->isSelected());
        QCOMPARE(food->text(0), QStringLiteral("New food"));
        _browser->foodWidget->addToMeal(DBTypes::DiaryDay::LUNCH);
        QCOMPARE(firstEntry(_list->groupRow(DBTypes::DiaryDay::LUNCH)).value().desc, QStringLiteral("New food"));
        // A list behind the tab in front that lets go of its row and selects another, as its
        // reload may, leaves the panel to the list in front.
        _browser->foodView->clearSelection();
        _browser->foodView->setCurrentItem(firstOfType(_browser->foodView, FoodItemFlag));
        const FoodViewItem* selected = FoodViewItem::from(_browser->getCurrentListview()->currentItem());
        QVERIFY(selected && selected->isSelected());
        QCOMPARE(_browser->foodWidget->getFoodDiaryItem().desc, selected->text(0));

        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Save Breakfast Menu"));
        prompter.answer(QStringLiteral("Morning"));
        _browser->newSavedMeal->click();
        QCOMPARE(prompter.asked.first().kind, QStringLiteral("menu"));
        BXSqlQuery query("SELECT group_id FROM group_diary WHERE name = 'Morning'");
        QVERIFY(query.exec() && query.next());
        QCOMPARE(SavedMealDB::instance()->getSavedMealItems(query.value(0).toInt()).value().size(), size_t(1));
        QCOMPARE(_browser->getCurrentListview(), _browser->savedMealView);
        QCOMPARE(_browser->savedMealView->currentItem()->text(0), QStringLiteral("Morning"));
        QVERIFY(_browser->foodWidget->nameLabel->text().contains(QStringLiteral("Morning")));
    }

private:
    std::unique_ptr<DiaryWidget> _page;
    DiaryListView* _list = nullptr;
    FoodQueryWidget* _browser = nullptr;
};

QTEST_MAIN(TestBrowserPanelEndToEnd)
#include "tst_browserpanelendtoend.moc"
