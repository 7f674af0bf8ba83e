#include "tools/staticdbwriter/tool/foodcataloguebuilder.h"

#include "catalogue/browsabledbitem.h"
#include "tools/staticdbwriter/statedweight.h"
#include "tools/staticdbwriter/tool/foodgroups.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr float REFERENCE_GRAMS = 100.0f;

QByteArray latin1(const QString& text)
{
    return text.simplified().toLatin1();
}

bool byName(const UsdaFood* a, const UsdaFood* b)
{
    const int order = QString::compare(a->name, b->name, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a->number < b->number;
}

CatalogueNode foodNode(const UsdaFood& food, quint32 category, quint32 weight)
{
    FoodRecord record;
    record.rankingGroup = category;
    record.displayName = latin1(food.name);
    record.nutrients = food.nutrients;
    record.kind = 'M';
    record.referenceQuantity = REFERENCE_GRAMS;
    record.servings = FoodCatalogueBuilder::servings(food.measures);
    const unsigned char flags = FoodCatalogueBuilder::isGeneric(food.name) ? FLAG_GENERIC : 0;
    return CatalogueNode::makeItem(quint32(food.number), record.displayName, weight, record.encode(), flags);
}

// Marks the categories that hold a generic food somewhere below them: as generic parents for
// the browser, and as generic so that a search for generic foods walks into them.
bool markGenericParents(CatalogueNode& node)
{
    bool generic = false;
    for (CatalogueNode& child : node.children)
        generic = (child.isCategory() ? markGenericParents(child) : (child.flags & FLAG_GENERIC) != 0) || generic;
    if (generic)
        node.flags |= FLAG_GENERIC | FLAG_GENERIC_PARENT;
    return generic;
}

// The leading name segments that place a food in a sub-category: the first segment, or the
// first two when the first is shared by more than half of the group (as "Beef" is in the
// beef products).
QString subCategoryKey(const UsdaFood& food, const std::map<QString, int>& firstSegmentCounts,
                       size_t groupSize)
{
    const QString first = FoodGroups::firstSegmentKey(food.name);
    if (size_t(firstSegmentCounts.at(first)) * 2 <= groupSize)
        return food.name.section(QLatin1Char(','), 0, 0).simplified();
    return food.name.section(QLatin1Char(','), 0, 1).simplified();
}

// The group's foods by name, those of a frequent leading segment in a sub-category.
CatalogueNode groupNode(int group, std::vector<const UsdaFood*> foods,
                        const std::map<int, quint32>& weights, quint32& nextSubCategory)
{
    const quint32 groupId = FoodCatalogueBuilder::GROUP_ID_BASE + quint32(group);
    CatalogueNode node = CatalogueNode::makeCategory(groupId, latin1(*FoodGroups::groupName(group)));
    std::sort(foods.begin(), foods.end(), byName);

    std::map<QString, int> firstSegmentCounts;
    for (const UsdaFood* food : foods)
        ++firstSegmentCounts[FoodGroups::firstSegmentKey(food->name)];
    std::map<QString, int> keyCounts;
    std::vector<QString> keys;
    for (const UsdaFood* food : foods) {
        keys.push_back(subCategoryKey(*food, firstSegmentCounts, foods.size()));
        ++keyCounts[keys.back().toLower()];
    }

    std::vector<CatalogueNode> subCategories;
    std::vector<CatalogueNode> items;
    std::map<QString, size_t> subCategoryIndex;
    for (size_t i = 0; i < foods.size(); ++i) {
        const UsdaFood& food = *foods[i];
        if (keyCounts[keys[i].toLower()] < FoodCatalogueBuilder::SUB_CATEGORY_MINIMUM) {
            items.push_back(foodNode(food, groupId, weights.at(food.number)));
            continue;
        }
        auto [found, added] = subCategoryIndex.try_emplace(keys[i].toLower(), subCategories.size());
        if (added)
            subCategories.push_back(CatalogueNode::makeCategory(nextSubCategory++, latin1(keys[i])));
        CatalogueNode& sub = subCategories[found->second];
        sub.children.push_back(foodNode(food, sub.id, weights.at(food.number)));
    }
    node.children = std::move(subCategories);
    node.children.insert(node.children.end(), items.begin(), items.end());
    return node;
}

// A measure of other than one unit is a serving of one unit, unless its name states a weight
// that one unit does not have: then the name weighs the measure as a whole, as "0.5 container
// (4 oz)" is 113 g and "10 large (1 oz)" 28 g, and the serving is the whole measure with its
// amount in its name. The weight is 0 for a measure of no amount.
FoodRecord::Serving servingOf(const UsdaFood::Measure& measure)
{
    const QString name = measure.name.simplified();
    if (!(measure.amount > 0.0))
        return {0.0f, latin1(name)};
    const double unitWeight = measure.grams / measure.amount;
    const std::optional<double> stated = StatedWeight::grams(name);
    if (measure.amount == 1.0 || !stated || StatedWeight::agrees(unitWeight, *stated))
        return {float(unitWeight), latin1(name)};
    return {float(measure.grams), latin1(QString::number(measure.amount) + QLatin1Char(' ') + name)};
}

} // namespace

