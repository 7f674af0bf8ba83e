#include "diary/diarylistview.h"
#include "diary/savedmealloadform.h"
#include "widgets/bxcalendar.h"
#include "widgets/shownday.h"
#include "browser/addfooddialog.h"
#include "browser/browseritemflags.h"
#include "browser/foodwidget.h"
#include "browser/itemdrag.h"
#include "catalogue/browsabledbiterator.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/savedmealtree.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// A drag payload that lives until the end of the statement that uses it.
std::unique_ptr<ItemDrag> payload(int id, unsigned char type)
{
    return std::make_unique<ItemDrag>(id, type);
}

// A diary list whose drags come from the browser widget the test names; everything else,
// the Add food and saved-meal dialogs included, is the real thing.
class BrowserDropList : public DiaryListView
{
public:
    BrowserDropList() : DiaryListView(nullptr, "mealView") {}
    const QObject* source = nullptr;

protected:
    const QObject* dropSource(const QDropEvent*) const override { return source; }
};

int foodNamed(const QString& name)
{
    FoodDBStatic* foods = FoodDBStatic::instance();
    const std::unique_ptr<BrowsableDBIterator> all = foods->getFlattenedChildren(0, FLAG_CATEGORY);
    while (all->next()) {
        if (foods->getFoodName(*all) == name)
            return int(all->id());
    }
    return -1;
}

void drop(DiaryListView* list, const QTreeWidgetItem* row, const QMimeData* data)
{
    const QRect rect = list->visualItemRect(row);
    const QPoint pos(rect.center().x(), rect.bottom() - 2);
    QDragEnterEvent enter(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    QDropEvent event(QPointF(pos), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
}

template <typename Dialog>
void whenShown(void (*answer)(Dialog*))
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
    });
}

} // namespace

class TestDiaryEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        CatalogueServices::install();
    }

    void cleanupTestCase()
    {
        Clock::reset();
        SavedMealTree::cleanUp();
        SavedMealDB::cleanUp();
        DiaryDB::cleanUp();
        CatalogueServices::cleanUp();
        UnitCollection::cleanUp();
        endSession();
    }

    void dropMoveSaveLoadAndReload()
    {
        const int butter = foodNamed(QStringLiteral("Butter, salted"));
        QVERIFY(butter >= 0);
        BXCalendar calendar(nullptr, Clock::today(), QDate(2000, 1, 1), QDate(2100, 1, 1));
        BrowserDropList list;
        list.setCalendar(&calendar);
        ShownDay::instance()->show(UserDB::instance()->getCurrentUser(), Clock::today());
        list.setViewMode(DBTypes::SNACKS_TOGETHER);
        list.setColumnSettings(QStringLiteral("0:2:"));
        list.resize(700, 500);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QWidget browser;

        // 1. Butter on Lunch, 2 servings.
        list.source = &browser;
        whenShown<AddFoodDialog>([](AddFoodDialog* dialog) {
            dialog->foodWidget->sizeLineEdit->setText(QStringLiteral("2"));
            QTest::mouseClick(dialog->addButton, Qt::LeftButton);
        });
        drop(&list, list.groupRow(3), payload(butter, FoodItemFlag).get());
        QCOMPARE(list.groupRow(3)->childCount(), 1);
        QTreeWidgetItem* row = list.groupRow(3)->child(0);
        const int entry = DiaryListView::rowId(row);
        const std::optional<DBTypes::FoodDiaryItem> stored = DiaryDB::instance()->getFoodEntry(UserDB::instance()->getCurrentUser(), entry);
        QVERIFY(stored);
        QCOMPARE(stored->meal, 3);
        QCOMPARE(stored->size, 2.0f);
        QCOMPARE(row->text(0).simplified(),
                 QStringLiteral("2.0 %1 of Butter, salted").arg(stored->servingDesc));

        // 2. Moved to Dinner.
        list.setCurrentItem(row);
        std::unique_ptr<ItemDrag> payload(list.dragObject());
        list.source = &list;
        drop(&list, list.groupRow(5), payload.get());
        QCOMPARE(DiaryDB::instance()->getFoodEntry(UserDB::instance()->getCurrentUser(), entry)->meal, 5);

        // 3. Dinner saved as a meal.
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Buttered dinner"));
        QSignalSpy saved(&list, &DiaryListView::newSavedMeal);
        list.setCurrentItem(list.groupRow(5));
        list.handleContextMenu(DiaryListView::SaveMealCommand);
        QCOMPARE(saved.count(), 1);

        // 4. That meal loaded into Breakfast.
        whenShown<SavedMealLoadForm>([](SavedMealLoadForm* dialog) {
            QCOMPARE(dialog->lbMeals->count(), 1);
            QTest::keyClick(dialog->lbMeals, Qt::Key_Return);
        });
        list.setCurrentItem(list.groupRow(1));
        list.handleContextMenu(DiaryListView::LoadMealCommand);

        // 5. The store holds what the rows show.
        const DBTypes::DiaryDay day =
            DiaryDB::instance()->getDay(UserDB::instance()->getCurrentUser(), "20260310", false).value();
        QCOMPARE(day.foods.size(), size_t(2));
        QCOMPARE(day.foods[0].meal, 5);
        QCOMPARE(day.foods[1].meal, 1);
        QCOMPARE(day.foods[1].size, 2.0f);
        QCOMPARE(day.foods[1].values.energy, day.foods[0].values.energy);
        const QString breakfast = list.groupRow(1)->child(0)->text(0);
        const QString dinner = list.groupRow(5)->child(0)->text(0);
        const QString totals = list.groupRow(5)->text(1);
        list.showToday();
        QCOMPARE(list.groupRow(1)->child(0)->text(0), breakfast);
        QCOMPARE(list.groupRow(5)->child(0)->text(0), dinner);
        QCOMPARE(list.groupRow(5)->text(1), totals);
        QCOMPARE(DiaryListView::rowId(list.groupRow(1)->child(0)), day.foods[1].entryId);
        QCOMPARE(DiaryListView::rowId(list.groupRow(3)->child(0)), DiaryListView::HintRowId);
    }
};

QTEST_MAIN(TestDiaryEndToEnd)
#include "tst_diaryendtoend.moc"
