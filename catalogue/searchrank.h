#ifndef PANTREL_CATALOGUE_SEARCHRANK_H
#define PANTREL_CATALOGUE_SEARCHRANK_H

#include "catalogue/browsabledbitem.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

#include <utility>
#include <vector>

class WordForms;

// The order of a search's hits in the ranked view. A food's name runs from its kind to the
// detail, one comma-separated segment each ("Apples, raw, with skin", "Fish, salmon, raw"), so
// a hit whose first segment is what was searched for is that food itself, one with a later
// such segment is a sort or a dish of it, and any other hit merely holds the word ("Pineapple",
// "Scrapple", "Beet greens"). What was searched for is each word that excludes nothing, and a
// search of several words as a whole ("peanut butter", also closed up: "applesauce" for "apple
// sauce"); each as typed and in its other forms (WordForms: "apple" is "Apples", "eggs" is
// "Egg", "low-fat" is "lowfat" and "low fat", "donut" is "Doughnuts").
// The tiers, best first: the first segment in any form, as the catalogue names a kind in one
// form only ("Apples, raw" for "apple", "Egg, whole" for "eggs"), or the second one in any
// form where both name a group in the plural ("Nuts, pecans" and "Cookies, brownies" for
// "pecan" and "brownie", where "Pie, pecan" is a dish); a later segment as typed; a
// hit that holds every searched word as typed, or that was found through its category; a
// later segment in another form only ("Peppers, sweet" for "sweets"); last a hit that holds a
// word only in another form ("Potatoes, hashed brown" for "browns"). A plural that names foods
// of its own ("Beet greens", "French fries") thus shows them before the foods that its
// singular merely describes.
// Within a tier, a hit whose segments name every searched word comes first ("Apple juice,
// canned" for "apple juice", "Chicken, broilers or fryers, breast" for "chicken breast"; a
// later segment of a food itself may list its sorts: "Fish, fish portions and sticks" names
// "fish sticks", where "Soup, beef and vegetables" names no vegetable soup), then one that
// holds each word as a word of its own, then one whose name opens with a searched word as a
// word of its own or the search closed up as typed ("Winged beans, immature seeds" for
// "winged mature"), then one that holds a word only inside a longer one ("trimmed" for "tri",
// "Grapefruit" for "grape"), then one that needs its category for a word ("Apples, raw" in
// "Fruits and Fruit Juices"); and then the catalogue's ranking weight decides. A word that
// closes up a searched word with another, which the catalogue names for it ("Kiwifruit" for
// "kiwi"), holds the searched word as a word of its own.
// Above the tiers, a hit that writes each searched word of a pair in its own spelling ("Cinnamon
// buns" for "buns") comes before one that holds a word only in its other spelling ("Rolls"),
// and then one that writes each word joined by hyphens with its hyphens, as typed ("vegetable
// oil-butter spread" for "oil-butter"), before one that holds it apart or closed up.
class SearchRank {
public:
    // closedUp: the catalogue's words that open with a searched word and end with another word
    // of the catalogue, lowered.
    explicit SearchRank(const QString& terms, const std::vector<QByteArray>& closedUp = {});

    // Greater ranks show first: the tier and its order above, then the item's ranking weight
    // read as a signed 32-bit number. The item's name is ISO 8859-1, as the shipped catalogue
    // holds it.
    qint64 of(const BrowsableDBItem& item) const;

private:
    enum class Match { None, Typed, Other };
    enum class Held { No, InsideAWord, AsAWord };
    // Forms that begin alike, looked for by that beginning.
    struct Stem {
        QByteArray text;               // lowered
        uchar capital;                 // its first letter as a capital
        std::vector<QByteArray> rests; // what follows it in each form
    };
    struct Searched {
        QByteArray typed;               // lowered
        std::vector<QByteArray> others; // lowered
        // What a name may open with to open with it: typed, written apart or joined, and
        // the whole search closed up ("Kiwifruit" for "kiwi", "Applesauce").
        std::vector<QByteArray> opening;
        // The first holds typed, whose rest comes first, and the forms that share its first
        // letter; a second one the forms of the word's other spelling.
        std::vector<Stem> stems;
        quint64 bit;                    // this one among the searched
        bool whole;                     // the search as a whole
        bool part = false;              // a word of the typed word before it, joined by a hyphen
        std::vector<QByteArray> closedUp; // words held as this one (see the constructor)
        bool hyphened = false;          // a typed word joined by hyphens
    };
    // A typed word: its bit, and those of its words where hyphens join them.
    struct Word {
        quint64 bit;
        quint64 parts;
    };
    // How a part of a name equals what was searched for, and which of the searched it equals.
    struct PartMatch {
        Match kind;
        quint64 terms;
    };
    // How a name holds the searched words: whether it holds one only in another form, and its
    // order within the tier by the word it holds least.
    struct Holding {
        bool onlyOtherForms;
        int evidence;
    };
    // How a name holds a searched word: as typed, in a form of its own spelling, in any form.
    struct Holds {
        Held typed;
        Held own;
        Held any;
    };

    static Searched _searchedAs(const QString& text, quint64 bit, bool whole);
    static Stem _stemOf(const std::vector<QByteArray>& forms);
    int _place(const char* name) const;
    PartMatch _match(QByteArrayView part) const;
    // The searched that the items of a part name where it lists them with "and" or "or"
    // ("fish portions and sticks" names "sticks") where the part opens with the kind, the
    // name's first part ("beef and vegetables" of a soup names neither); none for a part that
    // lists nothing.
    quint64 _namedInList(QByteArrayView part, QByteArrayView kind) const;
    bool _namesEveryWord(quint64 named) const;
    // Whether the name opens with a searched word, or the search closed up, as typed and
    // ending there.
    bool _opensWithAWord(const char* name) const;
    Holding _holding(QLatin1StringView name) const;
    // Above the tiers: 2 where each searched word of a pair stands in its own spelling, and 1
    // where each word joined by hyphens stands as typed.
    int _writing(QLatin1StringView name) const;
    // How the name holds the typed word at word, and its words where hyphens join them.
    Holds _heldWord(QLatin1StringView name, std::vector<Searched>::const_iterator word) const;
    static Holds _held(QLatin1StringView name, const Searched& text);

    std::vector<Searched> _searched;
    std::vector<Word> _words; // the search's words
    quint64 _whole = 0; // the bit of the search as a whole
    bool _paired = false;   // whether a searched word has another spelling
    bool _hyphened = false; // whether one is joined by hyphens
};

#endif
