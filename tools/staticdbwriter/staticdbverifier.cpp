#include "tools/staticdbwriter/staticdbverifier.h"

#include "catalogue/staticdb.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"

#include <cstring>
#include <set>

namespace {

QString recordName(const BrowsableDBItem& item)
{
    return QStringLiteral("record %1 (%2)").arg(item.id).arg(QString::fromLatin1(item.name));
}

bool isCategory(const IndexedDB& tree, size_t index)
{
    return (tree.getFlags()[index] & FLAG_CATEGORY) != 0;
}

void checkNames(const IndexedDB& tree, QStringList& problems)
{
    const std::vector<BrowsableDBItem>& items = tree.getItems();
    for (size_t i = 1; i < items.size(); ++i) {
        const char* previous = items[i - 1].name;
        if (items[i].name != previous + std::strlen(previous) + 1)
            problems << QStringLiteral("name of %1 does not follow the previous name")
                            .arg(recordName(items[i]));
    }
}

void checkUniqueIds(const IndexedDB& tree, QStringList& problems)
{
    std::set<quint32> ids;
    for (const BrowsableDBItem& item : tree.getItems()) {
        if (!ids.insert(item.id).second)
            problems << QStringLiteral("id %1 is used twice").arg(item.id);
    }
}

// Visits the children of every category from the root, counting how often each record is
// reached.
void checkReachability(const IndexedDB& tree, QStringList& problems)
{
    const std::vector<BrowsableDBItem>& items = tree.getItems();
    std::vector<int> reached(items.size(), 0);
    std::vector<size_t> pending{items.size() - 1};
    while (!pending.empty()) {
        const BrowsableDBItem& category = items[pending.back()];
        pending.pop_back();
        const size_t first = category.firstChild;
        const size_t end = first + size_t(category.childCount());
        if (end > items.size() - 1) {
            problems << QStringLiteral("children of %1 lie outside the records").arg(recordName(category));
            continue;
        }
        quint32 categories = 0;
        for (size_t i = first; i < end; ++i) {
            if (++reached[i] > 1)
                continue;
            if (isCategory(tree, i)) {
                ++categories;
                pending.push_back(i);
            }
        }
        if (categories != category.numCategories)
            problems << QStringLiteral("%1 counts %2 child categories but has %3")
                            .arg(recordName(category)).arg(category.numCategories).arg(categories);
    }
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        if (reached[i] != 1)
            problems << QStringLiteral("%1 is reached %2 times").arg(recordName(items[i])).arg(reached[i]);
    }
}

} // namespace

QStringList StaticDBVerifier::verifyTree(const IndexedDB& tree)
{
    const std::vector<BrowsableDBItem>& items = tree.getItems();
    if (items.empty())
        return {QStringLiteral("the catalogue has no records")};
    if (!isCategory(tree, items.size() - 1) || items.back().id != 0)
        return {QStringLiteral("the last record is not the root category with id 0")};
    QStringList problems;
    checkNames(tree, problems);
    checkUniqueIds(tree, problems);
    checkReachability(tree, problems);
    return problems;
}

QStringList StaticDBVerifier::verifyFoods(const StaticDB& foods)
{
    QStringList problems = verifyTree(foods);
    const std::vector<BrowsableDBItem>& items = foods.getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (isCategory(foods, i))
            continue;
        const std::optional<FoodRecord> food = FoodRecord::decode(items[i].data, foods.getMappingEnd());
        if (!food) {
            problems << QStringLiteral("%1 has a broken food record").arg(recordName(items[i]));
            continue;
        }
        if (food->servings.empty() && !food->referenceQuantity)
            problems << QStringLiteral("%1 has neither servings nor a reference quantity")
                            .arg(recordName(items[i]));
        if (food->displayName.isEmpty())
            problems << QStringLiteral("%1 has no display name").arg(recordName(items[i]));
    }
    return problems;
}

QStringList StaticDBVerifier::verifyExercises(const StaticDB& exercises)
{
    QStringList problems = verifyTree(exercises);
    const std::vector<BrowsableDBItem>& items = exercises.getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (isCategory(exercises, i))
            continue;
        const std::optional<ExerciseRecord> exercise =
            ExerciseRecord::decode(items[i].data, exercises.getMappingEnd());
        if (!exercise || !exercise->burnRate || !(*exercise->burnRate > 0.0f))
            problems << QStringLiteral("%1 has no burn rate above 0").arg(recordName(items[i]));
    }
    return problems;
}
