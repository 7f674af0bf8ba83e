#include "widgets/bxcalendar.h"
#include "widgets/bxinputdialog.h"
#include "widgets/searchlineedit.h"
#include "browser/foodquerywidget.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "diary/copypreviousdiaryentry.h"
#include "diary/diarylistview.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "tests/support/testsession.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

std::string code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

int addFood(const QDate& date, int meal, const QString& name)
{
    DBTypes::FoodDiaryItem entry;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.size = 0.5f;
    entry.refId = 0;
    entry.meal = meal;
    entry.userId = UserDB::instance()->getCurrentUser();
    entry.values.kind = 'F';
    entry.values.energy = 100.0f;
    entry.values.fat = 2.0f;
    entry.setDate(code(date));
    return DiaryDB::instance()->addFoodEntry(entry, true);
}

QList<int> childIds(const QTreeWidgetItem* group)
{
    QList<int> ids;
    for (int i = 0; i < group->childCount(); ++i)
        ids << DiaryListView::rowId(group->child(i));
    return ids;
}

} // namespace

class TestDiaryPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
    }

    void init()
    {
        DiaryDB::instance()->deleteDay(UserDB::instance()->getCurrentUser(),
                                       code(QDate::currentDate()).c_str(), true);
        _page = std::make_unique<DiaryWidget>(nullptr, "diaryWidget");
        _list = _page->diaryView1->mealView;
        _list->setViewMode(DBTypes::SNACKS_TOGETHER);
    }

    void cleanup() { _page.reset(); }

    void cleanupTestCase()
    {
        SavedMealDB::cleanUp();
        DiaryDB::cleanUp();
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void membersCarryTheNamesTheWindowUses()
    {
        QCOMPARE(_page->diaryView1->objectName(), QStringLiteral("diaryView1"));
        QCOMPARE(_page->summaryWidget->objectName(), QStringLiteral("summaryWidget"));
        QCOMPARE(_page->foodQueryWidget3->objectName(), QStringLiteral("foodQueryWidget3"));
        QCOMPARE(_list->objectName(), QStringLiteral("mealView"));
        FoodQueryWidget* browser = _page->foodQueryWidget3;
        for (const char* name : {"myFoodNewCat", "myFoodNewItem", "myFoodEdit", "myFoodDelete",
                                 "myExNewCat", "myExNewItem", "myExEdit", "myExDelete",
                                 "savedMealEdit", "savedMealDelete"})
            QVERIFY2(browser->findChild<QPushButton*>(QLatin1String(name)), name);
        QCOMPARE(browser->prettySearchEdit->objectName(), QStringLiteral("prettySearchEdit"));
        QVERIFY(browser->prettySearchEdit->lineEdit());
        QCOMPARE(FoodQueryWidget(nullptr, nullptr).objectName(), QStringLiteral("FoodQueryWidget"));
    }

    void dateNavigation()
    {
        const QDate today = QDate::currentDate();
        QCOMPARE(_page->getDate(), today);
        QTest::mouseClick(_page->nextDayButton, Qt::LeftButton);
        QCOMPARE(_page->getDate(), today.addDays(1));
        QTest::mouseClick(_page->prevDayButton, Qt::LeftButton);
        QTest::mouseClick(_page->prevDayButton, Qt::LeftButton);
        QCOMPARE(_page->getDate(), today.addDays(-1));
        QTest::mouseClick(_page->currentDayButton, Qt::LeftButton);
        QCOMPARE(_page->getDate(), today);
    }

    void entriesAreFiledUnderTheirGroups()
    {
        const int breakfast = addFood(QDate::currentDate(), 1, QStringLiteral("milk"));
        const int snack = addFood(QDate::currentDate(), 2, QStringLiteral("apple"));
        QSignalSpy totals(_list, &DiaryListView::totalChanged);
        _list->showToday();
        QCOMPARE(totals.count(), 1);
        QCOMPARE(totals.at(0).at(0).value<DBTypes::DiaryDay>().foods.size(), size_t(2));

        QCOMPARE(childIds(_list->groupRow(1)), QList<int>{breakfast});
        QCOMPARE(_list->groupRow(1)->child(0)->text(0).simplified(), QStringLiteral("1/2 cup of milk"));
        // All snacks share the one snack group; the others hold their hint row.
        QCOMPARE(childIds(_list->groupRow(6)), QList<int>{snack});
        QCOMPARE(childIds(_list->groupRow(3)), QList<int>{DiaryListView::HintRowId});
        QVERIFY(_list->groupRow(2)->isHidden());
        QVERIFY(_list->isEmpty()); // the day is marked as one with entries

        _list->setViewMode(DBTypes::SNACKS_BETWEEN_MEALS);
        QCOMPARE(UserDB::instance()->getUserPrefs(UserDB::instance()->getCurrentUser()).value().snackDisplay,
                 int(DBTypes::SNACKS_BETWEEN_MEALS));
        _list->showToday();
        QCOMPARE(childIds(_list->groupRow(2)), QList<int>{snack});
        QVERIFY(!_list->groupRow(2)->isHidden());
        QCOMPARE(_list->indexOfTopLevelItem(_list->groupRow(2)), 1);
        QCOMPARE(_list->groupRow(6)->text(0), QStringLiteral(" Evening snack"));
    }

    void deletingTheLastEntryUnmarksTheDay()
    {
        addFood(QDate::currentDate(), 5, QStringLiteral("rice"));
        _list->showToday();
        QVERIFY(!_list->isAnyItemSelected());
        _list->setCurrentItem(_list->groupRow(5)->child(0));
        QVERIFY(_list->isAnyItemSelected());
        _list->deleteEntry();
        QVERIFY(DiaryDB::instance()
                    ->getDay(UserDB::instance()->getCurrentUser(),
                             code(QDate::currentDate()).c_str(), false).value()
                    .foods.empty());
        QCOMPARE(childIds(_list->groupRow(5)), QList<int>{DiaryListView::HintRowId});
        QVERIFY(!_list->isEmpty());
        QVERIFY(!_list->isAnyItemSelected());
    }

    void columnSettings()
    {
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("-"));
        _list->setColumnSettings(QStringLiteral("0:2:"));
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("0:2:"));
        QCOMPARE(_list->columnCount(), 3);
        _list->setColumnSettings(QStringLiteral("3:x:12:1:"));
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("3:1:"));
        _list->setColumnSettings(QString());
        QCOMPARE(_list->getColumnSettings(), QStringLiteral("-"));
        QCOMPARE(_list->columnCount(), 1);
    }

    void amountTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("whole") << 2.0 << QStringLiteral("2.0") << english;
        QTest::newRow("whole, German") << 2.0 << QStringLiteral("2,0") << german;
        QTest::newRow("other, German") << 1.33 << QStringLiteral("1,3") << german;
        QTest::newRow("negative, German") << -1.33 << QStringLiteral("-1,3") << german;
        QTest::newRow("negative half") << -1.5 << QStringLiteral("-1\u00bd") << english;
        QTest::newRow("negative quarter") << -0.25 << QStringLiteral("-1/4") << german;
        QTest::newRow("negative near zero") << -0.01 << QStringLiteral("0,0") << german;
        QTest::newRow("quarter") << 0.25 << QStringLiteral("1/4") << english;
        QTest::newRow("two and a quarter") << 2.25 << QStringLiteral("2\u00bc") << english;
        QTest::newRow("half") << 1.5 << QStringLiteral("1\u00bd") << english;
        QTest::newRow("three quarters") << 0.75 << QStringLiteral("3/4") << english;
        QTest::newRow("third") << 0.33 << QStringLiteral("1/3") << english;
        QTest::newRow("two thirds") << 0.67 << QStringLiteral("2/3") << english;
        QTest::newRow("other") << 1.33 << QStringLiteral("1.3") << english;
    }

    void amountTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QString shown = DiaryListView::niceDouble(value);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(shown, text);
    }

    void summaryPanelShowsAndHides()
    {
        _page->show();
        _page->setVisibleFluidAndNutrient(false);
        QVERIFY(!_page->summaryWidget->isVisible());
        _page->setVisibleFluidAndNutrient(true);
        QVERIFY(_page->summaryWidget->isVisible());
    }

    void savingAMealGroup()
    {
        addFood(QDate::currentDate(), 1, QStringLiteral("oats"));
        addFood(QDate::currentDate(), 1, QStringLiteral("milk"));
        _list->showToday();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<BXInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->lineEdit()->setText(QStringLiteral("Porridge"));
            dialog->accept();
        });
        _page->foodQueryWidget3->handleContextMenu(0);

        BXSqlQuery query("SELECT group_id FROM group_diary WHERE name = ?");
        query.bindValue(0, QStringLiteral("Porridge"));
        QVERIFY(query.exec() && query.next());
        const std::vector<DBTypes::FoodDiaryItem> items =
            SavedMealDB::instance()->getSavedMealItems(query.value(0).toInt()).value();
        QCOMPARE(items.size(), size_t(2));
        QCOMPARE(items[0].desc, QStringLiteral("oats"));

        // An empty group asks nothing and saves nothing.
        _page->foodQueryWidget3->handleContextMenu(2);
    }

    void copyingADay()
    {
        const QDate source = QDate::currentDate().addDays(-3);
        const QDate target = QDate::currentDate().addDays(-2);
        addFood(source, 1, QStringLiteral("egg"));
        addFood(source, 3, QStringLiteral("soup"));
        addFood(target, 3, QStringLiteral("bread"));
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(
            CopyPreviousDiaryEntry::construct(nullptr, target));
        QVERIFY(!dialog->btnAppend->isEnabled()); // the destination day itself is shown
        dialog->copyFromCal->setDate(source, true);
        QVERIFY(dialog->btnAppend->isEnabled());

        dialog->addEntries(3, 3, 1);
        const DBTypes::DiaryDay day = DiaryDB::instance()->getDay(
            UserDB::instance()->getCurrentUser(), code(target).c_str(), false).value();
        QCOMPARE(day.foods.size(), size_t(1));
        QCOMPARE(day.foods[0].desc, QStringLiteral("soup"));
        QCOMPARE(day.foods[0].meal, 3);
        QCOMPARE(QString::fromLatin1(day.foods[0].date), QString::fromStdString(code(target)));
    }

private:
    std::unique_ptr<DiaryWidget> _page;
    DiaryListView* _list = nullptr;
};

QTEST_MAIN(TestDiaryPage)
#include "tst_diarypage.moc"
