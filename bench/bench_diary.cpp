// The diary list on a ten-year diary (see bench_userdb) whose foods carry the names of the
// shipped catalogue's foods. Measures what a change of date asks of the list: reading the
// day and building its rows, totals and hint rows (17 foods and 2 exercises on most days);
// and of the whole diary page: the list, the date bar and the summary panel against targets,
// as the pop-up calendar, the day buttons and the calendar's month buttons change them.

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "diary/diarylistview.h"
#include "diary/diarypagecontent.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/bxcalendar.h"
#include "widgets/shownday.h"
#include "catalogue/browsabledbiterator.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbstatic.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

// The names of the shipped foods, to give the diary names of the catalogue's lengths.
std::vector<QString> catalogueNames()
{
    std::vector<QString> names;
    FoodDBStatic* foods = FoodDBStatic::instance();
    const std::unique_ptr<BrowsableDBIterator> all = foods->getFlattenedChildren(0, FLAG_CATEGORY);
    while (all->next())
        names.push_back(foods->getFoodName(*all));
    return names;
}

// The list's share of a day change: a random day, read as the page reads it (its month's
// marked days with it when the month changes) outside the timing, made the day shown and
// shown by the list.
void showDay(benchmark::State& state)
{
    BXCalendar calendar(nullptr, TenYearDiary::FirstDay, QDate(2000, 1, 1), QDate(2100, 1, 1));
    DiaryListView list(nullptr, "mealView");
    list.setCalendar(&calendar);
    list.resize(500, 600);
    list.show();
    QRandomGenerator random(4);
    for (auto _ : state) {
        state.PauseTiming();
        const QDate day = TenYearDiary::FirstDay.addDays(random.bounded(TenYearDiary::Days));
        const std::optional<DiaryPageContent> content = DiaryPageContent::read(
            TenYearDiary::User, day, !list.holdsMarkedDays(TenYearDiary::User, day));
        if (!content) {
            state.SkipWithError("the day could not be read");
            return;
        }
        state.ResumeTiming();
        ShownDay::instance()->show(content->user, content->date);
        list.showRead(*content);
    }
}
BENCHMARK(showDay)->Unit(benchmark::kMillisecond);

// Targets in force from the first day (energy Large; fat, carbohydrate and protein Medium;
// fibre Small) and water on every third day.
void giveTargetsAndWater()
{
    UserDB* users = UserDB::instance();
    DBTypes::UserPrefs prefs = users->getUserPrefs(TenYearDiary::User).value();
    prefs.setTargetSize(DBTypes::ENERGY, DBTypes::UserPrefs::Large);
    for (const DBTypes::NutType nutrient : {DBTypes::FAT, DBTypes::CARBS, DBTypes::PROTEIN})
        prefs.setTargetSize(nutrient, DBTypes::UserPrefs::Medium);
    prefs.setTargetSize(DBTypes::FIBER, DBTypes::UserPrefs::Small);
    prefs.showNutrientAndFluid = true;
    users->setUserPrefs(TenYearDiary::User, prefs);
    DBTypes::CheckinItem checkin;
    checkin.userId = TenYearDiary::User;
    qstrcpy(checkin.date, TenYearDiary::dateCode(TenYearDiary::FirstDay).constData());
    checkin.setTarget(DBTypes::ENERGY, 2000.0f);
    checkin.setTarget(DBTypes::FAT, 65.0f);
    checkin.setTarget(DBTypes::CARBS, 250.0f);
    checkin.setTarget(DBTypes::PROTEIN, 80.0f);
    checkin.setTarget(DBTypes::FIBER, 25.0f);
    users->addCheckin(checkin, false);
    for (int day = 0; day < TenYearDiary::Days; day += 3)
        users->setFluid(TenYearDiary::User,
                        TenYearDiary::dateCode(TenYearDiary::FirstDay.addDays(day)).constData(),
                        day % 7);
}

