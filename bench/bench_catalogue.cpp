// Loading, word search and lookup of the food catalogue as the browser runs them while the
// user types: on the shipped catalogue, and on a synthetic one of a million foods that the
// catalogue tool copies from it into a temporary folder when the benchmark starts. The
// resource folder is that temporary folder; its static.db links to the catalogue measured.

#include "catalogue/fooddbstatic.h"
#include "catalogue/searchrank.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

namespace {

// The first seven as before; then each hyphened, closed-up or respelled search beside the same
// words typed apart or as the catalogue spells them; then both words of every pair of other
// spellings; then a word of one- or two-letter words, pasted apostrophes, a hyphened word as
// the catalogue writes it, a closed-up name and "-free" words.
const char* const QUERIES[] = {"milk", "chicken breast", "chees -cream", "app", "raw", "eggs", "low-fat milk",
                               "low fat milk", "skim-milk", "skim milk", "t-bone steak", "t bone steak",
                               "x-large eggs", "large eggs", "yoghurt", "yogurt", "donut", "doughnut",
                               "aubergine", "eggplant", "icecream", "ice cream", "peanutbutter", "peanut butter",
                               "chickenbreast", "tomato ketchup", "tomato-ketchup", "catsup", "hot-dog buns", "hot dog buns",
                               "ketchup", "whisky", "whiskey", "kebab", "kabob", "chilli", "chili", "omelette",
                               "omelet", "courgette", "zucchini", "wholemeal", "whole-wheat", "flavour", "flavor",
                               "flavoured", "flavored", "fibre", "fiber", "bun", "buns", "roll", "rolls",
                               "stir-fry", "stir-fried", "sugar-free", "sugar free", "sugarless", "x-large",
                               "extra-large", "a-1", "b-b-q", "bar-b-q", "p-b-j", "v-8", "7-up",
                               "kellogg’s", "hershey’s", "oil-butter", "coconut-nut", "cinna-raisin",
                               "kiwi", "caffeine-free", "salt-free", "salt free"};
// Typed key by key, each prefix searched and ranked in turn.
const char* const TYPED[] = {"low-fat milk", "low fat milk"};
constexpr int LAST_QUERY = int(std::size(QUERIES)) - 1;
// The ranked view shows this many of the best matches.
constexpr size_t BEST_MATCHES = 30;
constexpr int SYNTHETIC_FOODS = 1000000;
constexpr int LOOKUPS = 1000;

QString s_resourceFolder;
QString s_shippedCatalogue;
QString s_syntheticCatalogue;

// Links the resource folder's static.db to catalogue; no store may hold the mapping.
void useCatalogue(const QString& catalogue)
{
    const QString link = s_resourceFolder + QStringLiteral("static.db");
    QFile::remove(link);
    if (!QFile::link(catalogue, link))
        qFatal("cannot link %s to %s", qPrintable(link), qPrintable(catalogue));
}

// The best ranked matching foods under the search terms, best first, each with its rank.
std::vector<std::pair<qint64, const BrowsableDBItem*>> bestMatches(const StaticDB& foods,
                                                                   const QString& terms)
{
    const SearchRank rank = foods.rankFor(terms);
    std::vector<std::pair<qint64, const BrowsableDBItem*>> best; // a heap with the lowest on top
    for (auto it = foods.getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY); it->next();) {
        const qint64 itemRank = rank.of(it->item());
        if (best.size() == BEST_MATCHES) {
            if (itemRank <= best.front().first)
                continue;
            std::pop_heap(best.begin(), best.end(), std::greater<>());
            best.pop_back();
        }
        best.emplace_back(itemRank, &it->item());
        std::push_heap(best.begin(), best.end(), std::greater<>());
    }
    std::sort_heap(best.begin(), best.end(), std::greater<>());
    return best;
}

void load(benchmark::State& state, const QString& catalogue)
{
    useCatalogue(catalogue);
    for (auto _ : state) {
        auto foods = std::make_unique<StaticDB>(StaticDB::FOOD_CHUNK);
        benchmark::DoNotOptimize(foods->getItems().data());
        // What a start waits for ends with the load; letting go of the catalogue is no part.
        state.PauseTiming();
        foods.reset();
        state.ResumeTiming();
    }
}

// Applies a query and collects the best matches, as the ranked view does on each key stroke.
void searchAndRank(benchmark::State& state, const QString& catalogue)
{
    useCatalogue(catalogue);
    StaticDB foods(StaticDB::FOOD_CHUNK);
    const char* query = QUERIES[state.range(0)];
    const QString terms = QString::fromUtf8(query);
    size_t shown = 0;
    for (auto _ : state) {
        foods.applySearchTerms(terms, false, 0);
        shown = bestMatches(foods, terms).size();
        benchmark::DoNotOptimize(shown);
    }
    state.SetLabel(std::string(query) + ", " + std::to_string(shown) + " shown");
}

