#ifndef PANTREL_TOOLS_STATICDBWRITER_FOODCATALOGUEBUILDER_H
#define PANTREL_TOOLS_STATICDBWRITER_FOODCATALOGUEBUILDER_H

#include "tools/staticdbwriter/cataloguenode.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/tool/usdafood.h"

#include <map>

// Turns the foods of the nutrient data into the food catalogue tree: the food groups as top
// categories (by name), below each a sub-category for every leading name segment that
// enough of the group's foods share, and the foods by name. Every food is a mass food per 100 g
// with its measures as servings; its ranking group is the category it sits in.
class FoodCatalogueBuilder {
public:
    // Foods sharing a leading name segment get a sub-category from this many on.
    static constexpr int SUB_CATEGORY_MINIMUM = 10;
    static constexpr quint32 GROUP_ID_BASE = 0xF00000;
    static constexpr quint32 SUB_CATEGORY_ID_BASE = 0xF10000;

    // groups maps each food number to its food group code.
    static CatalogueNode build(const std::vector<UsdaFood>& foods, const std::map<int, int>& groups);

    // A food is generic unless its name carries a brand, written in capitals: three capitals
    // in a row.
    static bool isGeneric(const QString& name);
    // The measures as servings: one unit of each, or the whole measure where its name states
    // the weight of the whole; named measures only, the first of equally named ones, lightest
    // first, at most FoodRecord::MAX_SERVINGS.
    static std::vector<FoodRecord::Serving> servings(const std::vector<UsdaFood::Measure>& measures);
    // Whether a segment of the name is "raw".
    static bool isRaw(const QString& name);
    // Unique ranking weights, heavier for the food a household means by its name: first the
    // generic foods of the everyday groups (FoodGroups::isEveryday), then foods with household
    // servings, raw foods, foods with more servings, names of fewer segments, shorter names;
    // the food number breaks ties. groups maps each food number to its food group code.
    static std::map<int, quint32> rankingWeights(const std::vector<UsdaFood>& foods,
                                                 const std::map<int, int>& groups);
};

#endif
