#include "tools/staticdbwriter/tool/foodgroups.h"

#include <set>
#include <utility>
#include <vector>

namespace {

const std::map<int, QString>& groupNames()
{
    static const std::map<int, QString> names = {
        {1, QStringLiteral("Dairy and Egg Products")},
        {2, QStringLiteral("Spices and Herbs")},
        {3, QStringLiteral("Baby Foods")},
        {4, QStringLiteral("Fats and Oils")},
        {5, QStringLiteral("Poultry Products")},
        {6, QStringLiteral("Soups, Sauces, and Gravies")},
        {7, QStringLiteral("Sausages and Luncheon Meats")},
        {8, QStringLiteral("Breakfast Cereals")},
        {9, QStringLiteral("Fruits and Fruit Juices")},
        {10, QStringLiteral("Pork Products")},
        {11, QStringLiteral("Vegetables and Vegetable Products")},
        {12, QStringLiteral("Nut and Seed Products")},
        {13, QStringLiteral("Beef Products")},
        {14, QStringLiteral("Beverages")},
        {15, QStringLiteral("Finfish and Shellfish Products")},
        {16, QStringLiteral("Legumes and Legume Products")},
        {17, QStringLiteral("Lamb, Veal, and Game Products")},
        {18, QStringLiteral("Baked Products")},
        {19, QStringLiteral("Sweets")},
        {20, QStringLiteral("Cereal Grains and Pasta")},
        {21, QStringLiteral("Fast Foods")},
        {22, QStringLiteral("Meals, Entrees, and Sidedishes")},
        {25, QStringLiteral("Snacks")},
        {35, QStringLiteral("American Indian/Alaska Native Foods")},
        {36, QStringLiteral("Restaurant Foods")},
    };
    return names;
}

// For the few foods outside a group whose first name segment no grouped food shares: the
// first keyword (lower case) that the lowered name contains gives the group.
const std::vector<std::pair<QString, int>>& keywordGroups()
{
    static const std::vector<std::pair<QString, int>> keywords = {
        {QStringLiteral("frozen novel"), 19},
        {QStringLiteral("celery flakes"), 2},
        {QStringLiteral("yeast extract"), 16},
        {QStringLiteral("juice"), 14},
        {QStringLiteral("drink"), 14},
        {QStringLiteral("beverage"), 14},
        {QStringLiteral("ensure"), 14},
        {QStringLiteral("fluid replacement"), 14},
        {QStringLiteral("cocktail mix"), 14},
        {QStringLiteral("mayonnaise"), 4},
        {QStringLiteral("dressing"), 4},
        {QStringLiteral("spread"), 4},
        {QStringLiteral("butter replacement"), 4},
        {QStringLiteral("meatless"), 16},
        {QStringLiteral("vegetarian"), 16},
        {QStringLiteral("tofu"), 16},
        {QStringLiteral("soy"), 16},
        {QStringLiteral("baked beans"), 16},
        {QStringLiteral("cereal"), 8},
        {QStringLiteral("flakes"), 8},
        {QStringLiteral("bar"), 25},
        {QStringLiteral("rice cake"), 25},
        {QStringLiteral("papad"), 18},
        {QStringLiteral("sauce"), 6},
        {QStringLiteral("dip"), 6},
        {QStringLiteral("cheese"), 1},
        {QStringLiteral("eggs"), 1},
        {QStringLiteral("whipped"), 1},
        {QStringLiteral("milk dessert"), 19},
        {QStringLiteral("turtle"), 15},
        {QStringLiteral("frog"), 15},
        {QStringLiteral("jellyfish"), 15},
        {QStringLiteral("dove"), 5},
        {QStringLiteral("bacon"), 7},
        {QStringLiteral("sausage"), 7},
        {QStringLiteral("gluten"), 20},
        {QStringLiteral("vermicelli"), 20},
        {QStringLiteral("palm hearts"), 11},
    };
    return keywords;
}

// For each first segment of the grouped foods, the group most of them belong to (the
// lowest group code on a tie).
std::map<QString, int> segmentGroups(const std::vector<UsdaFood>& foods)
{
    std::map<QString, std::map<int, int>> votes;
    for (const UsdaFood& food : foods) {
        if (FoodGroups::groupName(food.numberPrefix()))
            ++votes[FoodGroups::firstSegmentKey(food.name)][food.numberPrefix()];
    }
    std::map<QString, int> groups;
    for (const auto& [segment, counts] : votes) {
        int best = 0;
        int bestCount = 0;
        for (const auto& [group, count] : counts) {
            if (count > bestCount) {
                best = group;
                bestCount = count;
            }
        }
        groups[segment] = best;
    }
    return groups;
}

} // namespace

std::optional<QString> FoodGroups::groupName(int code)
{
    const auto found = groupNames().find(code);
    if (found == groupNames().end())
        return std::nullopt;
    return found->second;
}

bool FoodGroups::isEveryday(int code)
{
    static const std::set<int> particular = {
        3,  // Baby Foods
        21, // Fast Foods
        22, // Meals, Entrees, and Sidedishes
        25, // Snacks
        35, // American Indian/Alaska Native Foods
        36, // Restaurant Foods
    };
    return !particular.count(code);
}

std::optional<std::map<int, int>> FoodGroups::assign(const std::vector<UsdaFood>& foods, QString* error)
{
    const std::map<QString, int> bySegment = segmentGroups(foods);
    std::map<int, int> groups;
    for (const UsdaFood& food : foods) {
        if (groupName(food.numberPrefix())) {
            groups[food.number] = food.numberPrefix();
            continue;
        }
        const auto segment = bySegment.find(firstSegmentKey(food.name));
        std::optional<int> group = segment != bySegment.end() ? std::optional<int>(segment->second)
                                                               : _groupByKeyword(food.name);
        if (!group) {
            *error = QStringLiteral("No food group for %1 \"%2\"").arg(food.number).arg(food.name);
            return std::nullopt;
        }
        groups[food.number] = *group;
    }
    return groups;
}

QString FoodGroups::firstSegmentKey(const QString& name)
{
    return name.section(QLatin1Char(','), 0, 0).trimmed().toLower();
}

std::optional<int> FoodGroups::_groupByKeyword(const QString& name)
{
    const QString lowered = name.toLower();
    for (const auto& [keyword, group] : keywordGroups()) {
        if (lowered.contains(keyword))
            return group;
    }
    return std::nullopt;
}
