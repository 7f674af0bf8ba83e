#ifndef PANTREL_CATALOGUE_BROWSABLEDBITEM_H
#define PANTREL_CATALOGUE_BROWSABLEDBITEM_H

#include <QtGlobal>

// Bits of the flag byte that every catalogue tree keeps beside each record. The first five
// come from the store; the two search bits are the state of the current search.
enum BrowsableDBFlag : unsigned char {
    FLAG_CATEGORY = 0x80,
    FLAG_NON_MATCHABLE = 0x40,
    FLAG_GENERIC = 0x20,
    FLAG_GENERIC_PARENT = 0x10,
    FLAG_EDITABLE = 0x08,
    FLAG_SEARCH_PARENT_OF_MATCH = 0x02,
    FLAG_SEARCH_MATCH = 0x01
};

// Both search bits: a freshly loaded record matches until a search is applied.
constexpr unsigned char FLAG_SEARCH_BITS = FLAG_SEARCH_MATCH | FLAG_SEARCH_PARENT_OF_MATCH;

// One record of a catalogue tree. A category uses firstChild and the two counts (its
// children are the numCategories + numItems records from index firstChild of the same
// array); an item uses weight and data. The name is NUL-terminated single-byte
// ISO 8859-1 text owned by the tree's store.
struct BrowsableDBItem {
    qint64 id = 0;
    const char* name = nullptr;
    quint32 firstChild = 0;
    quint32 numCategories = 0;
    quint32 numItems = 0;
    quint32 weight = 0;
    const unsigned char* data = nullptr;

    size_t childCount() const { return size_t(numCategories) + numItems; }
};

// The shipped catalogue holds a record for each of its foods: the id of full width takes the
// padding that followed a narrower one, so a record grows no larger and holds no padding.
static_assert(sizeof(BrowsableDBItem) == sizeof(qint64) + 2 * sizeof(void*) + 4 * sizeof(quint32),
              "a catalogue record keeps its size");

#endif
