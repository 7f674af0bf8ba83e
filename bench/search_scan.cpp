// Scans the ranked Foods list of the shipped catalogue for the searches a household types: every
// word that a food's name gives a part of its own ("Apples, raw" gives "apples" and "raw"), and
// two-word searches made from names ("Cheese, cheddar" gives "cheddar cheese", "Peanut
// butter, smooth" gives "peanut butter"). For each search it prints the food the search means
// and the row at which the ranked view shows it, counted as the view shows them, category
// headers included (0: not among the hits kept), so that the output of two builds can be
// compared line by line. The food a search means is the heaviest food by the catalogue's
// ranking weight whose parts name the search: its first part is the search (one word), or
// its first part is one word and a later part the other, or its first part is the search
// (two words). Each line ends with every row the view shows, so that "changes" can list, for
// each search whose rows differ from a scan saved by another build, every row that changed.
// With search texts as arguments it prints instead each search's rows.
//
//   search_scan scan > rows.txt
//   search_scan changes rows.txt
//   search_scan "grape" "vegetable soup"

#include "catalogue/fooddbstatic.h"
#include "catalogue/searchrank.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace {

// The ranked view keeps this many hits.
constexpr size_t RANKED_HITS = 30;
constexpr int TWO_WORD_SEARCHES = 1500;

struct Hit {
    qint64 rank;
    const char* name;
    quint32 group;
    bool operator<(const Hit& other) const
    {
        return rank != other.rank ? rank < other.rank : std::strcmp(name, other.name) < 0;
    }
};

// The rows of the ranked view for a search, as the browser's Foods list lays them out: a
// header for each ranking group in the order of its best hit (groups of one name share it),
// and below it its hits, best first. A header's row holds its name in brackets.
QStringList shownRows(FoodDBStatic& foods, const QString& terms)
{
    foods.applySearchTerms(terms, false, 0);
    const SearchRank rank = foods.rankFor(terms);
    std::multiset<Hit> kept;
    for (auto it = foods.getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY); it->next();) {
        const Hit hit{rank.of(it->item()), it->name(), FoodDBStatic::getFoodRankingGroup(*it)};
        if (kept.size() < RANKED_HITS) {
            kept.insert(hit);
        } else if (hit.rank > kept.begin()->rank) {
            kept.erase(kept.begin());
            kept.insert(hit);
        }
    }
    std::vector<QString> headers;
    std::map<QString, QStringList> below;
    for (auto hit = kept.rbegin(); hit != kept.rend(); ++hit) {
        const QString header = foods.getCategoryName(int(hit->group));
        if (!below.count(header))
            headers.push_back(header);
        below[header] << QString::fromLatin1(hit->name);
    }
    QStringList rows;
    for (const QString& header : headers)
        rows << QLatin1Char('[') + header + QLatin1Char(']') << below[header];
    return rows;
}

struct Food {
    QString name;
    QStringList parts; // lowered and trimmed
    qint32 weight;
};

// The searches and the food each means.
std::map<QString, const Food*> meantFoods(const std::vector<Food>& foods)
{
    static const QRegularExpression oneWord(QStringLiteral("^[a-z]{3,}$"));
    static const QRegularExpression twoWords(QStringLiteral("^[a-z]{3,} [a-z]{3,}$"));
    std::map<QString, const Food*> single;
    std::map<QString, const Food*> pairs;
    const auto take = [](std::map<QString, const Food*>& into, const QString& search, const Food& food) {
        const Food*& meant = into[search];
        if (!meant || food.weight > meant->weight)
            meant = &food;
    };
    for (const Food& food : foods) {
        const QString& first = food.parts.front();
        if (oneWord.match(first).hasMatch())
            take(single, first, food);
        if (twoWords.match(first).hasMatch())
            take(pairs, first, food);
        for (qsizetype p = 1; p < food.parts.size(); ++p) {
            if (oneWord.match(first).hasMatch() && oneWord.match(food.parts[p]).hasMatch())
                take(pairs, food.parts[p] + QLatin1Char(' ') + first, food);
        }
    }
    // Every later part's word also means the heaviest food whose first part names none.
    for (const Food& food : foods) {
        for (qsizetype p = 1; p < food.parts.size(); ++p) {
            if (oneWord.match(food.parts[p]).hasMatch() && !single.count(food.parts[p]))
                take(single, food.parts[p], food);
        }
    }
    // Two-word searches spread evenly over all that the names give.
    size_t n = 0;
    for (const auto& [search, food] : pairs) {
        if ((n + 1) * TWO_WORD_SEARCHES / pairs.size() != n * TWO_WORD_SEARCHES / pairs.size())
            single.emplace(search, food);
        ++n;
    }
    return single;
}

