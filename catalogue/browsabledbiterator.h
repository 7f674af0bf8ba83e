#ifndef PANTREL_CATALOGUE_BROWSABLEDBITERATOR_H
#define PANTREL_CATALOGUE_BROWSABLEDBITERATOR_H

#include "catalogue/browsabledbitem.h"

// A cursor over a run of consecutive records of a catalogue tree that visits only the
// records whose flag byte has every bit of flagsRequiredOn set and every bit of
// flagsRequiredOff clear. It starts before the first record: call next() before reading.
class BrowsableDBIterator {
public:
    BrowsableDBIterator(const BrowsableDBItem* first, const unsigned char* firstFlags, int count,
                        int flagsRequiredOn, int flagsRequiredOff);

    // Steps to the next record that passes the flags; false when the run is exhausted.
    bool next();

    const BrowsableDBItem& item() const;
    unsigned char flags() const;
    qint64 id() const { return item().id; }
    const char* name() const { return item().name; }
    quint32 weight() const { return item().weight; }
    const unsigned char* data() const { return item().data; }

private:
    const BrowsableDBItem* _items;
    const unsigned char* _flags;
    int _mask;
    int _required;
    int _count;
    int _position = -1;
};

#endif
