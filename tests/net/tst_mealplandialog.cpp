// The meal-plan dialog over plans stored or downloaded from a service on 127.0.0.1: what it
// lists, which page it shows, and every way of copying a planned food into the diary.

#include "core/displaydate.h"
#include "browser/addfooddialog.h"
#include "catalogue/catalogueservices.h"
#include "core/clock.h"
#include "core/exercisediaryitem.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "net/mealplandialog.h"
#include "net/mealplandownloader.h"
#include "testbrand.h"
#include "testhttpserver.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"
#include "userdb/diarystart.h"
#include "userdb/mealplandb.h"

#include <QCheckBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QDate TODAY(2026, 12, 7);

QByteArray code(const QDate& day)
{
    return day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

// A dialog whose add-food dialog is answered by the test.
class TestDialog : public MealPlanDialog
{
public:
    bool acceptAddFood = true;
    QStringList addFoodTitles;

protected:
    bool runAddFoodDialog(AddFoodDialog& dialog) override
    {
        addFoodTitles << dialog.windowTitle();
        return acceptAddFood;
    }
};

} // namespace

class TestMealPlanDialog : public QObject
{
    Q_OBJECT

private:
    TestHttpServer _server;
    qint64 _user = -1;

    void storeFood(const QDate& day, const QString& name, int meal, float energy = 100.0f)
    {
        DBTypes::FoodDiaryItem item;
        QXmlStreamAttributes attributes;
        attributes.append(QStringLiteral("food_name"), name);
        attributes.append(QStringLiteral("serv_name"), QStringLiteral("cup"));
        attributes.append(QStringLiteral("qty"), QStringLiteral("2"));
        attributes.append(QStringLiteral("calories"), QString::number(energy));
        attributes.append(QStringLiteral("protein"), QStringLiteral("5"));
        item.readFromXmlAttributes(attributes);
        item.meal = meal;
        item.userId = _user;
        item.setDate(code(day).toStdString());
        QVERIFY(MealPlanDB::instance()->addFoodEntry(item, false) > 0);
    }

    // The texts of a meal row's food rows, top to bottom.
    QStringList foodRows(const MealPlanDialog& dialog, int topIndex) const
    {
        QStringList texts;
        QTreeWidgetItem* meal = dialog.itemList->topLevelItem(topIndex);
        for (int i = 0; i < meal->childCount(); ++i)
            texts << meal->child(i)->text(0);
        return texts;
    }

    void fillWeek()
    {
        for (int i = 0; i <= 7; ++i)
            storeFood(TODAY.addDays(i), QStringLiteral("Filler"), 1);
    }

    QPoint rowPoint(const MealPlanDialog& dialog, QTreeWidgetItem* row, int dx) const
    {
        const QRect rect = dialog.itemList->visualItemRect(row);
        return QPoint(rect.left() + dx, rect.center().y());
    }

    // A click and the second click of a double click, as the user makes them.
    void doubleClick(const MealPlanDialog& dialog, QTreeWidgetItem* row, int dx) const
    {
        QTest::mouseClick(dialog.itemList->viewport(), Qt::LeftButton, {}, rowPoint(dialog, row, dx));
        QTest::mouseDClick(dialog.itemList->viewport(), Qt::LeftButton, {}, rowPoint(dialog, row, dx));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(importBrandWithOverrides(
            {{QStringLiteral("mealplan_auth_url"), _server.url(QStringLiteral("/mealplan?user=${USERNAME_OPTIONAL}&"))}},
            {{QStringLiteral("mealplans_enabled"), true}}));
        const StoreResult start = DiaryStart::startUp(true);
        QVERIFY2(start, qPrintable(start.message()));
        _user = addCompleteUser(QStringLiteral("Planner"));
        QVERIFY(_user >= 0);
        UserDB::instance()->setCurrentUser(_user);
        CatalogueServices::install();
        Clock::setNow(QDateTime(TODAY, QTime(9, 0)));
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
    }

    void init()
    {
        MealPlanDownloader::cleanUp();
        for (int i = -3; i <= 10; ++i)
            MealPlanDB::instance()->deleteDay(_user, code(TODAY.addDays(i)).constData(), true);
    }