// Counts the paint events of a widget, to show that each pass paints the list.
struct PaintCounter : QObject
{
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

// The diary page shown, 1100 by 760, with the browser beside the diary.
struct ShownPage
{
    ShownPage() : page(nullptr, "diaryWidget")
    {
        page.resize(1100, 760);
        page.show();
        QApplication::processEvents();
        page.diaryView1->mealView->viewport()->installEventFilter(&listPaints);
    }
    // Paints what the last change left to paint, as the event loop does after a click.
    static void paintChanges() { QApplication::processEvents(); }
    void pick(const QDate& day)
    {
        QPopupCalendar* popup = page.popupCalendar();
        popup->calendar()->setDate(day, false);
        popup->handleDateSelection(day);
    }
    void countListPaints(benchmark::State& state) const
    {
        state.counters["listPaints"] =
            benchmark::Counter(listPaints.paints, benchmark::Counter::kAvgIterations);
    }
    PaintCounter listPaints;
    DiaryWidget page;
};

QDate randomDay(QRandomGenerator& random)
{
    return TenYearDiary::FirstDay.addDays(random.bounded(TenYearDiary::Days));
}

// A day picked in the pop-up calendar, then what the change left to paint painted, as the
// event loop paints it: date bar, list, summary.
void pageShowDay(benchmark::State& state)
{
    ShownPage shown;
    QRandomGenerator random(5);
    for (auto _ : state) {
        shown.pick(randomDay(random));
        ShownPage::paintChanges();
    }
    shown.countListPaints(state);
}
BENCHMARK(pageShowDay)->Unit(benchmark::kMillisecond);

// The same pick without the painting: loading the day into the list, summary and ticks.
void pagePickDay(benchmark::State& state)
{
    ShownPage shown;
    QRandomGenerator random(5);
    for (auto _ : state)
        shown.pick(randomDay(random));
}
BENCHMARK(pagePickDay)->Unit(benchmark::kMillisecond);

// The next and the previous day in turn, as the day buttons move from a day picked in the
// diary's second year, each change painted.
void pageNextAndPreviousDay(benchmark::State& state)
{
    ShownPage shown;
    shown.pick(TenYearDiary::FirstDay.addDays(500));
    bool forward = true;
    for (auto _ : state) {
        if (forward)
            shown.page.nextDayButton_clicked();
        else
            shown.page.prevDayButton_clicked();
        forward = !forward;
        ShownPage::paintChanges();
    }
    shown.countListPaints(state);
}
BENCHMARK(pageNextAndPreviousDay)->Unit(benchmark::kMillisecond);

// The pop-up calendar's next and previous month buttons clicked in turn from a day picked in
// the diary's second year; each move reads and marks the days of the month it shows once the
// click has been handled.
void monthCrossing(benchmark::State& state)
{
    ShownPage shown;
    shown.pick(TenYearDiary::FirstDay.addDays(500));
    BXCalendar* calendar = shown.page.popupCalendar()->calendar();
    auto* next = calendar->findChild<QPushButton*>(QStringLiteral("nextMonthButton"));
    auto* previous = calendar->findChild<QPushButton*>(QStringLiteral("prevMonthButton"));
    bool forward = true;
    for (auto _ : state) {
        (forward ? next : previous)->click();
        forward = !forward;
        QApplication::processEvents();
    }
}
BENCHMARK(monthCrossing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    const auto setUp = [](const QTemporaryDir&) {
        if (!BenchRun::importBrand())
            return false;
        CatalogueServices::install();
        const std::vector<QString> names = catalogueNames();
        const auto catalogueName = [&names](int refId) { return names[size_t(refId) % names.size()]; };
        if (names.empty() || !TenYearDiary::writeDiary(catalogueName) || !TenYearDiary::startDatabase())
            return false;
        UserDB::instance()->setCurrentUser(TenYearDiary::User);
        giveTargetsAndWater();
        return true;
    };
    return BenchRun::runWithWidgets(argc, argv, setUp, [] {
        DiaryDB::cleanUp();
        UserDB::cleanUp();
        CatalogueServices::cleanUp();
        UnitCollection::cleanUp();
        BXSqlDb::cleanUp();
        BrandEngine::cleanUp();
    });
}
