// The user's own lists at a start and at a user switch in a household of five: Ann keeps a
// small tree of her own, Ben 2,500 categories and 2,500 foods, and the three others each as
// many as the run's argument (2,500 and 25,000). The start is timed from the browser panel
// showing Ann with no tree built yet until her foods, exercises and saved meals are listed;
// the switch from Ben back to Ann. Both should cost the same at either size of the trees that
// neither shows. Runs offscreen in a home folder of its own.

#include "bench/benchwidgets.h"
#include "browser/draglistview.h"
#include "browser/foodquerywidget.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/catalogueroots.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"

#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int OTHERS = 4;
// Ben's tree, which the switch leaves.
constexpr int BENS_SIZE = 2500;
// Ann's own tree: a few categories with foods in each.
constexpr int OWN_CATEGORIES = 20;
constexpr int OWN_FOODS = 200;

qint64 s_ann = -1;
qint64 s_others[OTHERS] = {};

bool addUser(const char* name, qint64* id)
{
    DBTypes::UserProfile profile;
    profile.name = QString::fromLatin1(name);
    qstrcpy(profile.created, "20260101");
    qstrcpy(profile.dob, "19800101");
    profile.sex = 1;
    profile.height = 170.0f;
    return UserDB::instance()->addUser(profile, id);
}

bool run(const QString& sql)
{
    BXSqlQuery statement(sql);
    return statement.exec();
}

// Gives the user `count` categories right below the user's root, from id `first` up, and one
// food in each, with the same ids.
bool fillTree(qint64 user, int first, int categories, int foods)
{
    const QString series = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                          "FROM n WHERE i < %1) ");
    const qint64 root = CatalogueRoots::idFor(user);
    return run(series.arg(categories - 1)
               + QStringLiteral("INSERT INTO custom_food_cats SELECT %1 + i, %2, 'Category ' || i FROM n")
                     .arg(first)
                     .arg(root))
        && run(series.arg(foods - 1)
               + QStringLiteral("INSERT INTO custom_foods(food_id, category_id, name, serv_name, "
                                "calories) SELECT %1 + i, %1 + i % %2, 'Food ' || i, 'serving', 100 "
                                "FROM n")
                     .arg(first)
                     .arg(categories));
}

// Ben's tree and the others' trees at the size asked, made anew when the size changes.
bool sizeOthers(int size)
{
    static int s_size = 0;
    if (size == s_size)
        return true;
    s_size = size;
    const int end = FoodDBDynamic::FIRST_ID + OWN_FOODS;
    if (!BXSqlDb::beginTransaction())
        return false;
    bool ok = run(QStringLiteral("DELETE FROM custom_food_cats WHERE category_id >= %1 AND category_id < %2")
                      .arg(end)
                      .arg(FoodDBDynamic::USER_ROOT_BASE))
        && run(QStringLiteral("DELETE FROM custom_foods WHERE food_id >= %1").arg(end));
    ok = ok && fillTree(s_others[0], end, BENS_SIZE, BENS_SIZE);
    for (int i = 1; ok && i < OTHERS; ++i)
        ok = fillTree(s_others[i], end + BENS_SIZE + (i - 1) * size, size, size);
    return BXSqlDb::endTransaction(ok);
}

void dropTrees()
{
    FoodDBDynamic::cleanUp();
    ExDBDynamic::cleanUp();
    SavedMealTree::cleanUp();
}

int rows(const DragListView* list)
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<DragListView*>(list)); *it; ++it)
        ++count;
    return count;
}

// The start: a panel made for Ann, with no tree built yet, shows her.
void startShowsAnn(benchmark::State& state)
{
    if (!sizeOthers(int(state.range(0)))) {
        state.SkipWithError("cannot write the others' trees");
        return;
    }
    UserDB::instance()->setCurrentUser(s_ann);
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        dropTrees();
        auto panel = std::make_unique<FoodQueryWidget>(nullptr, nullptr);
        state.ResumeTiming();
        panel->showCurrentUser();
        state.PauseTiming();
        shown = rows(panel->myfoodView);
        panel.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(shown) + " rows of Ann's foods");
}

// A user switch from Ben to Ann.
void switchToAnn(benchmark::State& state)
{
    if (!sizeOthers(int(state.range(0)))) {
        state.SkipWithError("cannot write the others' trees");
        return;
    }
    dropTrees();
    FoodQueryWidget panel(nullptr, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        UserDB::instance()->setCurrentUser(s_others[0]);
        panel.showCurrentUser();
        UserDB::instance()->setCurrentUser(s_ann);
        state.ResumeTiming();
        panel.showCurrentUser();
    }
    state.SetLabel(std::to_string(rows(panel.myfoodView)) + " rows of Ann's foods");
}

BENCHMARK(startShowsAnn)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);
BENCHMARK(switchToAnn)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);

bool setUp()
{
    if (!BenchRun::importBrand() || !DiaryStart::startUp(true))
        return false;
    CatalogueServices::install();
    if (!addUser("Ann", &s_ann))
        return false;
    const char* const names[OTHERS] = {"Ben", "Cid", "Dee", "Eve"};
    for (int i = 0; i < OTHERS; ++i) {
        if (!addUser(names[i], &s_others[i]))
            return false;
    }
    return fillTree(s_ann, FoodDBDynamic::FIRST_ID, OWN_CATEGORIES, OWN_FOODS);
}

} // namespace

int main(int argc, char* argv[])
{
    const auto setUpHousehold = [](const QTemporaryDir&) {
        if (setUp())
            return true;
        std::fprintf(stderr, "bench_household: cannot set up the household's user database\n");
        return false;
    };
    return BenchRun::runWithWidgets(argc, argv, setUpHousehold, [] {
        dropTrees();
        CatalogueServices::cleanUp();
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        BrandEngine::cleanUp();
    });
}
