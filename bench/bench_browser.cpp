// The Foods list of the browser as the user sees it change: from handing it a search text
// until its viewport has repainted, in the ranked view, in View All (every hit in the tree),
// with favourites only (50 favourites), and opening the largest category; on the shipped
// catalogue and on a synthetic one of a million foods written by the catalogue tool. Each
// search figure has a twin that runs the catalogue's search alone, so the list's own share is
// the difference. Last, the key stroke in the browser panel's search field: typed into the
// shown panel on the Foods tab and timed until the Foods list has repainted, for each key of
// a word typed and then erased to empty, on the shipped catalogue (the panel's Exercise list
// needs the exercises that the synthetic catalogue lacks). Runs offscreen in a home folder of
// its own.

#include "bench/benchwidgets.h"
#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/fooddbstatic.h"
#include "widgets/searchlineedit.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/favoritesdb.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const char* const QUERIES[] = {"milk", "chicken breast", "chees -cream", "app", "raw"};
constexpr int LAST_QUERY = int(std::size(QUERIES)) - 1;
constexpr int SYNTHETIC_FOODS = 1000000;
constexpr int FAVORITES = 50;

QString s_resourceFolder;
QString s_shippedCatalogue;
QString s_syntheticCatalogue;
qint64 s_user = -1;

enum class View { Ranked, All, Favorites };

// Points the resource folder's static.db at a catalogue and reloads the food catalogue.
FoodDBStatic* useCatalogue(const QString& catalogue)
{
    FoodDBStatic::cleanUp();
    const QString link = s_resourceFolder + QStringLiteral("static.db");
    QFile::remove(link);
    if (!QFile::link(catalogue, link))
        qFatal("cannot link %s to %s", qPrintable(link), qPrintable(catalogue));
    return FoodDBStatic::instance();
}

// A shown Foods list on the catalogue.
std::unique_ptr<DragListView> shownList(FoodDBStatic* foods, View view)
{
    auto list = std::make_unique<DragListView>(nullptr, "foods");
    list->setup(QPixmap(), FoodItemFlag);
    list->setRankedView(view == View::Ranked);
    list->setFavoritesOnly(view == View::Favorites);
    list->resize(320, 600);
    list->setDb(foods);
    list->show();
    QApplication::processEvents();
    return list;
}

// The user's favourites: 50 foods spread over the catalogue.
void markFavorites(const FoodDBStatic* foods)
{
    const std::vector<BrowsableDBItem>& items = foods->getItems();
    FavoritesDB favorites(s_user);
    int marked = 0;
    for (size_t i = 0; i < items.size() && marked < FAVORITES; i += items.size() / (2 * FAVORITES)) {
        if (foods->getFlags()[i] & FLAG_CATEGORY)
            continue;
        favorites.addFavorite(FavoritesDB::ItemFlags(FoodItemFlag), FavoritesDB::ItemId(int(items[i].id)));
        ++marked;
    }
}

void showSearch(benchmark::State& state, const QString& catalogue, View view)
{
    FoodDBStatic* foods = useCatalogue(catalogue);
    std::unique_ptr<DragListView> list = shownList(foods, view);
    const char* query = QUERIES[state.range(0)];
    for (auto _ : state) {
        list->setSearch(QString::fromLatin1(query), false);
        list->applyTerms(true);
        list->viewport()->repaint();
    }
    int rows = 0;
    for (QTreeWidgetItemIterator it(list.get()); *it; ++it)
        ++rows;
    state.SetLabel(std::string(query) + ", " + std::to_string(rows) + " rows");
}

