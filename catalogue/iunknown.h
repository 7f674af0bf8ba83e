#ifndef PANTREL_CATALOGUE_IUNKNOWN_H
#define PANTREL_CATALOGUE_IUNKNOWN_H

#include "catalogue/guid.h"

// Result codes of the recipe interfaces: 0 is success, a negative code a failure; a result
// cursor reports its end with any code other than 0.
constexpr qint32 RESULT_OK = 0;
constexpr qint32 RESULT_END = 1;
constexpr qint32 RESULT_FAILED = qint32(0x80004005);

// The base of every reference-counted recipe interface. An object handed out by an
// operation carries one reference, which the receiver gives back with Release().
class IUnknown {
public:
    virtual qint32 QueryInterface(const GUID& iid, void** object) = 0;
    // The new number of references.
    virtual qint32 AddRef() = 0;
    // The remaining number of references; for the last one, the result of letting go.
    virtual qint32 Release() = 0;
    virtual ~IUnknown() = default;
};

#endif