// Types a query key by key, each prefix searched and ranked as the ranked view does.
void typeKeyByKey(benchmark::State& state, const QString& catalogue)
{
    useCatalogue(catalogue);
    StaticDB foods(StaticDB::FOOD_CHUNK);
    const QString typed = QString::fromLatin1(TYPED[state.range(0)]);
    foods.applySearchTerms(typed, false, 0);
    for (auto _ : state) {
        for (qsizetype keys = 1; keys <= typed.size(); ++keys) {
            const QString terms = typed.left(keys);
            if (foods.applySearchTerms(terms, true, 0))
                foods.applySearchTerms(terms, false, 0);
            benchmark::DoNotOptimize(bestMatches(foods, terms).size());
        }
    }
    state.SetLabel(TYPED[state.range(0)]);
}

// The first search after loading (the load, which gathers the words of the names, untimed).
void firstSearch(benchmark::State& state, const QString& catalogue)
{
    useCatalogue(catalogue);
    for (auto _ : state) {
        state.PauseTiming();
        auto foods = std::make_unique<StaticDB>(StaticDB::FOOD_CHUNK);
        state.ResumeTiming();
        benchmark::DoNotOptimize(foods->applySearchTerms(QStringLiteral("icecream"), false, 0));
        state.PauseTiming();
        foods.reset();
        state.ResumeTiming();
    }
}

// Looks foods up by id, spread over the whole catalogue.
void lookUpById(benchmark::State& state, const QString& catalogue)
{
    useCatalogue(catalogue);
    const FoodDBStatic* foods = FoodDBStatic::instance();
    std::vector<int> ids;
    const std::vector<BrowsableDBItem>& items = foods->getItems();
    for (size_t i = 0; i < items.size(); i += std::max<size_t>(1, items.size() / LOOKUPS)) {
        if (!(foods->getFlags()[i] & FLAG_CATEGORY))
            ids.push_back(int(items[i].id));
    }
    for (auto _ : state) {
        for (int id : ids)
            benchmark::DoNotOptimize(foods->getFoodName(id));
    }
    state.SetLabel(std::to_string(ids.size()) + " lookups");
    FoodDBStatic::cleanUp();
}

void loadShipped(benchmark::State& state) { load(state, s_shippedCatalogue); }
void searchShipped(benchmark::State& state) { searchAndRank(state, s_shippedCatalogue); }
void lookUpShipped(benchmark::State& state) { lookUpById(state, s_shippedCatalogue); }
void loadMillion(benchmark::State& state) { load(state, s_syntheticCatalogue); }
void searchMillion(benchmark::State& state) { searchAndRank(state, s_syntheticCatalogue); }
void lookUpMillion(benchmark::State& state) { lookUpById(state, s_syntheticCatalogue); }
void typeShipped(benchmark::State& state) { typeKeyByKey(state, s_shippedCatalogue); }
void typeMillion(benchmark::State& state) { typeKeyByKey(state, s_syntheticCatalogue); }
void firstSearchShipped(benchmark::State& state) { firstSearch(state, s_shippedCatalogue); }
void firstSearchMillion(benchmark::State& state) { firstSearch(state, s_syntheticCatalogue); }

BENCHMARK(loadShipped)->Unit(benchmark::kMillisecond);
BENCHMARK(searchShipped)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(lookUpShipped)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(searchMillion)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(lookUpMillion)->Unit(benchmark::kMicrosecond);
BENCHMARK(typeShipped)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(typeMillion)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(firstSearchShipped)->Unit(benchmark::kMillisecond);
BENCHMARK(firstSearchMillion)->Unit(benchmark::kMillisecond);

// Writes the synthetic catalogue with the catalogue tool built beside this benchmark.
bool writeSyntheticCatalogue()
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/staticdbtool"),
               {QStringLiteral("--synthetic-foods"), QString::number(SYNTHETIC_FOODS),
                QStringLiteral("--from"), s_shippedCatalogue, QStringLiteral("--output"),
                s_syntheticCatalogue});
    return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    QTemporaryDir folder;
    s_resourceFolder = folder.path() + QLatin1Char('/');
    s_shippedCatalogue = BXSettings::getDirExecutable() + QStringLiteral("../share/pantrel/static.db");
    s_syntheticCatalogue = folder.filePath(QStringLiteral("million.db"));
    BXSettings::setResourceDBPath(s_resourceFolder);
    if (!folder.isValid() || !writeSyntheticCatalogue()) {
        std::fprintf(stderr, "bench_catalogue: cannot write the synthetic catalogue %s\n",
                     qPrintable(s_syntheticCatalogue));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
