#ifndef PANTREL_CATALOGUE_SEARCHRANK_H
#define PANTREL_CATALOGUE_SEARCHRANK_H

#include "catalogue/browsabledbitem.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The order of a search's hits in the ranked view. A food's name runs from its kind to the
// detail, one comma-separated segment each ("Apples, raw, with skin", "Fish, salmon, raw"), so
// a hit whose first segment is what was searched for is that food itself, one with a later
// such segment is a sort or a dish of it, and any other hit merely holds the word ("Pineapple",
// "Scrapple"). What was searched for is each word that excludes nothing, and a search of
// several words as a whole ("peanut butter"); each in the forms the search finds it in
// (WordForms: "apple" is "Apples", "eggs" is "Egg").
// Within a tier, the catalogue's ranking weight decides.
class SearchRank {
public:
    explicit SearchRank(const QString& terms);

    // Greater ranks show first: the tier above, then the item's ranking weight read as a
    // signed 32-bit number. The item's name is ISO 8859-1, as the shipped catalogue holds it.
    qint64 of(const BrowsableDBItem& item) const;

private:
    int _tier(const char* name) const;
    bool _isSearched(QByteArrayView segment) const;

    std::vector<QByteArray> _forms; // lowered, each with its other forms
};

#endif
