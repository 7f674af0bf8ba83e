#include "userdb/favoritesdb.h"

#include "userdb/bxsqlquery.h"

int FavoritesDB::s_cacheUser = 0;
int FavoritesDB::s_cacheFlags = FavoritesDB::NoFavorite;
std::set<int> FavoritesDB::s_cacheList;

namespace {
// Bits of the browser's item flags.
constexpr int FoodBit = 1;
constexpr int ExerciseBit = 2;
constexpr int CustomBit = 4;
}

FavoritesDB::FavoriteType FavoritesDB::favoriteType(int flags)
{
    if (flags & CustomBit)
        return NoFavorite;
    if (flags & FoodBit)
        return FoodFavorite;
    if (flags & ExerciseBit)
        return ExerciseFavorite;
    return NoFavorite;
}

bool FavoritesDB::canBeFavorite(int flags, int) const
{
    return favoriteType(flags) != NoFavorite;
}

bool FavoritesDB::isFavorite(int flags, int itemId) const
{
    const FavoriteType type = favoriteType(flags);
    if (type == NoFavorite)
        return false;
    BXSqlQuery query("SELECT item_id FROM favorites where user_id = ? AND item_type = ? AND "
                     "item_id = ?");
    query.bindValue(0, _user);
    query.bindValue(1, int(type));
    query.bindValue(2, itemId);
    return query.exec() && query.next();
}

void FavoritesDB::findFavorites(int flags, std::set<int>& ids) const
{
    const FavoriteType type = favoriteType(flags);
    if (type == NoFavorite) {
        ids.clear();
        return;
    }
    if (s_cacheUser != _user || s_cacheFlags != type) {
        s_cacheList.clear();
        BXSqlQuery query("SELECT item_id FROM favorites where user_id = ? AND item_type = ?");
        query.bindValue(0, _user);
        query.bindValue(1, int(type));
        if (query.exec()) {
            while (query.next())
                s_cacheList.insert(query.value(0).toInt());
        }
        s_cacheUser = _user;
        s_cacheFlags = type;
    }
    ids = s_cacheList;
}

void FavoritesDB::changeFavorite(const char* sql, int flags, int itemId)
{
    s_cacheFlags = NoFavorite;
    BXSqlQuery query(sql);
    query.bindValue(0, _user);
    query.bindValue(1, int(favoriteType(flags)));
    query.bindValue(2, itemId);
    query.exec();
}

void FavoritesDB::addFavorite(int flags, int itemId)
{
    changeFavorite("INSERT INTO favorites (user_id, item_type, item_id) VALUES (?, ?, ?)", flags,
                   itemId);
}

void FavoritesDB::removeFavorite(int flags, int itemId)
{
    changeFavorite("DELETE FROM favorites where user_id = ? AND item_type = ? AND item_id = ?",
                   flags, itemId);
}