CatalogueNode FoodCatalogueBuilder::build(const std::vector<UsdaFood>& foods, const std::map<int, int>& groups)
{
    const std::map<int, quint32> weights = rankingWeights(foods, groups);
    std::map<QString, int> groupsByName;
    std::map<int, std::vector<const UsdaFood*>> foodsByGroup;
    for (const UsdaFood& food : foods) {
        const int group = groups.at(food.number);
        foodsByGroup[group].push_back(&food);
        groupsByName[*FoodGroups::groupName(group)] = group;
    }
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    quint32 nextSubCategory = SUB_CATEGORY_ID_BASE;
    for (const auto& [name, group] : groupsByName)
        root.children.push_back(groupNode(group, foodsByGroup[group], weights, nextSubCategory));
    for (CatalogueNode& group : root.children)
        markGenericParents(group);
    return root;
}

bool FoodCatalogueBuilder::isGeneric(const QString& name)
{
    static const QRegularExpression brand(QStringLiteral("[A-Z]{3}"));
    return !brand.match(name).hasMatch();
}

std::vector<FoodRecord::Serving> FoodCatalogueBuilder::servings(const std::vector<UsdaFood::Measure>& measures)
{
    std::vector<FoodRecord::Serving> result;
    QSet<QString> names;
    for (const UsdaFood::Measure& measure : measures) {
        FoodRecord::Serving serving = servingOf(measure);
        const QString key = QString::fromLatin1(serving.name).toLower();
        if (serving.name.isEmpty() || !(serving.weight > 0.0f) || !std::isfinite(serving.weight) || names.contains(key))
            continue;
        names.insert(key);
        result.push_back(std::move(serving));
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const FoodRecord::Serving& a, const FoodRecord::Serving& b) { return a.weight < b.weight; });
    if (result.size() > size_t(FoodRecord::MAX_SERVINGS))
        result.resize(FoodRecord::MAX_SERVINGS);
    return result;
}

std::map<int, quint32> FoodCatalogueBuilder::rankingWeights(const std::vector<UsdaFood>& foods,
                                                           const std::map<int, int>& groups)
{
    // Smaller keys rank first; each part settles only what the parts before it leave equal.
    using Key = std::tuple<bool, bool, bool, qsizetype, qsizetype, qsizetype, int>;
    std::vector<Key> keys;
    for (const UsdaFood& food : foods) {
        const qsizetype servingCount = qsizetype(servings(food.measures).size());
        const bool forEveryone = FoodGroups::isEveryday(groups.at(food.number)) && isGeneric(food.name);
        keys.emplace_back(!forEveryone, servingCount == 0, !isRaw(food.name), -servingCount,
                          food.name.count(QLatin1Char(',')), food.name.size(), food.number);
    }
    std::sort(keys.begin(), keys.end());
    std::map<int, quint32> weights;
    for (size_t rank = 0; rank < keys.size(); ++rank)
        weights[std::get<6>(keys[rank])] = quint32(keys.size() - rank);
    return weights;
}

bool FoodCatalogueBuilder::isRaw(const QString& name)
{
    const QStringList segments = name.split(QLatin1Char(','));
    return std::any_of(segments.begin(), segments.end(), [](const QString& segment) {
        return segment.trimmed().compare(QLatin1String("raw"), Qt::CaseInsensitive) == 0;
    });
}
