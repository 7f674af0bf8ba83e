// Feeds arbitrary bytes to the catalogue loader as static.db, then browses, searches and
// reads the records of every tree it accepts as the browser and the diary do, checking that
// nothing read lies past the mapping and no reference leads to nothing.
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Record lookups by id scan the whole tree; look up this many records at most.
constexpr int MAX_LOOKUPS = 64;
constexpr int UNKNOWN_CHUNK = 3;

const char* const s_fixedTerms[] = {
    "apple", "raw -fruit", "Running general", "-ing bread", "ab", "a b c", "-xyz", "   ",
    "\xc3\xa9t\xc3\xa9 CAF\xc3\x89", "tea \xe2\x98\x95 cup",
};

std::string s_folder;
std::string s_filePath;

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void removeFiles()
{
    std::remove(s_filePath.c_str());
    std::remove(s_folder.c_str());
}

// A broken invariant of a loaded tree: report it as a crash so the input is kept.
void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_staticdb: %s\n", what);
    std::abort();
}

bool writeCatalogue(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(s_filePath.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Whether a NUL-terminated text starts before end and ends before it.
bool textFits(const char* text, const unsigned char* end)
{
    const auto* start = reinterpret_cast<const unsigned char*>(text);
    return start < end && std::memchr(start, 0, size_t(end - start)) != nullptr;
}

void checkRecord(const StaticDB& db, const BrowsableDBIterator& it)
{
    const unsigned char* end = db.getMappingEnd();
    check(textFits(it.name(), end), "name outside the mapping");
    if (it.flags() & FLAG_CATEGORY)
        return;
    check(it.data() && it.data() < end, "record outside the mapping");
}

// Whether looking category up by its id gives its own children: with two categories of one
// id, a walk by id could reach an ancestor again and never end.
bool childrenFoundById(const StaticDB& db, const BrowsableDBItem& category)
{
    std::unique_ptr<BrowsableDBIterator> it = db.getChildren(int(category.id), 0, 0);
    if (!it)
        return false;
    int count = 0;
    for (; it->next(); ++count) {
        if (&it->item() != &db.getItems()[category.firstChild + count])
            return false;
    }
    return count == category.childCount();
}

// Visits the children of category id that pass the flags, and their descendants. Children
// precede their category, so the walk ends.
void walk(const StaticDB& db, int id, int flagsOn, int flagsOff)
{
    std::unique_ptr<BrowsableDBIterator> it = db.getChildren(id, flagsOn, flagsOff);
    check(it != nullptr, "a category id names no category");
    while (it->next()) {
        check((it->flags() & (flagsOn | flagsOff)) == flagsOn, "iterator ignored the flags");
        checkRecord(db, *it);
        if (!(it->flags() & FLAG_CATEGORY))
            continue;
        check(childrenFoundById(db, it->item()), "a category id names another category");
        db.hasChildren(int(it->id()), flagsOn, flagsOff);
        walk(db, int(it->id()), flagsOn, flagsOff);
    }
}

// Browses as the catalogue view does: child categories and items matching the search.
void browseMatches(const StaticDB& db, int id)
{
    for (auto it = db.getChildItems(id); it->next();)
        checkRecord(db, *it);
    for (auto it = db.getChildCategories(id); it->next();) {
        checkRecord(db, *it);
        check(childrenFoundById(db, it->item()), "a category id names another category");
        browseMatches(db, int(it->id()));
    }
}

void checkFlattened(const StaticDB& db)
{
    int count = 0;
    for (auto it = db.getFlattenedChildren(0, 0); it->next(); ++count)
        checkRecord(db, *it);
    check(size_t(count) + 1 == db.getItems().size(), "flattened view lost records");
}

// Search terms made of the words of a few names in the file, so that searches also match.
std::vector<QString> termsFromNames(const StaticDB& db)
{
    const std::vector<BrowsableDBItem>& items = db.getItems();
    const QString first = QString::fromLatin1(items.front().name);
    const QString middle = QString::fromLatin1(items[items.size() / 2].name);
    const QString last = QString::fromLatin1(items.back().name);
    return {first, middle, middle.left(4), first + QStringLiteral(" -") + last,
            QStringLiteral("-") + middle.right(3)};
}

void search(StaticDB& db, const QString& terms, int flagsRequiredOn)
{
    if (!db.applySearchTerms(terms, true, flagsRequiredOn)
        || !db.applySearchTerms(terms, false, flagsRequiredOn))
        return;
    browseMatches(db, db.getRootId());
    walk(db, db.getRootId(), FLAG_SEARCH_PARENT_OF_MATCH, 0);
    db.resetSearchTerms();
    for (unsigned char flags : db.getFlags())
        check(flags & FLAG_SEARCH_MATCH, "a record stays hidden after the search was reset");
}

void browseAndSearch(StaticDB& db)
{
    checkFlattened(db);
    walk(db, db.getRootId(), 0, 0);
    walk(db, db.getRootId(), FLAG_CATEGORY, 0);
    walk(db, db.getRootId(), FLAG_GENERIC, FLAG_CATEGORY);
    browseMatches(db, db.getRootId());
    for (const char* terms : s_fixedTerms)
        search(db, QString::fromUtf8(terms), 0);
    for (const QString& terms : termsFromNames(db)) {
        search(db, terms, 0);
        search(db, terms, FLAG_GENERIC);
    }
}

// As the ranked search does: every matching food is headed by the name of its ranking group.
void rankedSearch(FoodDBStatic& foods, const QString& terms)
{
    if (!foods.applySearchTerms(terms, false, 0))
        return;
    for (auto it = foods.getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY); it->next();) {
        const quint32 group = FoodDBStatic::getFoodRankingGroup(*it);
        check(foods.getChildren(int(group), 0, 0) != nullptr, "a food ranks in a group that is no category");
        foods.getCategoryName(int(group));
    }
    foods.resetSearchTerms();
}

// As the diary does: an entry takes the food, then each of its servings, and keeps its values.
void useInDiary(int foodId)
{
    DBTypes::FoodDiaryItem entry;
    check(entry.changeFood(foodId), "the diary cannot take a listed food");
    for (const DBTypes::ServingItem& serving : entry.getServingItemList())
        entry.setServingById(serving.id);
    entry.setSize(2.5f);
    entry.createFakeDenorm();
    entry.loadFoodInfo(true);
}

void readFoods(FoodDBStatic& foods)
{
    for (const QString& terms : termsFromNames(foods))
        rankedSearch(foods, terms);
    int lookups = 0;
    for (auto it = foods.getFlattenedChildren(0, 0); it->next() && lookups < MAX_LOOKUPS; ++lookups) {
        const int id = int(it->id());
        if (it->flags() & FLAG_CATEGORY) {
            foods.getCategoryName(id);
            continue;
        }
        foods.getFoodName(*it);
        FoodDBStatic::getFoodRankingGroup(*it);
        foods.getFoodRankingGroup(id);
        foods.getFoodName(id);
        check(foods.getFoodItem(id).has_value(), "a listed food has no record");
        check(!foods.getServingItemList(id).empty(), "a listed food has no serving");
        useInDiary(id);
    }
}

void readExercises(const ExDBStatic& exercises)
{
    int lookups = 0;
    for (auto it = exercises.getFlattenedChildren(0, FLAG_CATEGORY); it->next() && lookups < MAX_LOOKUPS;
         ++lookups) {
        exercises.getExercise(int(it->id()));
        DBTypes::ExerciseDiaryItem entry;
        entry.changeEx(int(it->id()), 70.0f);
    }
}

void loadUnknownChunk()
{
    bool failed = false;
    StaticDB db(UNKNOWN_CHUNK, &failed);
    if (!failed)
        browseAndSearch(db);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every rejected file logs a warning; keep the output readable.
    qInstallMessageHandler(dropMessages);
    QByteArray folder = QFile::encodeName(QDir::tempPath() + QStringLiteral("/fuzz_staticdb_XXXXXX"));
    if (!mkdtemp(folder.data())) {
        std::perror("fuzz_staticdb: cannot make a temporary folder");
        std::exit(1);
    }
    s_folder = folder.toStdString();
    s_filePath = s_folder + "/static.db";
    BXSettings::setResourceDBPath(QFile::decodeName(folder) + QLatin1Char('/'));
    DBTypes::FoodDiaryItem::setFoodCatalogue([] { return FoodDBStatic::instance(); });
    DBTypes::ExerciseDiaryItem::setExerciseCatalogue([] { return ExDBStatic::instance(); });
    std::atexit(removeFiles);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!writeCatalogue(data, size))
        return 0;
    // Both stores at once share one mapping, as in the program.
    bool foodsFailed = false;
    bool exercisesFailed = false;
    FoodDBStatic* foods = FoodDBStatic::instance(&foodsFailed);
    ExDBStatic* exercises = ExDBStatic::instance(&exercisesFailed);
    if (!foodsFailed) {
        browseAndSearch(*foods);
        readFoods(*foods);
    }
    if (!exercisesFailed) {
        browseAndSearch(*exercises);
        readExercises(*exercises);
    }
    loadUnknownChunk();
    ExDBStatic::cleanUp();
    FoodDBStatic::cleanUp();
    return 0;
}
