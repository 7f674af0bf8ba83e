#ifndef PANTREL_CATALOGUE_DYNAMICDB_H
#define PANTREL_CATALOGUE_DYNAMICDB_H

#include "catalogue/indexeddb.h"
#include "core/fooddbbase.h"
#include "userdb/bxsqlquery.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// A catalogue tree kept in SQL tables of the user database, shown through the same tree and
// search interface as the shipped catalogue. It holds the subtree of the shared root and the
// subtree of the current user's root under an in-memory "ROOT", and rebuilds itself whole
// after every change, telling the browser through "dynamicdb_reloaded_notification". Every
// user's root and the shared root are roots only: a row that gives one a parent is left out.
//
// Ids are the stores' SQL ids: user roots USER_ROOT_BASE + user (0 to 4095), the shared root
// SHARED_ROOT, new categories from FIRST_ID below USER_ROOT_BASE, new items from FIRST_ID up.
class DynamicDB : public IndexedDB {
public:
    static constexpr const char* RELOADED_NOTIFICATION = "dynamicdb_reloaded_notification";
    static constexpr qint64 FIRST_ID = FoodDBBase::FirstCustomId;
    static constexpr qint64 USER_ROOT_BASE = FoodDBBase::UserRootBase;
    static constexpr qint64 SHARED_ROOT = FoodDBBase::SharedRootId;
    // The in-memory "ROOT" is the current user's root plus this.
    static constexpr qint64 TREE_ROOT_OFFSET = 0x1000000;
    static constexpr int MAX_USER = 4095;

    DynamicDB();
    ~DynamicDB() override;
    DynamicDB(const DynamicDB&) = delete;
    DynamicDB& operator=(const DynamicDB&) = delete;

    // Query listing (id, category id, name) of the items of the user's tree and the shared
    // one, siblings in the order shown. Another user's rows may be left out or not.
    virtual BXSqlQuery getItemQuery(qint64 forUser) const = 0;
    // Likewise (id, parent id, name) of their categories.
    virtual BXSqlQuery getCatsQuery(qint64 forUser) const = 0;
    // Whether the store gives a category, or an item, that id. A row read with an id the
    // store never gives is left out of the tree, so that an id is never cut to the width of
    // the tree's records into another one.
    virtual bool givesCategoryId(qint64 id) const = 0;
    virtual bool givesItemId(qint64 id) const = 0;
    // The plural noun of the root names ("Shared Foods", "My Foods").
    virtual QString getItemNoun() const = 0;
    // The SQL id of a user's root category (user -1: the shared root).
    virtual qint64 getRootForUser(qint64 user) const = 0;
    virtual bool reparentItemCategory(qint64 categoryId, qint64 newParentId) = 0;
    virtual bool reparentItem(qint64 itemId, qint64 newCategoryId) = 0;

    // The current user's root + TREE_ROOT_OFFSET.
    qint64 getRootId() const override;

    // Rebuilds the tree from the tables and posts the reload notification; observers select
    // selectId when it is not 0. False, with the tree as it was and nothing posted, when a
    // branch could not be read (read it inside an action, whose outcome tells why).
    bool reload(qint64 selectId, bool selectIsCategory);
    // Whether the tree that showing the user builds reads whole, with the tree shown kept as
    // it is (read it inside an action, whose outcome tells why not).
    bool readsTreeOf(qint64 user);

protected:
    // Stores the name (Latin-1, NUL-terminated) and returns where it starts.
    int _pushName(const QString& name);
    // The user whose tree is shown.
    static qint64 currentUser();

private:
    // One row of a category or item query while the tree is built, its id one the store
    // gives.
    struct Row {
        qint64 id;
        int nameOffset;
    };
    // The rows read, by the id of the category above them, in the order shown.
    using Children = std::unordered_map<qint64, std::vector<Row>>;
    // The state of one reload: each record's offset in the name store, the rows not yet
    // entered, the categories already entered (a category is entered once even if the tables
    // hold a loop), and whether a table could not be read.
    struct Build {
        std::vector<int> nameOffsets;
        Children categories;
        Children items;
        std::unordered_set<qint64> visited;
        bool unread = false;
        // Rows left out for an id the store never gives.
        int refused = 0;
    };
    // A category while its subtree is built: its record, its child categories and the
    // records of those already built.
    struct Level {
        BrowsableDBItem record;
        std::vector<Row> categories;
        std::vector<BrowsableDBItem> built;
    };

    // The records, maps and names of the tree shown.
    struct Shown {
        std::vector<BrowsableDBItem> items;
        std::vector<unsigned char> flags;
        std::map<qint64, size_t> categoryMap;
        std::unordered_map<qint64, size_t> itemMap;
        QByteArray names;
    };

    // Takes the tree shown out of the records, leaving them empty.
    Shown _takeShown();
    void _putBack(Shown&& shown);
    void _build(qint64 forUser, Build& build);
    BrowsableDBItem _addRoot(qint64 rootId, const QString& name, Build& build, int& nameOffset);
    BrowsableDBItem _addSubtree(qint64 categoryId, Build& build);
    Level _open(qint64 categoryId, Build& build);
    void _close(Level& level, Build& build);
    void _collect(BXSqlQuery query, Children& children, bool categories, Build& build);
    bool _isRoot(qint64 id) const;
    void _appendRecord(const BrowsableDBItem& item, unsigned char flags, int nameOffset,
                       Build& build);
    void _layOutNames(const std::vector<int>& nameOffsets);

    QByteArray _names;
};

#endif
