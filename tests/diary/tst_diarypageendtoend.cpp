#include "catalogue/browsabledbiterator.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbstatic.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "diary/copypreviousdiaryentry.h"
#include "diary/diarylistview.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "diary/smallsummary.h"
#include "diary/summarynutrientwidget.h"
#include "diary/summarywidget.h"
#include "userdb/diarydb.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QDate kToday(2026, 3, 10);

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

qint64 currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

int foodNamed(const QString& name)
{
    FoodDBStatic* foods = FoodDBStatic::instance();
    const std::unique_ptr<BrowsableDBIterator> all =
        foods->getFlattenedChildren(0, FLAG_CATEGORY);
    while (all->next()) {
        if (foods->getFoodName(*all) == name)
            return int(all->id());
    }
    return -1;
}

// Energy as a Large bar, fat as a Medium one, protein on the one-line summary.
void giveTargets()
{
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser()).value();
    prefs.setTargetSize(DBTypes::ENERGY, DBTypes::UserPrefs::Large);
    prefs.setTargetSize(DBTypes::FAT, DBTypes::UserPrefs::Medium);
    prefs.setTargetSize(DBTypes::PROTEIN, DBTypes::UserPrefs::Small);
    prefs.showNutrientAndFluid = true;
    QVERIFY(UserDB::instance()->setUserPrefs(currentUser(), prefs));
    DBTypes::CheckinItem checkin;
    checkin.userId = currentUser();
    qstrcpy(checkin.date, "20260301");
    checkin.weight = 72.0f;
    checkin.hasWeight = true;
    checkin.setTarget(DBTypes::ENERGY, 1800.0f);
    checkin.setTarget(DBTypes::FAT, 55.0f);
    checkin.setTarget(DBTypes::PROTEIN, 1.0f);
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

} // namespace

class TestDiaryPageEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(kToday, QTime(12, 0)));
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        CatalogueServices::install();
    }

    void cleanupTestCase()
    {
        Clock::reset();
        DiaryDB::cleanUp();
        CatalogueServices::cleanUp();
        UnitCollection::cleanUp();
        endSession();
    }

    void aDayKeptAndCopied()
    {
        giveTargets();
        DiaryWidget page(nullptr, "diaryWidget");
        page.resize(1100, 760);
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        DiarySummary* summary = page.summaryWidget;

        const int butter = foodNamed(QStringLiteral("Butter, salted"));
        QVERIFY(butter >= 0);
        DBTypes::FoodDiaryItem entry;
        entry.changeFood(butter);
        entry.setSize(3.0f);
        entry.meal = 1;
        page.diaryView1->dvAddFood(entry);
        const DBTypes::DiaryDay today =
            DiaryDB::instance()->getDay(currentUser(), code(kToday).constData(), false).value();
        QCOMPARE(int(today.foods.size()), 1);
        QCOMPARE(today.foods.at(0).meal, 1);

        // The bars and the one-line summary show the stored day against the check-in.
        auto* bars = summary->findChild<SummaryWidget*>();
        QCOMPARE(summary->nutrient(DBTypes::ENERGY).value, today.getTotal(DBTypes::ENERGY));
        QCOMPARE(summary->nutrient(DBTypes::FAT).target, 55.0f);
        QVERIFY(!bars->bar(DBTypes::ENERGY)->isHidden() && bars->bar(DBTypes::ENERGY)->isLarge());
        QVERIFY(!bars->bar(DBTypes::FAT)->isHidden());
        const auto* oneLiner = summary->findChild<SmallSummary*>();
        QCOMPARE(int(oneLiner->lines().size()), 1);
        QCOMPARE(oneLiner->lines().at(0),
                 SmallSummary::lineFor(DBTypes::PROTEIN, today.getTotal(DBTypes::PROTEIN), 1.0f,
                                       true));

        auto* water = summary->findChild<FluidCounterView*>();
        water->upButton()->click();
        water->upButton()->click();
        QCOMPARE(UserDB::instance()->getFluid(currentUser(), code(kToday).constData()).value(), 2);
        QVERIFY(page.popupCalendar()->calendar()->isBoldDay(kToday));

        page.nextDayButton_clicked();
        QCOMPARE(summary->fluid(), 0);
        QCOMPARE(summary->nutrient(DBTypes::ENERGY).value, 0.0f);
        page.prevDayButton_clicked();
        QCOMPARE(summary->fluid(), 2);
        QCOMPARE(summary->nutrient(DBTypes::ENERGY).value, today.getTotal(DBTypes::ENERGY));
        QVERIFY(saveWidgetPicture(&page, QStringLiteral("diarypage-endtoend")));

        // Copy this day into tomorrow, then look at tomorrow.
        const std::unique_ptr<CopyPreviousDiaryEntry> dialog(
            CopyPreviousDiaryEntry::construct(&page, kToday.addDays(1)));
        dialog->copyFromCal->setDate(kToday, true);
        dialog->btnAppend->click();
        page.nextDayButton_clicked();
        const DBTypes::DiaryDay tomorrow =
            DiaryDB::instance()->getDay(currentUser(), code(kToday.addDays(1)).constData(), false).value();
        QCOMPARE(int(tomorrow.foods.size()), 1);
        QCOMPARE(tomorrow.foods.at(0).desc, today.foods.at(0).desc);
        QCOMPARE(summary->nutrient(DBTypes::FAT).value, today.getTotal(DBTypes::FAT));
        QCOMPARE(summary->fluid(), 0); // water is not copied
    }
};

QTEST_MAIN(TestDiaryPageEndToEnd)
#include "tst_diarypageendtoend.moc"
