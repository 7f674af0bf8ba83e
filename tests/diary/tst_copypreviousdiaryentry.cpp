#include "catalogue/catalogueservices.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "core/diaryday.h"
#include "diary/copypreviousdiaryentry.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <set>

namespace {

const QDate kSource(2026, 5, 4);
const QDate kDestination(2026, 5, 10);
// A shipped exercise: 7.5 METs, 0.13125 kcal a minute for each kilogram.
const QString kCycling = QStringLiteral("Bicycling, general");

std::string code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

qint64 currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

void addFood(qint64 user, const QDate& date, int meal, const QString& name, qint64 food = -1)
{
    DBTypes::FoodDiaryItem entry;
    entry.refId = food;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.meal = meal;
    entry.userId = user;
    entry.values.energy = 100.0f;
    entry.setDate(code(date));
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
}

void addExercise(qint64 user, const QDate& date, const QString& name, float minutes)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = user;
    entry.name = name;
    entry.duration = minutes;
    entry.rate = 5.0f;
    entry.status = 1;
    entry.setDate(code(date));
    QVERIFY(DiaryDB::instance()->addExEntry(entry, false) >= 0);
}

void weigh(qint64 user, const QDate& date, float kilograms)
{
    QVERIFY(UserDB::instance()->setDaysMeasurements(
        user, code(date).c_str(), UserMeasurements(kilograms, 0, 0, 0, 0, 0, "")));
}

DBTypes::DiaryDay day(const QDate& date, qint64 user = currentUser())
{
    return DiaryDB::instance()->getDay(user, code(date).c_str(), false).value();
}

// The destination day's foods as "meal:name", sorted.
QStringList foods(const QDate& date)
{
    QStringList names;
    for (const DBTypes::FoodDiaryItem& food : day(date).foods)
        names << QStringLiteral("%1:%2").arg(food.meal).arg(food.desc);
    names.sort();
    return names;
}

void setSnackDisplay(int display)
{
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser()).value();
    prefs.snackDisplay = display;
    QVERIFY(UserDB::instance()->setUserPrefs(currentUser(), prefs));
}

void clearDays()
{
    for (const QDate& date : {kSource, kDestination})
        for (qint64 user : {0, 1, 2, 3})
            DiaryDB::instance()->deleteDay(user, code(date).c_str(), true);
}

} // namespace

class TestCopyPreviousDiaryEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        CatalogueServices::install();
        ExDBDynamic* own = ExDBDynamic::instance();
        QVERIFY(own->createExercise(own->getRootForUser(currentUser()), "Gardening", 3.5f) >= 0);
    }

    void init()
    {
        clearDays();
        setSnackDisplay(DBTypes::SNACKS_BETWEEN_MEALS);
        addFood(currentUser(), kSource, 1, QStringLiteral("egg"));
        addFood(currentUser(), kSource, 3, QStringLiteral("soup"));
        addFood(currentUser(), kSource, 5, QStringLiteral("stew"));
        addExercise(currentUser(), kSource, kCycling, 20.0f);
        addFood(currentUser(), kDestination, 3, QStringLiteral("bread"));
    }

    void cleanupTestCase()
    {
        CatalogueServices::cleanUp();
        endSession();
    }

    void promptsAndButtons()
    {
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Copy Previous Diary Entries"));
        QVERIFY(!dialog->frmSimple->isHidden());
        QVERIFY(dialog->frmAdvanced->isHidden());
        QCOMPARE(dialog->textDestDate->text(),
                 QStringLiteral("<br><b>Please choose a different day to copy from.</b>"));
        QVERIFY(!dialog->btnAppend->isEnabled() && !dialog->btnOverwrite->isEnabled());
        QCOMPARE(dialog->copyFromCal->getDayFgColor(kDestination), QColor(Qt::lightGray));

        dialog->copyFromCal->setDate(kSource.addDays(1), true);
        QVERIFY(dialog->textDestDate->text().contains(QStringLiteral("There are no diary entries on")));
        QVERIFY(!dialog->btnOK->isEnabled());

        dialog->copyFromCal->setDate(kSource, true);
        QCOMPARE(dialog->textDestDate->text(),
                 QStringLiteral("<br><b>Copying from Mon, 4 May 2026 to Sun, 10 May 2026</b><br>"));
        QVERIFY(dialog->btnAppend->isEnabled() && dialog->btnOverwrite->isEnabled()
                && dialog->btnOK->isEnabled());

        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->btnAdvance->click();
        QVERIFY(dialog->frmSimple->isHidden());
        QVERIFY(!dialog->frmAdvanced->isHidden());
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("copydialog-advanced")));
        dialog->btnSimple->click();
        QVERIFY(!dialog->frmSimple->isHidden());
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("copydialog-simple")));
    }

    void appendTwiceThenOverwrite()
    {
        for (int pass = 0; pass < 2; ++pass) {
            const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(kSource));
            dialog->btnAppend->click();
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
        }
        QCOMPARE(foods(kDestination),
                 QStringList({"1:egg", "1:egg", "3:bread", "3:soup", "3:soup", "5:stew", "5:stew"}));
        std::set<int> ids;
        for (const DBTypes::FoodDiaryItem& food : day(kDestination).foods)
            ids.insert(food.entryId);
        QCOMPARE(int(ids.size()), 7);
        QCOMPARE(int(day(kDestination).exercises.size()), 2);
        QCOMPARE(day(kDestination).exercises.at(0).duration, 20.0f);
        QCOMPARE(day(kDestination).exercises.at(0).rate, 5.0f); // one's own day as stored

        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(kSource));
        dialog->btnOverwrite->click();
        QCOMPARE(foods(kDestination), QStringList({"1:egg", "3:soup", "5:stew"}));
        QCOMPARE(int(day(kDestination).exercises.size()), 1);
        QCOMPARE(foods(kSource), QStringList({"1:egg", "3:soup", "5:stew"}));
    }

    void mealByMeal()
    {
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(kSource));
        auto* lunch = dialog->findChild<QComboBox*>(QStringLiteral("cbLunch"));
        auto* breakfast = dialog->findChild<QComboBox*>(QStringLiteral("cbBreakfast"));
        auto* dinner = dialog->findChild<QComboBox*>(QStringLiteral("cbDinner"));
        auto* exercise = dialog->findChild<QComboBox*>(QStringLiteral("cbExercise"));
        QCOMPARE(lunch->currentText(), DBTypes::GroupTypeToString(3, DBTypes::SNACKS_BETWEEN_MEALS));
        QCOMPARE(lunch->itemText(lunch->count() - 1), QStringLiteral("[ None ]"));

        // Lunch: none, though Overwrite is checked; its radios go grey.
        dialog->findChild<QRadioButton*>(QStringLiteral("lOverwrite"))->setChecked(true);
        lunch->setCurrentIndex(lunch->count() - 1);
        emit lunch->activated(lunch->count() - 1);
        QVERIFY(!dialog->findChild<QRadioButton*>(QStringLiteral("lAppend"))->isEnabled());
        // Dinner into breakfast; nothing into dinner; no exercises.
        breakfast->setCurrentIndex(4);
        dinner->setCurrentIndex(dinner->count() - 1);
        exercise->setCurrentIndex(1);
        emit exercise->activated(1);
        QVERIFY(!dialog->findChild<QRadioButton*>(QStringLiteral("eAppend"))->isEnabled());
        dialog->btnOK->click();
        QCOMPARE(foods(kDestination), QStringList({"1:stew", "3:bread"}));
        QVERIFY(day(kDestination).exercises.empty());
    }

    void snacksTogetherGatherAllThree()
    {
        setSnackDisplay(DBTypes::SNACKS_TOGETHER);
        addFood(currentUser(), kSource, 2, QStringLiteral("apple"));
        addFood(currentUser(), kSource, 4, QStringLiteral("nuts"));
        addFood(currentUser(), kSource, 6, QStringLiteral("tea"));
        addFood(currentUser(), kDestination, 2, QStringLiteral("pear"));
        addFood(currentUser(), kDestination, 4, QStringLiteral("crisps"));
        addFood(currentUser(), kDestination, 6, QStringLiteral("cake"));
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(kSource));
        QVERIFY(dialog->findChild<QWidget*>(QStringLiteral("grpSnack1"))->isHidden());
        auto* snacks = dialog->findChild<QComboBox*>(QStringLiteral("cbSnacks"));
        QCOMPARE(snacks->count(), 5);
        for (const char* row : {"cbBreakfast", "cbLunch", "cbDinner"}) {
            auto* box = dialog->findChild<QComboBox*>(QLatin1String(row));
            box->setCurrentIndex(box->count() - 1);
        }
        dialog->findChild<QComboBox*>(QStringLiteral("cbExercise"))->setCurrentIndex(1);
        dialog->findChild<QRadioButton*>(QStringLiteral("sOverwrite"))->setChecked(true);
        dialog->btnOK->click();
        QCOMPARE(foods(kDestination), QStringList({"3:bread", "6:apple", "6:nuts", "6:tea"}));
    }

    // Another user's exercise burns as adding it would for the receiving user (58.3 kg on the
    // destination day); one no catalogue knows scales by the two users' weights.
    void anotherUserAsSource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("weighedDaysAfter"); // the source user's weighing, from the day
        QTest::addColumn<float>("sourceKilograms");
        QTest::addColumn<QString>("exercise");
        QTest::addColumn<int>("energyUnits"); // the receiver's: 0 kJ, 1 kcal
        QTest::addColumn<float>("rate");
        QTest::newRow("unknown, source weighed before the day")
            << "Ben" << -1 << 80.0f << "rowing" << 1 << 5.0f * 58.3f / 80.0f;
        QTest::newRow("unknown, source weighed only after the day")
            << "Cid" << 2 << 60.0f << "rowing" << 1 << 5.0f * 58.3f / 60.0f;
        QTest::newRow("shipped, heavier source, kcal") << "Dan" << -1 << 95.0f << kCycling << 1
                                                       << 58.3f * 0.13125f;
        QTest::newRow("shipped, heavier source, kJ") << "Eve" << -1 << 95.0f << kCycling << 0
                                                     << 58.3f * 0.13125f;
        QTest::newRow("the receiver's own exercise") << "Fay" << -1 << 95.0f << "Gardening" << 1
                                                     << 3.5f;
    }

    void anotherUserAsSource()
    {
        QFETCH(QString, source);
        QFETCH(int, weighedDaysAfter);
        QFETCH(float, sourceKilograms);
        QFETCH(QString, exercise);
        QFETCH(int, energyUnits);
        QFETCH(float, rate);
        const int other = addCompleteUser(source);
        QVERIFY(other >= 0);
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser()).value();
        prefs.energyUnits = energyUnits;
        QVERIFY(UserDB::instance()->setUserPrefs(currentUser(), prefs));
        addFood(other, kDestination, 1, QStringLiteral("toast"));
        addExercise(other, kDestination, exercise, 40.0f);
        weigh(other, kDestination.addDays(weighedDaysAfter), sourceKilograms);
        weigh(currentUser(), kDestination.addDays(-3), 58.3f);
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open());
        QCOMPARE(dialog->userList->currentText(), QStringLiteral("Ann"));
        const int index = dialog->userList->findText(source);
        QVERIFY(index > 0);
        dialog->userList->setCurrentIndex(index);
        emit dialog->userList->activated(index);
        QCOMPARE(dialog->copyFromCal->getDayFgColor(kDestination), QColor(Qt::black));
        QVERIFY(dialog->btnAppend->isEnabled()); // the same date of another user
        dialog->btnAppend->click();
        QCOMPARE(foods(kDestination), QStringList({"1:toast", "3:bread"}));
        QCOMPARE(day(kDestination).foods.at(0).userId, currentUser());
        QCOMPARE(int(day(kDestination, other).foods.size()), 1);
        const std::vector<DBTypes::ExerciseDiaryItem> copied = day(kDestination).exercises;
        QCOMPARE(int(copied.size()), 1);
        QCOMPARE(copied.front().duration, 40.0f);
        QCOMPARE(copied.front().rate, rate);
        QCOMPARE(day(kDestination, other).exercises.front().rate, 5.0f);
        // A household keeps a few users only: the next row adds its own.
        QCOMPARE(UserDB::instance()->deleteUser(other), 0);
    }

    // A member's own food is not the receiver's to see: its entry is copied with its name,
    // serving and values and names no food; the rest of the day keeps its foods.
    void anotherUsersOwnFoodIsCopiedByItsValues()
    {
        const qint64 bob = addCompleteUser(QStringLiteral("Bob"));
        QVERIFY(bob >= 0);
        const qint64 ann = currentUser();
        FoodDBDynamic* own = FoodDBDynamic::instance();
        UserDB::instance()->setCurrentUser(bob);
        const qint64 stew = own->createFood(own->getRootForUser(bob), QStringLiteral("Stew"),
                                            QStringLiteral("bowl"), DBTypes::FoodItem());
        UserDB::instance()->setCurrentUser(ann);
        QVERIFY(stew >= 0);
        addFood(bob, kSource, 1, QStringLiteral("Stew"), stew);
        addFood(bob, kSource, 1, QStringLiteral("Butter"), 1234);
        addFood(bob, kSource, 5, QStringLiteral("Rice"), 5678);
        ScriptedPrompter prompter;
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open());
        const int index = dialog->userList->findText(QStringLiteral("Bob"));
        dialog->userList->setCurrentIndex(index);
        emit dialog->userList->activated(index);
        dialog->copyFromCal->setDate(kSource, true);
        dialog->show();
        dialog->btnAdvance->click();
        dialog->btnOK->click();
        QVERIFY2(prompter.asked.isEmpty(), qPrintable(prompter.lastText()));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(foods(kDestination), QStringList({"1:Butter", "1:Stew", "3:bread", "5:Rice"}));
        QMap<QString, qint64> links;
        for (const DBTypes::FoodDiaryItem& food : day(kDestination).foods) {
            links.insert(food.desc, food.refId);
            QCOMPARE(food.values.energy, 100.0f);
            QCOMPARE(food.servingDesc, QStringLiteral("cup"));
        }
        QCOMPARE(links.value(QStringLiteral("Stew")), -1);
        QCOMPARE(links.value(QStringLiteral("Butter")), 1234);
        QCOMPARE(links.value(QStringLiteral("Rice")), 5678);
        for (const DBTypes::FoodDiaryItem& food : day(kSource, bob).foods)
            QVERIFY(food.desc != QLatin1String("Stew") || food.refId == stew);
        QCOMPARE(UserDB::instance()->deleteUser(bob), 0);
    }

    void waterOnlyDayCopiesNothing()
    {
        const QDate water = kSource.addDays(1);
        UserDB::instance()->setFluid(currentUser(), code(water).c_str(), 3);
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(water));
        QVERIFY(dialog->btnAppend->isEnabled());
        dialog->btnAppend->click();
        QCOMPARE(foods(kDestination), QStringList({"3:bread"}));
        QCOMPARE(UserDB::instance()->getFluid(currentUser(), code(kDestination).c_str()).value(), 0);
    }

    void refusedEntryLeavesTheDayAsItWas()
    {
        BXSqlDb::perform("CREATE TEMP TABLE inserts (n INTEGER)");
        BXSqlDb::perform("CREATE TEMP TRIGGER refuse_third BEFORE INSERT ON main.food_diary "
                         "BEGIN INSERT INTO inserts VALUES (1); "
                         "SELECT RAISE(ABORT, 'refused') WHERE (SELECT count(*) FROM inserts) >= 3; "
                         "END");
        ScriptedPrompter prompter;
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(open(kSource));
        dialog->btnOverwrite->click();
        BXSqlDb::perform("DROP TRIGGER refuse_third");
        BXSqlDb::perform("DROP TABLE inserts");
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked.at(0).caption, QStringLiteral("Copy Previous Diary Entries"));
        QCOMPARE(prompter.asked.at(0).text, QStringLiteral("The change was not saved: refused."));
        QCOMPARE(foods(kDestination), QStringList({"3:bread"}));
        QVERIFY(day(kDestination).exercises.empty());

        // While another program reads the diary: one wait, the day as it was, and the dialog
        // says why.
        {
            OtherReader other(BXSqlDb::instance()->database().databaseName());
            QVERIFY(other.reading());
            BusyWaits waits(10000);
            const std::unique_ptr<CopyPreviousDiaryEntry> busy(open(kSource));
            busy->btnOverwrite->click();
            QCOMPARE(waits.count(), 1);
            QCOMPARE(busy->result(), int(QDialog::Rejected));
        }
        QCOMPARE(prompter.asked.size(), 2);
        QVERIFY(prompter.asked.at(1).text.startsWith(
            QStringLiteral("The diary is in use by another program")));
        QCOMPARE(foods(kDestination), QStringList({"3:bread"}));
        QVERIFY(day(kDestination).exercises.empty());
    }

private:
    // The dialog on the destination day, the source day picked when given.
    static CopyPreviousDiaryEntry* open(const QDate& source = QDate())
    {
        CopyPreviousDiaryEntry* dialog = CopyPreviousDiaryEntry::construct(nullptr, kDestination);
        if (source.isValid())
            dialog->copyFromCal->setDate(source, true);
        return dialog;
    }
};

QTEST_MAIN(TestCopyPreviousDiaryEntry)
#include "tst_copypreviousdiaryentry.moc"