// The catalogue's share of a search: the search alone.
void searchOnly(benchmark::State& state, const QString& catalogue)
{
    FoodDBStatic* foods = useCatalogue(catalogue);
    const QString query = QString::fromLatin1(QUERIES[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(foods->applySearchTerms(query, false, 0));
    state.SetLabel(QUERIES[state.range(0)]);
}

// Opens the category with the most children in the category tree.
void openLargestCategory(benchmark::State& state, const QString& catalogue)
{
    FoodDBStatic* foods = useCatalogue(catalogue);
    std::unique_ptr<DragListView> list = shownList(foods, View::All);
    int largest = -1;
    int largestSize = -1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const qint64 id = FoodViewItem::from(list->topLevelItem(i))->id;
        int size = 0;
        for (auto it = foods->getChildren(id, 0, 0); it && it->next();)
            ++size;
        if (size > largestSize) {
            largestSize = size;
            largest = i;
        }
    }
    QTreeWidgetItem* category = list->topLevelItem(largest);
    for (auto _ : state) {
        category->setExpanded(true);
        list->viewport()->repaint();
        state.PauseTiming();
        category->setExpanded(false);
        state.ResumeTiming();
    }
    state.SetLabel(category->text(0).toStdString() + ", " + std::to_string(largestSize) + " rows");
}

void rankedShipped(benchmark::State& state) { showSearch(state, s_shippedCatalogue, View::Ranked); }
void viewAllShipped(benchmark::State& state) { showSearch(state, s_shippedCatalogue, View::All); }
void favoritesShipped(benchmark::State& state) { showSearch(state, s_shippedCatalogue, View::Favorites); }
void searchOnlyShipped(benchmark::State& state) { searchOnly(state, s_shippedCatalogue); }
void largestCategoryShipped(benchmark::State& state) { openLargestCategory(state, s_shippedCatalogue); }
void rankedMillion(benchmark::State& state) { showSearch(state, s_syntheticCatalogue, View::Ranked); }
void favoritesMillion(benchmark::State& state) { showSearch(state, s_syntheticCatalogue, View::Favorites); }
void searchOnlyMillion(benchmark::State& state) { searchOnly(state, s_syntheticCatalogue); }
void largestCategoryMillion(benchmark::State& state) { openLargestCategory(state, s_syntheticCatalogue); }

const char* const TYPED[] = {"chicken breast", "milk", "raw", "eggs"};
constexpr int LAST_TYPED = int(std::size(TYPED)) - 1;

// One key into the field, until the Foods list has repainted.
void strike(QLineEdit* field, DragListView* list, Qt::Key key, char text = 0)
{
    if (text)
        QTest::keyClick(field, text);
    else
        QTest::keyClick(field, key);
    list->viewport()->repaint();
}

// Each key of a word typed into the shown panel's search field, then erased key by key; the
// last erase refills the whole tree. The figure "per key" is the mean time of one key stroke.
void keyStrokesShipped(benchmark::State& state)
{
    useCatalogue(s_shippedCatalogue);
    FoodQueryWidget panel(nullptr, nullptr);
    panel.resize(420, 760);
    panel.show();
    QApplication::processEvents();
    QLineEdit* field = panel.prettySearchEdit->lineEdit();
    field->setFocus();
    const std::string word = TYPED[state.range(0)];
    for (auto _ : state) {
        for (const char c : word)
            strike(field, panel.foodView, Qt::Key_unknown, c);
        for (size_t i = 0; i < word.size(); ++i)
            strike(field, panel.foodView, Qt::Key_Backspace);
    }
    for (const char c : word)
        strike(field, panel.foodView, Qt::Key_unknown, c);
    int rows = 0;
    for (QTreeWidgetItemIterator it(panel.foodView); *it; ++it)
        ++rows;
    state.counters["per key"] = benchmark::Counter(
        double(2 * word.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel(word + ", " + std::to_string(rows) + " rows");
}


BENCHMARK(rankedShipped)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(viewAllShipped)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(favoritesShipped)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(searchOnlyShipped)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(largestCategoryShipped)->Unit(benchmark::kMillisecond);
BENCHMARK(rankedMillion)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(favoritesMillion)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(searchOnlyMillion)->DenseRange(0, LAST_QUERY)->Unit(benchmark::kMillisecond);
BENCHMARK(largestCategoryMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(keyStrokesShipped)->DenseRange(0, LAST_TYPED)->Unit(benchmark::kMillisecond);

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

// The resource folder of the run: the shipped brand and user-database template beside the
// catalogue link; a user with a profile in a fresh user database.
bool setUp()
{
    const QString shipped = BXSettings::getDirExecutable() + QStringLiteral("../share/pantrel/");
    s_shippedCatalogue = shipped + QStringLiteral("static.db");
    for (const char* file : {"brand.dat", "userdata.db"}) {
        if (!QFile::copy(shipped + QString::fromLatin1(file), s_resourceFolder + QString::fromLatin1(file)))
            return false;
    }
    BXSettings::setResourceDBPath(s_resourceFolder);
    const QByteArray brand = QFile::encodeName(s_resourceFolder + QStringLiteral("brand.dat"));
    if (!BrandEngine::instance()->import(brand.constData()) || !DiaryStart::startUp(true))
        return false;
    CatalogueServices::install();
    DBTypes::UserProfile profile;
    profile.name = QStringLiteral("Ann");
    qstrcpy(profile.created, "20260101");
    qstrcpy(profile.dob, "19800101");
    profile.sex = 1;
    profile.height = 170.0f;
    if (!UserDB::instance()->addUser(profile, &s_user))
        return false;
    UserDB::instance()->setCurrentUser(s_user);
    if (!writeSyntheticCatalogue())
        return false;
    markFavorites(useCatalogue(s_shippedCatalogue));
    markFavorites(useCatalogue(s_syntheticCatalogue));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto setUpBrowser = [](const QTemporaryDir& home) {
        s_resourceFolder = home.path() + QStringLiteral("/resources/");
        s_syntheticCatalogue = home.filePath(QStringLiteral("million.db"));
        if (QDir().mkpath(s_resourceFolder) && setUp())
            return true;
        std::fprintf(stderr, "bench_browser: cannot set up the catalogues and the user database\n");
        return false;
    };
    return BenchRun::runWithWidgets(argc, argv, setUpBrowser, [] {
        CatalogueServices::cleanUp();
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        BrandEngine::cleanUp();
    });
}
