#ifndef PANTREL_CORE_UNITIRON_H
#define PANTREL_CORE_UNITIRON_H

#include "core/unitdescriptor.h"

// Iron, as a percentage of the daily value. Its field offers no validator.
class UnitIron : public UnitDescriptor {
public:
    UnitIron();
};

#endif
