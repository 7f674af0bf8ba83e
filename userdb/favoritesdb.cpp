#include "userdb/favoritesdb.h"

#include "core/fooddbbase.h"
#include "userdb/bxsqlquery.h"
#include "userdb/nullconversion.h"
#include "userdb/storedrange.h"

namespace {
// Bits of the browser's item flags.
constexpr int FoodBit = 1;
constexpr int ExerciseBit = 2;
constexpr int CustomBit = 4;
// Only items of the shipped catalogue are favourites: an id past its id space names nothing.
const StoredRange StoredFavorite{"favorites", "item_id", PlausibleRange(0.0, FoodDBBase::IdSpaceEnd - 1),
                                 "left out"};
}

FavoritesDB::FavoriteType FavoritesDB::favoriteType(ItemFlags flags)
{
    if (flags.bits & CustomBit)
        return NoFavorite;
    if (flags.bits & FoodBit)
        return FoodFavorite;
    if (flags.bits & ExerciseBit)
        return ExerciseFavorite;
    return NoFavorite;
}

bool FavoritesDB::canBeFavorite(ItemFlags flags, ItemId) const
{
    return favoriteType(flags) != NoFavorite;
}

std::optional<bool> FavoritesDB::isFavorite(ItemFlags flags, ItemId itemId) const
{
    const FavoriteType type = favoriteType(flags);
    if (type == NoFavorite)
        return false;
    BXSqlQuery query("SELECT item_id FROM favorites where user_id = ? AND item_type = ? AND "
                     "item_id = ?");
    query.bindValue(0, _user);
    query.bindValue(1, int(type));
    query.bindValue(2, itemId.value);
    return query.first();
}

bool FavoritesDB::findFavorites(ItemFlags flags, std::set<qint64>& ids) const
{
    ids.clear();
    const FavoriteType type = favoriteType(flags);
    if (type == NoFavorite)
        return true;
    std::set<qint64> found;
    BXSqlQuery query("SELECT item_id FROM favorites where user_id = ? AND item_type = ?");
    query.bindValue(0, _user);
    query.bindValue(1, int(type));
    const bool read = query.readRows([&] {
        if (const std::optional<int> id = StoredFavorite.readWhole(query.value(0)))
            found.insert(*id);
    });
    if (!read)
        return false;
    ids = std::move(found);
    return true;
}

bool FavoritesDB::changeFavorite(const char* sql, ItemFlags flags, ItemId itemId)
{
    BXSqlQuery query(sql);
    query.bindValue(0, _user);
    query.bindValue(1, int(favoriteType(flags)));
    query.bindValue(2, itemId.value);
    return query.exec();
}

bool FavoritesDB::addFavorite(ItemFlags flags, ItemId itemId)
{
    return changeFavorite("INSERT INTO favorites (user_id, item_type, item_id) VALUES (?, ?, ?)", flags,
                   itemId);
}

bool FavoritesDB::removeFavorite(ItemFlags flags, ItemId itemId)
{
    return changeFavorite("DELETE FROM favorites where user_id = ? AND item_type = ? AND item_id = ?",
                   flags, itemId);
}
