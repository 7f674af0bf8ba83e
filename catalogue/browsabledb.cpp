#include "catalogue/browsabledb.h"

BrowsableDB::~BrowsableDB() = default;

bool BrowsableDB::hasChildren(qint64 id, int flagsRequiredOn, int flagsRequiredOff) const
{
    std::unique_ptr<BrowsableDBIterator> children = getChildren(id, flagsRequiredOn, flagsRequiredOff);
    return children && children->next();
}

std::unique_ptr<BrowsableDBIterator> BrowsableDB::getChildCategories(qint64 id) const
{
    return getChildren(id, FLAG_CATEGORY | FLAG_SEARCH_MATCH, 0);
}

std::unique_ptr<BrowsableDBIterator> BrowsableDB::getChildItems(qint64 id) const
{
    return getChildren(id, FLAG_SEARCH_MATCH, FLAG_CATEGORY);
}
