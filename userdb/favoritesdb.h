#pragma once

#include <QtGlobal>

#include <optional>
#include <set>

// A user's favourite catalogue foods and exercises, read from the diary each time: a user
// deleted, a diary restored or another program's change is never answered from an older read.
class FavoritesDB
{
public:
    // The kinds of favourite kept in favorites.item_type; NoFavorite is never stored.
    enum FavoriteType { FoodFavorite = 1, ExerciseFavorite = 2, NoFavorite = 3 };

    // The browser's flags of an item and the item's id, as distinct types so that the two
    // cannot be swapped in a call.
    struct ItemFlags
    {
        constexpr explicit ItemFlags(int value) : bits(value) {}
        int bits;
    };
    struct ItemId
    {
        constexpr explicit ItemId(qint64 id) : value(id) {}
        qint64 value;
    };

    explicit FavoritesDB(qint64 user) : _user(user) {}

    // The favourite type of an item with these browser item flags: catalogue foods and
    // exercises only (not custom items, categories, saved meals or recipes).
    static FavoriteType favoriteType(ItemFlags flags);
    bool canBeFavorite(ItemFlags flags, ItemId itemId) const;
    // Nothing when it could not be read.
    std::optional<bool> isFavorite(ItemFlags flags, ItemId itemId) const;
    // The ids of the user's favourites of the flags' type; false, with none, when they could
    // not be read (nor is that kept for the next call).
    bool findFavorites(ItemFlags flags, std::set<qint64>& ids) const;
    // Whether the store took the change.
    bool addFavorite(ItemFlags flags, ItemId itemId);
    bool removeFavorite(ItemFlags flags, ItemId itemId);

private:
    bool changeFavorite(const char* sql, ItemFlags flags, ItemId itemId);

    qint64 _user;
};
