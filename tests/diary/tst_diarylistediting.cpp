#include "widgets/bxcalendar.h"
#include "browser/browseritemflags.h"
#include "browser/itemdrag.h"
#include "core/clock.h"
#include "core/fooddbbase.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "tests/diary/diarytestdata.h"
#include "tests/diary/testdiarylist.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

using DBTypes::DiaryDay;

namespace {

// A drag payload that lives until the end of the statement that uses it.
std::unique_ptr<ItemDrag> payload(int id, unsigned char type)
{
    return std::make_unique<ItemDrag>(id, type);
}

bool dragOver(DiaryListView* list, const QPoint& pos, const QMimeData* data)
{
    QDragEnterEvent enter(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
    return move.isAccepted();
}

bool drop(DiaryListView* list, const QPoint& pos, const QMimeData* data)
{
    dragOver(list, pos, data);
    QDropEvent event(QPointF(pos), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
    return event.isAccepted();
}

// A point inside the row; for a group row, in its lower half, which belongs to the group.
QPoint centre(DiaryListView* list, const QTreeWidgetItem* row)
{
    const QRect rect = list->visualItemRect(row);
    return QPoint(rect.center().x(), row->parent() ? rect.center().y() : rect.bottom() - 2);
}

int storeSavedMeal(const QString& name)
{
    std::vector<DBTypes::FoodDiaryItem> foods{food(1, QStringLiteral("bread"), 200.0f, -999.0f),
                                              food(1, QStringLiteral("jam"), 50.0f, 1.0f)};
    foods[0].size = 2.0f;
    return SavedMealDB::instance()->storeMeal(user(), -1, name.toStdString(), foods, true);
}

void refuse(const char* event)
{
    BXSqlDb::perform(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE %1 ON food_diary BEGIN "
                                    "SELECT RAISE(ABORT, 'refused'); END")
                         .arg(QLatin1String(event))
                         .toLatin1()
                         .constData());
}

void allowAgain()
{
    BXSqlDb::perform("DROP TRIGGER IF EXISTS refuse");
}

const DBTypes::FoodDiaryItem* storedFood(const DiaryDay& day, int id)
{
    for (const DBTypes::FoodDiaryItem& entry : day.foods) {
        if (entry.entryId == id)
            return &entry;
    }
    return nullptr;
}

} // namespace

class TestDiaryListEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startDiaryListSession());
    }

    void init()
    {
        DiaryDB::instance()->deleteDay(user(), "20260310", true);
        BXSqlDb::perform("DELETE FROM group_diary");
        BXSqlDb::perform("DELETE FROM food_diary WHERE date IS NULL");
        QVERIFY(showDiaryList(_calendar, _list));
    }

    void cleanup()
    {
        allowAgain();
        _list.reset();
        _calendar.reset();
    }

    void cleanupTestCase()
    {
        endDiaryListSession();
    }

    // --- Drags from the browser --------------------------------------------------------

    void dragsTheListRefuses()
    {
        QWidget browser;
        _list->source = &browser;
        const QPoint lunch = centre(_list.get(), _list->groupRow(3)->child(0));
        QVERIFY(dragOver(_list.get(), lunch, payload(7, FoodItemFlag).get()));
        QVERIFY(!dragOver(_list.get(), lunch, payload(7, FoodItemFlag | CategoryItemFlag).get()));
        QVERIFY(!dragOver(_list.get(), lunch, payload(7, ExerciseItemFlag | CategoryItemFlag).get()));
        QVERIFY(!dragOver(_list.get(), centre(_list.get(), _list->groupRow(8)->child(0)),
                          payload(7, FoodItemFlag).get()));
        const QPoint belowTheRows(10, _list->viewport()->height() - 5);
        QVERIFY(!_list->itemAt(belowTheRows));
        QVERIFY(!dragOver(_list.get(), belowTheRows, payload(7, FoodItemFlag).get()));

        QMimeData shortPayload;
        shortPayload.setData(ItemDrag::mimeType(), QByteArray(4, '\0'));
        QVERIFY(!dragOver(_list.get(), lunch, &shortPayload));
        QMimeData secondFormat;
        secondFormat.setData(QStringLiteral("text/plain"), "food");
        secondFormat.setData(ItemDrag::mimeType(), ItemDrag::encode(7, FoodItemFlag));
        QVERIFY(!dragOver(_list.get(), lunch, &secondFormat));

        // A drag from another program has no source.
        _list->source = nullptr;
        QVERIFY(!dragOver(_list.get(), lunch, payload(7, FoodItemFlag).get()));
    }

    void anExerciseIsTakenAnywhere()
    {
        QWidget browser;
        _list->source = &browser;
        int asked = 0;
        _list->exerciseDialog = [&](DBTypes::ExerciseDiaryItem& entry, int id, bool editing) {
            asked = id;
            entry.exerciseId = id;
            entry.duration = 20.0f;
            entry.rate = 4.0f;
            entry.name = QStringLiteral("Rowing");
            return !editing;
        };
        QSignalSpy totals(_list.get(), &DiaryListView::totalChanged);
        const QPoint belowTheRows(10, _list->viewport()->height() - 5);
        QVERIFY(drop(_list.get(), belowTheRows, payload(42, ExerciseItemFlag).get()));
        QCOMPARE(asked, 42);
        QCOMPARE(storedDay().exercises.size(), size_t(1));
        QCOMPARE(childIds(_list->groupRow(8)), QList<qint64>{storedDay().exercises[0].entryId});
        QCOMPARE(_list->groupRow(8)->text(1), QStringLiteral("80 "));
        QCOMPARE(totals.count(), 1);

        QVERIFY(drop(_list.get(), centre(_list.get(), _list->groupRow(1)), payload(43, ExerciseItemFlag).get()));
        QCOMPARE(asked, 43);
    }

    void aFoodGoesToTheGroupUnderThePointer()
    {
        QWidget browser;
        _list->source = &browser;
        int foodId = -1;
        _list->foodDialog = [&](DBTypes::FoodDiaryItem& entry, int id, bool editing) {
            foodId = id;
            entry = food(0, QStringLiteral("toast"), 80.0f);
            return !editing;
        };
        QSignalSpy finished(_list.get(), &DiaryListView::dropFinished);
        QSignalSpy totals(_list.get(), &DiaryListView::totalChanged);
        const QRect lunch = _list->visualItemRect(_list->groupRow(3));
        // The upper half of a group row belongs to the group above.
        QVERIFY(drop(_list.get(), QPoint(20, lunch.top() + 2), payload(9, FoodItemFlag).get()));
        QCOMPARE(foodId, 9);
        QCOMPARE(storedDay().foods.back().meal, 1);
        QCOMPARE(_list->groupRow(1)->childCount(), 1);
        QVERIFY(_list->groupRow(1)->child(0)->text(0).contains(QLatin1String("toast")));
        QVERIFY(drop(_list.get(), QPoint(20, lunch.bottom() - 2), payload(9, FoodItemFlag | CustomItemFlag).get()));
        QCOMPARE(storedDay().foods.back().meal, 3);
        QCOMPARE(childIds(_list->groupRow(3)), QList<qint64>{storedDay().foods.back().entryId});
        QCOMPARE(_list->groupRow(3)->text(1), QStringLiteral("80 "));
        QCOMPARE(finished.count(), 2);
        QCOMPARE(totals.count(), 2);
        QCOMPARE(totals.last().at(0).value<DiaryDay>().foods.size(), size_t(2));

        // Cancelling the dialog adds nothing.
        _list->foodDialog = {};
        QVERIFY(drop(_list.get(), QPoint(20, lunch.bottom() - 2), payload(9, FoodItemFlag).get()));
        QCOMPARE(storedDay().foods.size(), size_t(2));
        QCOMPARE(finished.count(), 2);
    }

    void aRecipeThatCannotBeFetched()
    {
        QWidget browser;
        _list->source = &browser;
        ScriptedPrompter prompter;
        QVERIFY(drop(_list.get(), centre(_list.get(), _list->groupRow(5)), payload(3, RecipeItemFlag).get()));
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Add recipe - error"));
        QCOMPARE(prompter.lastText(), QStringLiteral("Sorry, we couldn't fetch recipe details for that recipe."));
        QCOMPARE(_list->foodDialogs, 0);

        _list->recipe = [](DBTypes::FoodDiaryItem& entry, int) {
            entry.desc = QStringLiteral("Pie");
            return true;
        };
        QString offered;
        _list->foodDialog = [&](DBTypes::FoodDiaryItem& entry, int id, bool) {
            offered = id < 0 ? entry.desc : QString();
            return false;
        };
        drop(_list.get(), centre(_list.get(), _list->groupRow(5)), payload(3, RecipeItemFlag).get());
        QCOMPARE(offered, QStringLiteral("Pie"));
    }

    void aSavedMealIsScaled_data()
    {
        QTest::addColumn<double>("servings");
        QTest::addColumn<bool>("added");
        QTest::newRow("double") << 2.0 << true;
        QTest::newRow("a tenth") << 0.1 << true;
        QTest::newRow("none") << 0.0 << false;
        QTest::newRow("too many") << 2001.0 << false;
        QTest::newRow("not a number") << qQNaN() << false;
    }

    void aSavedMealIsScaled()
    {
        QFETCH(double, servings);
        QFETCH(bool, added);
        const int meal = storeSavedMeal(QStringLiteral("Lunchbox"));
        QWidget browser;
        _list->source = &browser;
        ScriptedPrompter prompter;
        prompter.answer(servings);
        QSignalSpy finished(_list.get(), &DiaryListView::dropFinished);
        QVERIFY(drop(_list.get(), centre(_list.get(), _list->groupRow(5)), payload(meal, SavedMealItemFlag).get()));
        QCOMPARE(prompter.asked.first().caption, QStringLiteral("Please select number of servings"));
        const DiaryDay day = storedDay();
        QCOMPARE(day.foods.size(), size_t(added ? 2 : 0));
        QCOMPARE(finished.count(), added ? 1 : 0);
        if (!added)
            return;
        QCOMPARE(day.foods[0].meal, 5);
        QCOMPARE(day.foods[0].size, float(2.0 * servings));
        QCOMPARE(day.foods[0].values.energy, float(200.0 * servings));
        QVERIFY(day.foods[0].values.fat < 0.0f); // missing stays missing
        QCOMPARE(day.foods[1].values.fat, float(servings));
        QCOMPARE(childIds(_list->groupRow(5)), (QList<qint64>{day.foods[0].entryId, day.foods[1].entryId}));
    }

    // --- Moving entries within the list ---------------------------------------------

    void aFoodEntryMovesToAnotherMeal()
    {
        const qint64 id = storeFood(1, QStringLiteral("egg"));
        storeExercise(10);
        _list->showToday();
        _list->setCurrentItem(_list->groupRow(1)->child(0));
        std::unique_ptr<ItemDrag> payload(_list->dragObject());
        QVERIFY(payload);
        QCOMPARE(payload->id(), id);
        QCOMPARE(payload->type(), (unsigned char)FoodItemFlag);
        _list->source = _list.get();

        QSignalSpy totals(_list.get(), &DiaryListView::totalChanged);
        QVERIFY(!dragOver(_list.get(), centre(_list.get(), _list->groupRow(8)->child(0)), payload.get()));
        QVERIFY(drop(_list.get(), centre(_list.get(), _list->groupRow(1)), payload.get()));
        QCOMPARE(storedFood(storedDay(), id)->meal, 1); // its own group: nothing moves
        QCOMPARE(totals.count(), 0);

        QVERIFY(drop(_list.get(), centre(_list.get(), _list->groupRow(5)->child(0)), payload.get()));
        QCOMPARE(storedFood(storedDay(), id)->meal, 5);
        QCOMPARE(childIds(_list->groupRow(5)), QList<qint64>{id});
        QCOMPARE(childIds(_list->groupRow(1)), QList<qint64>{DiaryListView::HintRowId});
        QCOMPARE(_list->groupRow(5)->text(1), QStringLiteral("100 "));
        QCOMPARE(_list->groupRow(1)->text(1), QString());
        QCOMPARE(DiaryListView::rowId(_list->currentItem()), id);
        QCOMPARE(totals.count(), 1);
    }

    void anExerciseEntryDoesNotMove()
    {
        storeExercise(10);
        _list->showToday();
        _list->setCurrentItem(_list->groupRow(8)->child(0));
        std::unique_ptr<ItemDrag> payload(_list->dragObject());
        QCOMPARE(payload->type(), (unsigned char)ExerciseItemFlag);
        _list->source = _list.get();
        QVERIFY(!dragOver(_list.get(), centre(_list.get(), _list->groupRow(3)), payload.get()));

        // Group and hint rows are never dragged.
        _list->setCurrentItem(_list->groupRow(3));
        QVERIFY(!std::unique_ptr<ItemDrag>(_list->dragObject()));
        _list->setCurrentItem(_list->groupRow(3)->child(0));
        QVERIFY(!std::unique_ptr<ItemDrag>(_list->dragObject()));
    }

    // --- Menus, keys and the mouse --------------------------------------------------

    void aMealGroupRowOffersItsMenuAnywhere()
    {
        storeFood(3, QStringLiteral("soup"));
        _list->showToday();
        const QRect lunch = _list->visualItemRect(_list->groupRow(3));
        for (const int y : {lunch.top() + 1, lunch.center().y(), lunch.bottom() - 1}) {
            ScriptedPrompter prompter;
            _list->showContextMenu(QPoint(30, y));
            QCOMPARE(menuEntries(prompter), QStringList{QStringLiteral("Save Meal")});
        }
        storeSavedMeal(QStringLiteral("Lunchbox"));
        ScriptedPrompter prompter;
        _list->showContextMenu(centre(_list.get(), _list->groupRow(1)));
        QCOMPARE(menuEntries(prompter), QStringList{QStringLiteral("Load Meal")});
        _list->showContextMenu(centre(_list.get(), _list->groupRow(3)->child(0)));
        QCOMPARE(prompter.asked.last().options, (QStringList{QStringLiteral("Edit"), QStringLiteral("Remove")}));

        const int menus = int(prompter.asked.size());
        _list->showContextMenu(centre(_list.get(), _list->groupRow(1)->child(0)));
        _list->showContextMenu(centre(_list.get(), _list->groupRow(8)));
        QCOMPARE(int(prompter.asked.size()), menus);
    }

    void removingEntries()
    {
        // Another user's entries, 1 and one past 32 bits: the user's own that follow are named
        // by their whole ids, and each row removes only its own entry.
        const int other = user() + 1;
        BXSqlQuery insert("INSERT INTO food_diary(food_id, user_id, date, meal, status) VALUES (?, ?, '20260310', 3, 1)");
        for (const qint64 id : {qint64(1), qint64(1) << 32}) {
            insert.bindValue(0, id);
            insert.bindValue(1, other);
            QVERIFY(insert.exec());
        }
        const qint64 first = storeFood(3, QStringLiteral("a"));
        const qint64 middle = storeFood(3, QStringLiteral("b"));
        const qint64 last = storeFood(3, QStringLiteral("c"));
        _list->showToday();
        QTreeWidgetItem* lunch = _list->groupRow(3);

        _list->setCurrentItem(lunch);
        QTest::keyClick(_list.get(), Qt::Key_Delete);
        QCOMPARE(storedDay().foods.size(), size_t(3));

        _list->setCurrentItem(lunch->child(1));
        QTest::keyClick(_list.get(), Qt::Key_Delete);
        QCOMPARE(childIds(lunch), (QList<qint64>{first, last}));
        QCOMPARE(DiaryListView::rowId(_list->currentItem()), last);
        QTest::keyClick(_list.get(), Qt::Key_Backspace);
        QCOMPARE(DiaryListView::rowId(_list->currentItem()), first);
        QCOMPARE(lunch->text(1), QStringLiteral("100 "));
        _list->deleteEntry();
        QCOMPARE(childIds(lunch), QList<qint64>{DiaryListView::HintRowId});
        QVERIFY(storedDay().foods.empty());
        QVERIFY(!_list->isEmpty());
        QVERIFY(middle > qint64(1) << 32);
        QCOMPARE(DiaryDB::instance()->getDay(other, "20260310", false).value().foods.size(), size_t(2));
    }

    void keysAndDoubleClicks()
    {
        const qint64 id = storeFood(5, QStringLiteral("rice"));
        _list->showToday();
        QTreeWidgetItem* dinner = _list->groupRow(5);
        _list->setCurrentItem(dinner->child(0));
        QTest::keyClick(_list.get(), Qt::Key_Left);
        QCOMPARE(_list->currentItem(), dinner->child(0));
        QVERIFY(dinner->isExpanded());

        QTest::mouseClick(_list->viewport(), Qt::LeftButton, {}, centre(_list.get(), dinner));
        QTest::mouseDClick(_list->viewport(), Qt::LeftButton, {}, centre(_list.get(), dinner));
        QVERIFY(dinner->isExpanded());
        QCOMPARE(_list->foodDialogs, 0);

        // Edit keeps the entry's id, from Return, a double click or the Edit menu.
        _list->foodDialog = [](DBTypes::FoodDiaryItem& entry, int foodId, bool editing) {
            entry.setSize(entry.size + 1.0f);
            entry.meal = DiaryDay::LUNCH;
            return foodId < 0 && editing;
        };
        _list->setCurrentItem(dinner->child(0));
        QTest::keyClick(_list.get(), Qt::Key_Return);
        QCOMPARE(storedDay().foods.size(), size_t(1));
        QCOMPARE(storedDay().foods[0].entryId, id);
        QCOMPARE(storedDay().foods[0].size, 2.0f);
        QCOMPARE(childIds(_list->groupRow(3)), QList<qint64>{id});
        QCOMPARE(childIds(dinner), QList<qint64>{DiaryListView::HintRowId});
        QCOMPARE(DiaryListView::rowId(_list->currentItem()), id);

        QTest::mouseDClick(_list->viewport(), Qt::LeftButton, {}, centre(_list.get(), _list->currentItem()));
        _list->editEntry();
        QCOMPARE(storedDay().foods[0].size, 4.0f);

        // Apply with nothing edited stores nothing: a store that would refuse is never tried.
        _list->foodDialog = [](DBTypes::FoodDiaryItem&, int, bool) { return true; };
        refuse("UPDATE");
        ScriptedPrompter prompter;
        _list->editEntry();
        allowAgain();
        QVERIFY(prompter.asked.isEmpty());
    }

    void editingAnExercise()
    {
        const qint64 id = storeExercise(10);
        _list->showToday();
        _list->exerciseDialog = [](DBTypes::ExerciseDiaryItem& entry, int, bool editing) {
            entry.duration = 45.0f;
            return editing;
        };
        _list->setCurrentItem(_list->groupRow(8)->child(0));
        _list->editEntry();
        QCOMPARE(storedDay().exercises[0].entryId, id);
        QCOMPARE(storedDay().exercises[0].duration, 45.0f);
        QCOMPARE(_list->groupRow(8)->child(0)->text(0), QStringLiteral("45.0 minutes of Walking"));
    }

    // --- Saved meals -----------------------------------------------------------------

    void savingTheSnackGroupTakesWhatItShows()
    {
        storeFood(2, QStringLiteral("apple"));
        storeFood(6, QStringLiteral("nuts"));
        storeFood(1, QStringLiteral("oats"));
        _list->showToday();
        QCOMPARE(_list->groupRow(6)->text(1), QStringLiteral("200 "));
        QSignalSpy saved(_list.get(), &DiaryListView::newSavedMeal);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("   "));
        _list->setCurrentItem(_list->groupRow(6));
        _list->handleContextMenu(DiaryListView::SaveMealCommand);
        QCOMPARE(saved.count(), 0);
        prompter.answer(QStringLiteral("Snacks"));
        _list->handleContextMenu(DiaryListView::SaveMealCommand);
        QCOMPARE(saved.count(), 1);
        const int meal = saved.at(0).at(0).toInt();
        QVERIFY(meal >= 1);
        const std::vector<DBTypes::FoodDiaryItem> items = SavedMealDB::instance()->getSavedMealItems(meal).value();
        QCOMPARE(items.size(), size_t(2));
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Save Meal"));
    }

    void loadingAMeal()
    {
        const int meal = storeSavedMeal(QStringLiteral("Lunchbox"));
        _list->savedMeal = meal;
        QSignalSpy totals(_list.get(), &DiaryListView::totalChanged);
        _list->setCurrentItem(_list->groupRow(1));
        _list->handleContextMenu(DiaryListView::LoadMealCommand);
        const DiaryDay day = storedDay();
        QCOMPARE(day.foods.size(), size_t(2));
        QCOMPARE(day.foods[0].meal, 1);
        QCOMPARE(day.foods[0].size, 2.0f);
        QCOMPARE(childIds(_list->groupRow(1)), (QList<qint64>{day.foods[0].entryId, day.foods[1].entryId}));
        QCOMPARE(totals.count(), 1);
        QCOMPARE(totals.at(0).at(0).value<DiaryDay>().foods.size(), size_t(2));

        _list->savedMeal = -1;
        _list->handleContextMenu(DiaryListView::LoadMealCommand);
        QCOMPARE(storedDay().foods.size(), size_t(2));
    }

    // --- What the store refuses ------------------------------------------------------

    void aRefusedInsertAddsNoRow()
    {
        refuse("INSERT");
        ScriptedPrompter prompter;
        QSignalSpy totals(_list.get(), &DiaryListView::totalChanged);
        DBTypes::FoodDiaryItem entry = food(3, QStringLiteral("pie"), 300.0f);
        entry.entryId = -9999; // a meal-plan entry
        _list->addContextFood(entry);
        QCOMPARE(childIds(_list->groupRow(3)), QList<qint64>{DiaryListView::HintRowId});
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked[0].kind, QStringLiteral("message"));
        QCOMPARE(totals.count(), 0);

        _list->savedMeal = storeSavedMeal(QStringLiteral("Lunchbox"));
        _list->setCurrentItem(_list->groupRow(1));
        _list->handleContextMenu(DiaryListView::LoadMealCommand);
        QCOMPARE(childIds(_list->groupRow(1)), QList<qint64>{DiaryListView::HintRowId});
        allowAgain();
        QVERIFY(storedDay().foods.empty());

        // Without the trigger the meal-plan entry is stored as a new one.
        _list->addContextFood(entry);
        QVERIFY(entry.entryId > 0);
        QCOMPARE(childIds(_list->groupRow(3)), QList<qint64>{entry.entryId});
    }

    // A shared meal that holds a food private to another user is refused whole, and the
    // message names the food, however the meal comes.
    void aSharedMealWithAnotherUsersFoodIsRefusedByName()
    {
        DBTypes::UserProfile alice;
        alice.name = QStringLiteral("Alice");
        qint64 aliceId = -1;
        QVERIFY(UserDB::instance()->addUser(alice, &aliceId));
        BXSqlDb::perform(QStringLiteral("INSERT INTO custom_food_cats(category_id, parent_id, name) "
                                        "VALUES (%1, 0, 'My Foods')")
                             .arg(FoodDBBase::UserRootBase + aliceId)
                             .toLatin1()
                             .constData());
        BXSqlDb::perform(QStringLiteral("INSERT INTO custom_foods(food_id, category_id, name, "
                                        "serv_name, calories) VALUES (0x1000020, %1, "
                                        "'Crème brûlée maison', 'ramekin', 300)")
                             .arg(FoodDBBase::UserRootBase + aliceId)
                             .toUtf8()
                             .constData());
        DBTypes::FoodDiaryItem creme = food(1, QStringLiteral("Crème brûlée maison"), 300.0f);
        creme.refId = 0x1000020;
        creme.userId = aliceId;
        SavedMealDB* meals = SavedMealDB::instance();
        const qint64 dessert = meals->storeMeal(aliceId, -1, "Dessert",
                                             {food(1, QStringLiteral("tea"), 5.0f), creme}, true);
        QVERIFY(dessert > 0);
        // Alice shares it.
        const int own = user();
        UserDB::instance()->setCurrentUser(aliceId);
        QVERIFY(meals->reparentItem(dessert, aliceId, 1));
        UserDB::instance()->setCurrentUser(own);

        const QString refusal = QStringLiteral(
            "This meal holds \"Crème brûlée maison\", a food private to another user, so the "
            "meal cannot be added to your diary and nothing was added. The food's owner can move "
            "it to Shared Foods for every user.");
        ScriptedPrompter prompter;
        _list->savedMeal = dessert;
        _list->setCurrentItem(_list->groupRow(1));
        _list->handleContextMenu(DiaryListView::LoadMealCommand);
        QCOMPARE(prompter.lastText(), refusal);
        std::vector<DBTypes::FoodDiaryItem> fromBrowser = meals->getSavedMealItems(dessert).value();
        for (DBTypes::FoodDiaryItem& entry : fromBrowser)
            entry.meal = 3;
        _list->addContextMeal(fromBrowser);
        QCOMPARE(prompter.lastText(), refusal);
        QCOMPARE(prompter.asked.size(), 2);
        QVERIFY(storedDay().foods.empty());
        QCOMPARE(childIds(_list->groupRow(1)), QList<qint64>{DiaryListView::HintRowId});

        // Alone, the food is named as well.
        _list->addContextFood(creme);
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("\"Crème brûlée maison\" is a food private to another user, so "
                                "it cannot be added to your diary. Its owner can move it to "
                                "Shared Foods for every user."));
        QVERIFY(storedDay().foods.empty());
        QCOMPARE(UserDB::instance()->deleteUser(aliceId), 0);
    }

    // An entry edited or moved while the store refuses it (a rule of the diary) or another
    // program reads the diary, is about to write or holds it whole: the row stays where it
    // was and the diary as it was; a held diary is waited for once a try, with Retry and
    // Cancel, and an edit asks for the new entry once, before anything is changed.
    void aRefusedChangeLeavesTheRow_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("hold");
        for (const bool edit : {false, true}) {
            const char* name = edit ? "edit" : "move";
            QTest::addRow("%s refused", name) << edit << -1;
            QTest::addRow("%s, reader", name) << edit << int(OtherReader::Shared);
            QTest::addRow("%s, immediate", name) << edit << int(OtherReader::Immediate);
            QTest::addRow("%s, writer", name) << edit << int(OtherReader::Exclusive);
        }
    }

    void aRefusedChangeLeavesTheRow()
    {
        QFETCH(bool, edit);
        QFETCH(int, hold);
        const qint64 id = storeFood(1, QStringLiteral("egg"));
        _list->showToday();
        _list->setCurrentItem(_list->groupRow(1)->child(0));
        std::unique_ptr<ItemDrag> payload(_list->dragObject());
        _list->source = _list.get();
        _list->foodDialog = [](DBTypes::FoodDiaryItem& entry, int, bool) {
            entry.meal = 5;
            return true;
        };
        const QStringList before = everyStoredRow();
        ScriptedPrompter prompter;
        prompter.answer(0); // Retry, then Cancel
        std::optional<OtherReader> other;
        std::optional<BusyWaits> waits;
        if (hold < 0) {
            refuse("UPDATE");
        } else {
            other.emplace(BXSqlDb::instance()->database().databaseName(), OtherReader::Hold(hold));
            QVERIFY(other->reading());
            waits.emplace(100);
        }
        if (edit)
            _list->handleContextMenu(DiaryListView::EditCommand);
        else
            drop(_list.get(), centre(_list.get(), _list->groupRow(5)), payload.get());
        QCOMPARE(childIds(_list->groupRow(1)), QList<qint64>{id});
        QCOMPARE(childIds(_list->groupRow(5)), QList<qint64>{DiaryListView::HintRowId});
        QCOMPARE(_list->foodDialogs, edit && hold != OtherReader::Exclusive ? 1 : 0);
        if (hold < 0) {
            QCOMPARE(prompter.asked.size(), 1);
            return;
        }
        QCOMPARE(waits->count(), 2);
        QCOMPARE(prompter.asked.size(), 2);
        QCOMPARE(prompter.asked.at(0).options, (QStringList{"Retry", "Cancel"}));
        QVERIFY2(prompter.lastText().startsWith(QStringLiteral("The diary is in use")),
                 qPrintable(prompter.lastText()));
        waits.reset();
        other.reset();
        QCOMPARE(everyStoredRow(), before);
    }

private:
    std::unique_ptr<BXCalendar> _calendar;
    std::unique_ptr<TestDiaryList> _list;
};

QTEST_MAIN(TestDiaryListEditing)
#include "tst_diarylistediting.moc"
