// Loading and word search of the shipped food catalogue, as the browser runs them while the
// user types.

#include "catalogue/staticdb.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

namespace {

const char* const SEARCHES[] = {"butter", "chicken breast roasted", "apple -pie -juice", "xyzzy"};

void loadFoods(benchmark::State& state)
{
    for (auto _ : state) {
        StaticDB foods(StaticDB::FOOD_CHUNK);
        benchmark::DoNotOptimize(foods.getItems().data());
    }
}
BENCHMARK(loadFoods)->Unit(benchmark::kMicrosecond);

void searchFoods(benchmark::State& state)
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    const QString terms = QString::fromLatin1(SEARCHES[state.range(0)]);
    state.SetLabel(SEARCHES[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(foods.applySearchTerms(terms, false, 0));
}
BENCHMARK(searchFoods)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void searchGenericFoods(benchmark::State& state)
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    for (auto _ : state)
        benchmark::DoNotOptimize(foods.applySearchTerms(QStringLiteral("chicken"), false, FLAG_GENERIC));
}
BENCHMARK(searchGenericFoods)->Unit(benchmark::kMicrosecond);

void resetFoods(benchmark::State& state)
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    for (auto _ : state)
        foods.resetSearchTerms();
}
BENCHMARK(resetFoods)->Unit(benchmark::kMicrosecond);

// Search, then walk the matching foods as the ranked view does.
void searchAndListMatches(benchmark::State& state)
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    for (auto _ : state) {
        foods.applySearchTerms(QStringLiteral("cheese"), false, 0);
        int matches = 0;
        auto it = foods.getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY);
        while (it->next())
            ++matches;
        benchmark::DoNotOptimize(matches);
    }
}
BENCHMARK(searchAndListMatches)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
