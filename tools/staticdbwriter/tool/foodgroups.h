#ifndef PANTREL_TOOLS_STATICDBWRITER_FOODGROUPS_H
#define PANTREL_TOOLS_STATICDBWRITER_FOODGROUPS_H

#include "tools/staticdbwriter/tool/usdafood.h"

#include <QString>

#include <map>
#include <optional>

// The food groups of the nutrient data. A food number's first two digits name its group;
// for the numbers whose prefix is no group, the group is the one most foods with the same
// first name segment belong to, or else the first entry of a small keyword table that the
// name contains.
class FoodGroups {
public:
    // The published name of group code (1 for 0100 and so on), or none.
    static std::optional<QString> groupName(int code);
    // Whether the group holds foods as a household buys and cooks them, rather than dishes
    // made for a particular eater, place or tradition (baby, fast, restaurant and traditional
    // native foods), mixed dishes or snacks.
    static bool isEveryday(int code);
    // The group of every food, keyed by food number; none with a message in error when a
    // food cannot be placed.
    static std::optional<std::map<int, int>> assign(const std::vector<UsdaFood>& foods, QString* error);
    // The first comma segment of a name, lowered, which the rule compares.
    static QString firstSegmentKey(const QString& name);

private:
    static std::optional<int> _groupByKeyword(const QString& name);
};

#endif
