#ifndef PANTREL_CORE_FOODDBBASE_H
#define PANTREL_CORE_FOODDBBASE_H

#include "core/dbtypes.h"

#include <QString>

#include <optional>
#include <vector>

// A food lookup by catalogue id. The food catalogue implements it; diary entries reach it
// through FoodDiaryItem::setFoodCatalogue, so that the records do not depend on the
// catalogue's storage.
class FoodDBBase {
public:
    // Whether an id lies in the catalogue's id space: 0 to 0xFFFFFF shipped foods,
    // 0x1000000 to 0x2FFFFFF the user's own, below IdSpaceEnd.
    static constexpr qint64 IdSpaceEnd = 0x3000000;
    static bool isCatalogueId(qint64 id) { return id >= 0 && id < IdSpaceEnd; }
    // The user's own store: its first id, the root of each user's tree (the base plus the
    // user id) and the root of the tree every user shares.
    static constexpr qint64 FirstCustomId = 0x1000000;
    static constexpr qint64 UserRootBase = 0x1FFF000;
    static constexpr qint64 SharedRootId = 0x2000000;
    static bool isCustomId(qint64 id) { return id >= FirstCustomId && isCatalogueId(id); }

    // The food's display name as 8-bit text; empty when the id is unknown.
    virtual QString getFoodName(qint64 foodId) const = 0;
    // The food's values per its reference quantity; none when the id is unknown.
    virtual std::optional<DBTypes::FoodItem> getFoodItem(qint64 foodId) const = 0;
    // The food's own servings; none when the id is unknown.
    virtual std::vector<DBTypes::ServingItem> getServingItemList(qint64 foodId) const = 0;
    // Whether the user may take the food's values: false for a food another user keeps to
    // themselves, and when that could not be read.
    virtual bool isOpenTo(qint64 user, qint64 foodId) const = 0;
    virtual ~FoodDBBase() = default;
};

#endif
