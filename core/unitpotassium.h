#ifndef PANTREL_CORE_UNITPOTASSIUM_H
#define PANTREL_CORE_UNITPOTASSIUM_H

#include "core/unitdescriptor.h"

// Potassium, held and shown in milligrams. Its field offers no validator.
class UnitPotassium : public UnitDescriptor {
public:
    UnitPotassium();
};

#endif