int rowOf(const QStringList& rows, const QString& name)
{
    return int(rows.indexOf(name)) + 1;
}

const QString ROW_SEPARATOR = QStringLiteral(" | ");

// Each search: the food it means, its row, and every row shown.
std::map<QString, QStringList> scanned(FoodDBStatic& store)
{
    std::vector<Food> foods;
    for (auto it = store.getFlattenedChildren(0, FLAG_CATEGORY); it->next();) {
        Food food{QString::fromLatin1(it->name()), {}, qint32(it->item().weight)};
        for (const QString& part : food.name.split(QLatin1Char(',')))
            food.parts << part.trimmed().toLower();
        foods.push_back(food);
    }
    std::map<QString, QStringList> lines;
    for (const auto& [search, food] : meantFoods(foods)) {
        const QStringList rows = shownRows(store, search);
        lines[search] = {QString::number(rowOf(rows, food->name)), food->name, rows.join(ROW_SEPARATOR)};
    }
    return lines;
}

void scan(FoodDBStatic& store)
{
    for (const auto& [search, line] : scanned(store))
        std::printf("%s\t%s\n", qPrintable(search), qPrintable(line.join(QLatin1Char('\t'))));
}

// Lists each row that differs from the scan in the file, search by search, and the count of
// searches whose rows all stayed.
bool changes(FoodDBStatic& store, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "search_scan: cannot read %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    std::map<QString, QStringList> before;
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).chopped(1).split(QLatin1Char('\t'));
        if (fields.size() == 4)
            before[fields[0]] = fields[3].split(ROW_SEPARATOR);
    }
    int same = 0;
    for (const auto& [search, line] : scanned(store)) {
        const QStringList rows = line[2].split(ROW_SEPARATOR);
        const QStringList old = before.count(search) ? before[search] : QStringList();
        if (rows == old) {
            ++same;
            continue;
        }
        std::printf("%s\n", qPrintable(search));
        for (qsizetype i = 0; i < std::max(rows.size(), old.size()); ++i) {
            if (rows.value(i) != old.value(i))
                std::printf("  %3lld %s -> %s\n", static_cast<long long>(i + 1), qPrintable(old.value(i)), qPrintable(rows.value(i)));
        }
    }
    std::printf("%d searches show the same rows\n", same);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    bool failed = false;
    FoodDBStatic* store = FoodDBStatic::instance(&failed);
    if (failed) {
        std::fprintf(stderr, "search_scan: cannot load the shipped catalogue\n");
        return 1;
    }
    const QStringList arguments = app.arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("scan")}) {
        scan(*store);
        return 0;
    }
    if (arguments.size() == 2 && arguments.front() == QStringLiteral("changes"))
        return changes(*store, arguments.back()) ? 0 : 1;
    for (const QString& search : arguments) {
        std::printf("%s\n", qPrintable(search));
        const QStringList rows = shownRows(*store, search);
        for (qsizetype i = 0; i < rows.size(); ++i)
            std::printf("%3lld %s\n", static_cast<long long>(i + 1), qPrintable(rows[i]));
    }
    return 0;
}
