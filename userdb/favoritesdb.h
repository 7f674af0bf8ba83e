#pragma once

#include <set>

// A user's favourite catalogue foods and exercises. The last list read is cached for all
// FavoritesDB objects until a favourite is added or removed.
class FavoritesDB
{
public:
    // The kinds of favourite kept in favorites.item_type; NoFavorite is never stored.
    enum FavoriteType { FoodFavorite = 1, ExerciseFavorite = 2, NoFavorite = 3 };

    explicit FavoritesDB(int user) : _user(user) {}

    // The favourite type of an item with these browser item flags: catalogue foods and
    // exercises only (not custom items, categories, saved meals or recipes).
    static FavoriteType favoriteType(int flags);
    bool canBeFavorite(int flags, int itemId) const;
    bool isFavorite(int flags, int itemId) const;
    // The ids of the user's favourites of the flags' type.
    void findFavorites(int flags, std::set<int>& ids) const;
    void addFavorite(int flags, int itemId);
    void removeFavorite(int flags, int itemId);

private:
    void changeFavorite(const char* sql, int flags, int itemId);

    int _user;

    static int s_cacheUser;
    static int s_cacheFlags;
    static std::set<int> s_cacheList;
};
