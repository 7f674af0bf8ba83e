#ifndef PANTREL_CATALOGUE_SEARCHRANK_H
#define PANTREL_CATALOGUE_SEARCHRANK_H

#include "catalogue/browsabledbitem.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

#include <vector>

// The order of a search's hits in the ranked view. A food's name runs from its kind to the
// detail, one comma-separated segment each ("Apples, raw, with skin", "Fish, salmon, raw"), so
// a hit whose first segment is what was searched for is that food itself, one with a later
// such segment is a sort or a dish of it, and any other hit merely holds the word ("Pineapple",
// "Scrapple", "Beet greens"). What was searched for is each word that excludes nothing, and a
// search of several words as a whole ("peanut butter"); each as typed and in its other forms
// (WordForms: "apple" is "Apples", "eggs" is "Egg").
// The tiers, best first: the first segment in any form, as the catalogue names a kind in one
// form only ("Apples, raw" for "apple", "Egg, whole" for "eggs"); a later segment as typed; a
// hit that holds every searched word as typed, or that was found through its category; a
// later segment in another form only ("Peppers, sweet" for "sweets"); last a hit that holds a
// word only in another form ("Potatoes, hashed brown" for "browns"). A plural that names foods
// of its own ("Beet greens", "French fries") thus shows them before the foods that its
// singular merely describes.
// Within a tier, the catalogue's ranking weight decides.
class SearchRank {
public:
    explicit SearchRank(const QString& terms);

    // Greater ranks show first: the tier above, then the item's ranking weight read as a
    // signed 32-bit number. The item's name is ISO 8859-1, as the shipped catalogue holds it.
    qint64 of(const BrowsableDBItem& item) const;

private:
    enum class Match { None, Typed, Other };
    struct Searched {
        QByteArray typed;               // lowered
        std::vector<QByteArray> others; // lowered
        // For a word of the search (not the search as a whole), the others that do not hold it.
        std::vector<QByteArray> apart;
    };

    int _tier(const char* name) const;
    Match _match(QByteArrayView segment) const;
    bool _holdsOnlyOtherForms(QLatin1StringView name) const;

    std::vector<Searched> _searched;
};

#endif
