#pragma once

#include <QString>

#include <optional>

// The root categories of the custom food and custom exercise catalogues: one shared by every
// user and one of each user's own. They are made with the user, and by the upgrade for the
// users of an older diary, so that reading a catalogue never has to write.
class CatalogueRoots
{
public:
    // The id of a user's root category; user -1 is the shared root.
    static qint64 idFor(qint64 user);
    // Whether the category id is the shared root or a user's root.
    static bool isRoot(qint64 id);
    // Whether the program gives a category (a root among them), or an item of a catalogue,
    // that id. Every id it gives fits the 32 bits the trees hold.
    static bool givesCategoryId(qint64 id);
    static bool givesItemId(qint64 id);
    // Makes the shared roots and the roots of `user` (stored already) where they are missing;
    // false when one cannot be stored.
    static bool makeFor(qint64 user);
    // Whether a category or item is stored as `user`'s root or right below it; nullopt when that could not
    // be read.
    static std::optional<bool> holdsAnything(qint64 user);
    // Likewise for every user of the diary.
    static bool makeForEveryUser();
    // Names the first link of the catalogues' categories that no tree shows, with its table, in
    // `link`, left empty without one: an id of a category or item, or of the category above
    // one, that the program never gives, a category that lies below itself, or a root given a
    // parent. False, with the reason in `link`, when the tables could not be read.
    static bool findBadLink(QString* link);
};
