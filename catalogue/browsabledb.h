#ifndef PANTREL_CATALOGUE_BROWSABLEDB_H
#define PANTREL_CATALOGUE_BROWSABLEDB_H

#include "catalogue/browsabledbiterator.h"
#include "catalogue/searchrank.h"

#include <QString>

#include <memory>

// A browsable catalogue tree: categories with child categories and items, a flattened view
// of all records, and a word search that marks the records' search flags. Iterators are made
// by the tree and owned by the caller; a tree must outlive its iterators.
class BrowsableDB {
public:
    virtual ~BrowsableDB();

    // The children of category id that pass the flags, or none when id names no category.
    virtual std::unique_ptr<BrowsableDBIterator> getChildren(qint64 id, int flagsRequiredOn,
                                                             int flagsRequiredOff) const = 0;
    // Every record but the root that passes the flags.
    virtual std::unique_ptr<BrowsableDBIterator> getFlattenedChildren(int flagsRequiredOn,
                                                                      int flagsRequiredOff) const = 0;
    // Whether the terms are usable; unless checkOnly, marks the records that match them.
    virtual bool applySearchTerms(const QString& terms, bool checkOnly, int flagsRequiredOn) = 0;
    // Every record matches again.
    virtual void resetSearchTerms() = 0;
    // The ranking of the search's hits, as the search reads the terms.
    virtual SearchRank rankFor(const QString& terms) const { return SearchRank(terms); }
    virtual qint64 getRootId() const = 0;
    // False when id names no category; else whether getChildren yields any record.
    virtual bool hasChildren(qint64 id, int flagsRequiredOn, int flagsRequiredOff) const;

    // The child categories, or the child items, of category id that match the search.
    std::unique_ptr<BrowsableDBIterator> getChildCategories(qint64 id) const;
    std::unique_ptr<BrowsableDBIterator> getChildItems(qint64 id) const;
};

#endif
