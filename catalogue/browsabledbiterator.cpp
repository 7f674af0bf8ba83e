#include "catalogue/browsabledbiterator.h"

#include <cassert>

BrowsableDBIterator::BrowsableDBIterator(const BrowsableDBItem* first,
                                         const unsigned char* firstFlags, int count,
                                         int flagsRequiredOn, int flagsRequiredOff)
    : _items(first), _flags(firstFlags), _mask(flagsRequiredOn | flagsRequiredOff),
      _required(flagsRequiredOn), _count(count)
{
    assert((flagsRequiredOn & flagsRequiredOff) == 0);
}

bool BrowsableDBIterator::next()
{
    while (_position + 1 < _count) {
        ++_position;
        if ((_flags[_position] & _mask) == _required)
            return true;
    }
    _position = _count;
    return false;
}

const BrowsableDBItem& BrowsableDBIterator::item() const
{
    assert(_position >= 0 && _position < _count);
    return _items[_position];
}

unsigned char BrowsableDBIterator::flags() const
{
    assert(_position >= 0 && _position < _count);
    return _flags[_position];
}
