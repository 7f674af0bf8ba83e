#include "diary/diarylistslaveheader.h"
#include "diary/diarylistviewitem.h"
#include "widgets/bxcalendar.h"
#include "browser/browseritemflags.h"
#include "browser/itemdrag.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/unitenergy.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "tests/diary/diarytestdata.h"
#include "tests/diary/testdiarylist.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>

using DBTypes::DiaryDay;

class TestDiaryListView : public QObject
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
        QVERIFY(showDiaryList(_calendar, _list));
    }

    void cleanup()
    {
        _list.reset();
        _calendar.reset();
    }

    void cleanupTestCase()
    {
        endDiaryListSession();
    }

    // --- Pure rules ------------------------------------------------------------------

    void filingRule_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("groups"); // the group of meals 0 to 7
        QTest::newRow("together") << 0 << QList<int>{6, 1, 6, 3, 6, 5, 6, 6};
        QTest::newRow("between meals") << 1 << QList<int>{6, 1, 2, 3, 4, 5, 6, 6};
        QTest::newRow("below meals") << 2 << QList<int>{6, 1, 2, 3, 4, 5, 6, 6};
    }

    void filingRule()
    {
        QFETCH(int, mode);
        QFETCH(QList<int>, groups);
        for (int meal = 0; meal < 8; ++meal)
            QCOMPARE(DiaryListView::fileGroup(mode, meal), groups[meal]);
    }

    void totalsPerLayout_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("group");
        QTest::addColumn<float>("energy");
        QTest::newRow("one snack group holds every snack") << 0 << 6 << 185.0f;
        QTest::newRow("hidden morning snack") << 0 << 2 << 0.0f;
        QTest::newRow("evening snack and strays") << 1 << 6 << 35.0f;
        QTest::newRow("morning snack") << 1 << 2 << 100.0f;
        QTest::newRow("numbered snack") << 2 << 4 << 50.0f;
        QTest::newRow("breakfast skips missing values") << 2 << 1 << 20.0f;
        QTest::newRow("exercise") << 1 << 8 << 150.0f;
    }

    void totalsPerLayout()
    {
        QFETCH(int, mode);
        QFETCH(int, group);
        QFETCH(float, energy);
        DiaryDay day;
        day.foods = {food(2, "a", 100), food(4, "b", 50), food(6, "c", 25), food(7, "d", 10),
                     food(1, "e", -999), food(1, "f", 20)};
        DBTypes::ExerciseDiaryItem walk;
        walk.duration = 30;
        walk.rate = 5;
        day.exercises = {walk};
        QCOMPARE(DiaryListView::groupTotal(day, mode, group, DBTypes::ENERGY), energy);
    }

    void columnSettingsText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("applied");
        QTest::newRow("default") << "0:2:" << "0:2:";
        QTest::newRow("none") << "-" << "-";
        QTest::newRow("empty") << "" << "-";
        QTest::newRow("not numbers") << "3:x:1.5:1:" << "3:1:";
        QTest::newRow("outside 0 to 9") << "-1:10:12:4:" << "4:";
        QTest::newRow("repeated") << "0:2:0:" << "0:2:";
        QTest::newRow("more than five") << "1:2:3:4:5:6:7:" << "1:2:3:4:5:";
    }

    void columnSettingsText()
    {
        QFETCH(QString, stored);
        QFETCH(QString, applied);
        QCOMPARE(DiaryListView::printColumnSettings(DiaryListView::parseColumnSettings(stored)),
                 applied);
        _list->setColumnSettings(stored);
        QCOMPARE(_list->getColumnSettings(), applied);
        QCOMPARE(_list->columnCount(), int(_list->nutrientColumns().size()) + 1);
    }

    void nameWrapping()
    {
        const QFont font = QApplication::font();
        const QFontMetrics metrics(font);
        const int words = metrics.horizontalAdvance(QStringLiteral("Butter,"))
            + metrics.horizontalAdvance(QStringLiteral("salted"));
        int lines = 0;
        QCOMPARE(DiaryListViewItem::wrapName(QStringLiteral(" Butter,\t  salted "), words + 5,
                                             font, &lines),
                 QStringLiteral("Butter, salted"));
        QCOMPARE(lines, 1);
        QCOMPARE(DiaryListViewItem::wrapName(QStringLiteral("Butter, salted"), words + 4, font,
                                             &lines),
                 QStringLiteral("Butter,\nsalted"));
        QCOMPARE(lines, 2);
        // Words are measured in the font asked for, whichever font measured them before.
        QFont larger = font;
        larger.setPointSize(font.pointSize() * 2);
        const QFontMetrics largerMetrics(larger);
        const int largerWords = largerMetrics.horizontalAdvance(QStringLiteral("Butter,"))
            + largerMetrics.horizontalAdvance(QStringLiteral("salted"));
        QCOMPARE(DiaryListViewItem::wrapName(QStringLiteral("Butter, salted"), largerWords + 4,
                                             larger, &lines),
                 QStringLiteral("Butter,\nsalted"));
        QCOMPARE(DiaryListViewItem::wrapName(QStringLiteral("Butter, salted"), largerWords + 4,
                                             font, &lines),
                 QStringLiteral("Butter, salted"));
        QCOMPARE(lines, 1);

        // A long name in the list grows its row by one line height per line.
        DBTypes::FoodDiaryItem entry = food(1, QStringLiteral("Cheese, cheddar, reduced fat, "
                                                              "grated, with added vitamins and "
                                                              "calcium, from the delicatessen"),
                                            100);
        QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) > 0);
        _list->resize(330, 500);
        _list->showToday();
        const QTreeWidgetItem* row = _list->groupRow(1)->child(0);
        const int rowLines = int(row->text(0).count(QLatin1Char('\n'))) + 1;
        QVERIFY(rowLines >= 3);
        QCOMPARE(row->sizeHint(0).height(), metrics.height() * rowLines + 6);
        QCOMPARE(_list->visualItemRect(row).height(), metrics.height() * rowLines + 6);
    }

    void rowHeights_data()
    {
        QTest::addColumn<int>("font");
        QTest::addColumn<bool>("topLevel");
        QTest::addColumn<bool>("gap");
        QTest::addColumn<int>("height");
        QTest::newRow("hint, even font") << 14 << false << false << 18;
        QTest::newRow("hint, odd font") << 13 << false << false << 18;
        QTest::newRow("first group") << 14 << true << false << 22;
        QTest::newRow("group with gap") << 14 << true << true << 33;
        QTest::newRow("group with gap, odd font") << 15 << true << true << 36;
    }

    void rowHeights()
    {
        QFETCH(int, font);
        QFETCH(bool, topLevel);
        QFETCH(bool, gap);
        QFETCH(int, height);
        QCOMPARE(DiaryListViewItem::rowHeight(font, topLevel, gap), height);
    }

    void groupRowsInTheList()
    {
        const auto* breakfast = static_cast<DiaryListViewItem*>(_list->groupRow(1));
        const auto* lunch = static_cast<DiaryListViewItem*>(_list->groupRow(3));
        QVERIFY(!breakfast->hasGapAbove());
        QVERIFY(lunch->hasGapAbove());
        const int fontHeight = QFontMetrics(lunch->getFont()).height();
        QCOMPARE(_list->visualItemRect(lunch).height(),
                 DiaryListViewItem::rowHeight(fontHeight, true, true));
        QCOMPARE(lunch->getFont().weight(), int(QFont::Bold));
        QCOMPARE(lunch->baseColor(), QColor(190, 230, 255));
        QCOMPARE(static_cast<DiaryListViewItem*>(_list->groupRow(8))->baseColor(),
                 QColor(210, 255, 210));
        const auto* hint = static_cast<DiaryListViewItem*>(lunch->child(0));
        QCOMPARE(hint->getId(), DiaryListView::HintRowId);
        QVERIFY(hint->getFont().italic());
        QCOMPARE(_list->groupRow(8)->child(0)->text(0), QStringLiteral("Drag an exercise here"));
    }

    void layouts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("together") << 0 << QStringList{" Breakfast", " Lunch", " Dinner", " Snacks", " Exercises"};
        QTest::newRow("between meals") << 1 << QStringList{" Breakfast", " Morning snack", " Lunch", " Afternoon snack", " Dinner", " Evening snack", " Exercises"};
        QTest::newRow("below meals") << 2 << QStringList{" Breakfast", " Lunch", " Dinner", " Snacks #1", " Snacks #2", " Snacks #3", " Exercises"};
    }

    void layouts()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, titles);
        // Entries shown before the change are filed again at once.
        const qint64 snack = storeFood(2, QStringLiteral("apple"));
        _list->showToday();
        _list->setColumnSettings(QStringLiteral("0:2:3:1:4:"));
        _list->setViewMode(2 - mode);
        _list->setViewMode(mode);
        QStringList shown;
        for (int i = 0; i < _list->topLevelItemCount(); ++i) {
            if (!_list->topLevelItem(i)->isHidden())
                shown << _list->topLevelItem(i)->text(0);
        }
        QCOMPARE(shown, titles);
        QCOMPARE(childIds(_list->groupRow(DiaryListView::fileGroup(mode, 2))), QList<qint64>{snack});
        storeFood(5, QStringLiteral("Chicken breast, skinless, roasted, with a long name that wraps"));
        _list->showToday();
        saveWidgetPicture(_list.get(), QStringLiteral("diarylist-layout-%1").arg(mode));
    }

    void energyColumnFollowsTheUnit()
    {
        storeExercise(30);
        _list->showToday();
        QCOMPARE(_list->headerItem()->text(1), energyName());
        QCOMPARE(_list->groupRow(8)->text(1), QStringLiteral("150 "));
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        _list->showToday();
        QCOMPARE(_list->headerItem()->text(1), QStringLiteral("Kilojoules"));
        QCOMPARE(_list->groupRow(8)->child(0)->text(1), QStringLiteral("627"));
        QVERIFY(action(_list->headerMenu(), QStringLiteral("Kilojoules")));
        saveWidgetPicture(_list.get(), QStringLiteral("diarylist-kilojoules"));
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
    }

    void editMenuRefreshes()
    {
        QSignalSpy refreshes(_list.get(), &DiaryListView::requestEditMenuRefresh);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* menuBar = new QLineEdit(&window);
        menuBar->setObjectName(QStringLiteral("menubar"));
        auto* field = new QLineEdit(&window);
        layout->addWidget(menuBar);
        layout->addWidget(field);
        layout->addWidget(_list.get());
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        _list->setFocus();
        refreshes.clear();
        menuBar->setFocus();
        QCOMPARE(refreshes.count(), 1);
        QCOMPARE(refreshes.last(), (QVariantList{1, 0}));
        _list->setFocus();
        field->setFocus();
        QCOMPARE(refreshes.count(), 3);
        QCOMPARE(refreshes.at(1), (QVariantList{1, 0})); // focus in
        QCOMPARE(refreshes.last(), (QVariantList{-1, 0}));

        storeFood(1, QStringLiteral("egg"));
        _list->showToday();
        refreshes.clear();
        // Moving the current row selects it: one refresh for each.
        _list->setCurrentItem(_list->groupRow(1)->child(0));
        QCOMPARE(refreshes.count(), 2);
        QCOMPARE(refreshes.last(), (QVariantList{1, 0}));
        _list->clearSelection();
        QCOMPARE(refreshes.count(), 3);
        QCOMPARE(refreshes.last(), (QVariantList{1, 0}));
        _list->setParent(nullptr);
    }

    void headerMenuEntries()
    {
        ScriptedPrompter prompter;
        QMenu* menu = _list->headerMenu();
        _list->setColumnSettings(QStringLiteral("0:2:"));
        _list->popupNutrientMenu(2); // the fat column
        QCOMPARE(prompter.asked.size(), 1);
        QAction* energy = action(menu, energyName());
        QAction* fat = action(menu, QStringLiteral("Fat"));
        QAction* protein = action(menu, QStringLiteral("Protein"));
        QVERIFY(fat->isVisible() && fat->isChecked() && fat->isEnabled());
        QVERIFY(energy->isVisible() && !energy->isChecked() && !energy->isEnabled());
        QVERIFY(protein->isVisible() && !protein->isChecked() && protein->isEnabled());
        QVERIFY(action(menu, QStringLiteral("Add Nutrient"))->isVisible());
        QVERIFY(action(menu, QStringLiteral("Remove Nutrient"))->isVisible());
        QVERIFY(action(menu, QStringLiteral("Display all snacks together"))->isChecked());
        QVERIFY(!action(menu, QStringLiteral("Group snacks below meals"))->isChecked());

        _list->popupNutrientMenu(0); // the Item column shows no nutrient entries
        QVERIFY(!fat->isVisible() && !protein->isVisible());

        _list->setColumnSettings(QStringLiteral("0:1:2:3:4:"));
        _list->popupNutrientMenu(1);
        QVERIFY(!action(menu, QStringLiteral("Add Nutrient"))->isVisible());
        _list->setColumnSettings(QStringLiteral("-"));
        _list->popupNutrientMenu(0);
        QVERIFY(!action(menu, QStringLiteral("Remove Nutrient"))->isVisible());
        QVERIFY(action(menu, QStringLiteral("Add Nutrient"))->isVisible());
        saveWidgetPicture(menu, QStringLiteral("diarylist-header-menu"));
    }

    void headerMenuCommands()
    {
        ScriptedPrompter prompter;
        _list->setColumnSettings(QStringLiteral("0:2:3:"));
        prompter.answer(QStringLiteral("Remove Nutrient"));
        _list->popupNutrientMenu(0); // from "Item": the last column goes
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("0:2:"));
        QCOMPARE(UserDB::instance()->getColumnSettings(user()), QStringLiteral("0:2:"));

        prompter.answer(QStringLiteral("Add Nutrient"));
        _list->popupNutrientMenu(1);
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("0:2:1:"));

        prompter.answer(QStringLiteral("Protein"));
        _list->popupNutrientMenu(2);
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("0:3:1:"));

        prompter.answer(QStringLiteral("Remove Nutrient"));
        _list->popupNutrientMenu(1);
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("3:1:"));

        prompter.answer(QStringLiteral("Group snacks below meals"));
        _list->popupNutrientMenu(0);
        QCOMPARE(_list->getViewMode(), int(DBTypes::SNACKS_NUMBERED));
        QCOMPARE(UserDB::instance()->getUserPrefs(user()).value().snackDisplay, int(DBTypes::SNACKS_NUMBERED));

        _list->setColumnSettings(QStringLiteral("0:"));
        prompter.answer(QStringLiteral("Remove Nutrient"));
        _list->popupNutrientMenu(1);
        QCOMPARE(UserDB::instance()->getColumnSettings(user()), QStringLiteral("-"));
    }

    void slaveHeaderFollowsTheList()
    {
        DiaryListSlaveHeader header(nullptr, "slave");
        header.setMaster(_list.get());
        _list->setColumnSettings(QStringLiteral("0:2:3:"));
        QCOMPARE(header.count(), 4);
        QCOMPARE(header.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Fat"));
        QCOMPARE(header.sectionSize(0), _list->columnWidth(0));
        QCOMPARE(header.sectionSize(3), _list->columnWidth(3));
        ScriptedPrompter prompter;
        emit header.sectionClicked(3);
        QCOMPARE(menuEntries(prompter).contains(QStringLiteral("Protein")), true);
        QVERIFY(action(_list->headerMenu(), QStringLiteral("Protein"))->isChecked());
        header.resize(700, 24);
        saveWidgetPicture(&header, QStringLiteral("diarylist-slave-header"));
    }

private:
    std::unique_ptr<BXCalendar> _calendar;
    std::unique_ptr<TestDiaryList> _list;
};

QTEST_MAIN(TestDiaryListView)
#include "tst_diarylistview.moc"
