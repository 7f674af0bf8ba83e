// The diary list on a ten-year diary (see bench_userdb) whose foods carry the names of the
// shipped catalogue's foods. Measures what a change of date asks of the list: loading the
// day and building its rows, totals and hint rows (17 foods and 2 exercises on most days).

#include "bench/tenyeardiary.h"
#include "diary/diarylistview.h"
#include "widgets/bxcalendar.h"
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
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
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

void showDay(benchmark::State& state)
{
    BXCalendar calendar(nullptr, TenYearDiary::FirstDay, QDate(2000, 1, 1), QDate(2100, 1, 1));
    DiaryListView list(nullptr, "mealView");
    list.setCalendar(&calendar);
    list.setColumnSettings(QStringLiteral("0:2:3:"));
    list.resize(500, 600);
    list.show();
    QRandomGenerator random(4);
    for (auto _ : state) {
        calendar.setDate(TenYearDiary::FirstDay.addDays(random.bounded(TenYearDiary::Days)), false);
        list.showToday();
    }
}
BENCHMARK(showDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    // Everything the program writes goes to a home folder of its own.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const QByteArray brand =
        (BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).toLocal8Bit();
    if (!BrandEngine::instance()->import(brand.constData()))
        return 1;
    CatalogueServices::install();
    const std::vector<QString> names = catalogueNames();
    const auto catalogueName = [&names](int refId) { return names[size_t(refId) % names.size()]; };
    if (names.empty() || !TenYearDiary::writeDiary(catalogueName))
        return 1;
    if (!TenYearDiary::startDatabase())
        return 1;
    UserDB::instance()->setCurrentUser(TenYearDiary::User);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DiaryDB::cleanUp();
    UserDB::cleanUp();
    CatalogueServices::cleanUp();
    UnitCollection::cleanUp();
    BXSqlDb::cleanUp();
    BrandEngine::cleanUp();
    return 0;
}