    void cleanupTestCase()
    {
        MealPlanDownloader::cleanUp();
        MealPlanDB::cleanUp();
        UnitCollection::cleanUp();
        CatalogueServices::cleanUp();
        Clock::reset();
        endSession();
    }

    void listsThePlanByMeal()
    {
        const QDate day = TODAY.addDays(1);
        storeFood(day, QStringLiteral("Oatmeal"), 1, 150);
        storeFood(day, QStringLiteral("Toast"), 1);
        storeFood(day, QStringLiteral("Apple"), 2);
        storeFood(day, QStringLiteral("Nuts"), 4);
        storeFood(day, QStringLiteral("Soup"), 3);
        DBTypes::ExerciseDiaryItem walk;
        walk.userId = _user;
        walk.exerciseId = 1;
        walk.duration = 30;
        walk.setDate(code(day).toStdString());
        MealPlanDB::instance()->addExEntry(walk, false);

        TestDialog dialog;
        dialog.setDay(day);
        QCOMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::MEAL_PLAN_PAGE));
        QCOMPARE(dialog.dateLabel->text(), QStringLiteral("MEAL PLAN - ") + DisplayDate::textDate(day));
        QCOMPARE(dialog.itemList->topLevelItemCount(), 4);
        QCOMPARE(dialog.itemList->topLevelItem(0)->text(0), QStringLiteral(" Breakfast"));
        QCOMPARE(dialog.itemList->topLevelItem(3)->text(0), QStringLiteral(" Snacks"));
        QCOMPARE(foodRows(dialog, 0), (QStringList{QStringLiteral("2.0 cup of Toast"), QStringLiteral("2.0 cup of Oatmeal")}));
        QCOMPARE(foodRows(dialog, 1), QStringList{QStringLiteral("2.0 cup of Soup")});
        QCOMPARE(foodRows(dialog, 2), QStringList());
        QCOMPARE(foodRows(dialog, 3), (QStringList{QStringLiteral("2.0 cup of Nuts"), QStringLiteral("2.0 cup of Apple")}));
        QTreeWidgetItem* oatmeal = dialog.itemList->topLevelItem(0)->child(1);
        QCOMPARE(oatmeal->text(1), UnitCollection::instance()->get(DBTypes::ENERGY)->printNumber(150.0));
        QCOMPARE(oatmeal->text(2), UnitCollection::instance()->get(DBTypes::PROTEIN)->printNumber(5.0));
        QVERIFY(!(dialog.itemList->topLevelItem(0)->flags() & Qt::ItemIsSelectable));
        QVERIFY(dialog.itemList->topLevelItem(0)->isExpanded());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        saveWidgetPicture(&dialog, QStringLiteral("mealplan-plan"));

        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        QCOMPARE(dialog.showPlanFromDb(), MealPlanDialog::PlanShown);
        const QString kilojoules = dialog.itemList->topLevelItem(0)->child(1)->text(1);
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
        QCOMPARE(kilojoules, QStringLiteral("627"));
        saveWidgetPicture(&dialog, QStringLiteral("mealplan-plan-kj"));
    }

    void copiesByDoubleClickEnterAndMenu()
    {
        const QDate day = TODAY.addDays(1);
        storeFood(day, QStringLiteral("Apple"), 4);
        storeFood(day, QStringLiteral("Soup"), 3);
        TestDialog dialog;
        dialog.setDay(day);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QList<DBTypes::FoodDiaryItem> entries;
        connect(&dialog, &MealPlanDialog::addFoodSignal, this,
                [&entries](DBTypes::FoodDiaryItem& entry) { entries << entry; });
        QTreeWidgetItem* apple = dialog.itemList->topLevelItem(3)->child(0);
        QTreeWidgetItem* soup = dialog.itemList->topLevelItem(1)->child(0);

        doubleClick(dialog, apple, 60);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.last().desc, QStringLiteral("Apple"));
        QCOMPARE(entries.last().meal, 4);
        QCOMPARE(entries.last().entryId, -9999);

        dialog.itemList->setCurrentItem(soup);
        QTest::keyClick(dialog.itemList, Qt::Key_Return);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.last().meal, 3);

        // Clicks beside the add image, and on a meal row, copy nothing.
        QTest::mouseClick(dialog.itemList->viewport(), Qt::LeftButton, {}, rowPoint(dialog, soup, 60));
        QTest::mouseClick(dialog.itemList->viewport(), Qt::LeftButton, {},
                          rowPoint(dialog, dialog.itemList->topLevelItem(0), 2));
        doubleClick(dialog, dialog.itemList->topLevelItem(0), 40);
        QCOMPARE(entries.size(), 2);
        QTest::mouseClick(dialog.itemList->viewport(), Qt::LeftButton, {}, rowPoint(dialog, soup, 2));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.last().desc, QStringLiteral("Soup"));

        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Add food to dinner"));
        dialog.showContextMenu(apple, QPoint(10, 10), 0);
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries.last().meal, 5);
        QVERIFY(prompter.asked.last().options.contains(QStringLiteral("Add food to dinner")));
        dialog.showContextMenu(dialog.itemList->topLevelItem(1), QPoint(10, 10), 0);
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(entries.size(), 4);
    }

    void servingSizeCheckGoesThroughTheAddDialog()
    {
        storeFood(TODAY, QStringLiteral("Soup"), 3);
        TestDialog dialog;
        dialog.setDay(TODAY);
        int added = 0;
        int meal = 0;
        connect(&dialog, &MealPlanDialog::addFoodSignal, this, [&](DBTypes::FoodDiaryItem& entry) {
            ++added;
            meal = entry.meal;
        });
        QTreeWidgetItem* soup = dialog.itemList->topLevelItem(1)->child(0);
        dialog.servingSizeCheck->setChecked(true);
        dialog.acceptAddFood = false;
        dialog.itemChosen(soup);
        QCOMPARE(dialog.addFoodTitles, QStringList{QStringLiteral("Enter serving size")});
        QCOMPARE(added, 0);
        dialog.acceptAddFood = true;
        dialog.itemChosen(soup, 6);
        QCOMPARE(added, 1);
        QCOMPARE(meal, 6);
    }

    void downloadsAMissingDay()
    {
        TestDialog dialog;
        const QDate day = TODAY.addDays(2);
        _server.answer(TestHttpServer::ok(
            "<mealplan><food food_name=\"Rice\" serv_name=\"bowl\" qty=\"1\" meal=\"Dinner\" date=\""
            + day.toString(Qt::ISODate).toLatin1() + "\" calories=\"200\"/></mealplan>"),
            TestHttpServer::Answer::KeepOpen);
        dialog.setDay(day);
        QCOMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::DOWNLOAD_PAGE));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        saveWidgetPicture(&dialog, QStringLiteral("mealplan-download"));
        QTRY_COMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::MEAL_PLAN_PAGE));
        QCOMPARE(foodRows(dialog, 2), QStringList{QStringLiteral("1.0 bowl of Rice")});
    }

    void downloadFailureShowsTheErrorPage()
    {
        TestDialog dialog;
        _server.answer(TestHttpServer::ok("<mealplan errno=\"3\" errstr=\"No membership\"/>"));
        dialog.setDay(TODAY);
        QCOMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::DOWNLOAD_PAGE));
        QTRY_COMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::ERROR_PAGE));
        QCOMPARE(dialog.errorLabel->text(), QStringLiteral("No membership (3)"));
        QVERIFY(dialog.textLabel2_2->text().startsWith(QStringLiteral("An error prevented the download")));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        saveWidgetPicture(&dialog, QStringLiteral("mealplan-error"));
    }

    void exerciseOnlyDayWithNothingToDownloadHasNoPlan()
    {
        fillWeek();
        const QDate day = TODAY.addDays(-1);
        DBTypes::ExerciseDiaryItem walk;
        walk.userId = _user;
        walk.exerciseId = 1;
        walk.duration = 30;
        walk.setDate(code(day).toStdString());
        MealPlanDB::instance()->addExEntry(walk, false);
        const int requests = _server.requests().size();
        TestDialog dialog;
        dialog.setDay(day);
        QCOMPARE(dialog.stack->currentIndex(), int(MealPlanDialog::NO_DATA_PAGE));
        QCOMPARE(_server.requests().size(), requests);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        saveWidgetPicture(&dialog, QStringLiteral("mealplan-nodata"));
    }
};

QTEST_MAIN(TestMealPlanDialog)
#include "tst_mealplandialog.moc"
